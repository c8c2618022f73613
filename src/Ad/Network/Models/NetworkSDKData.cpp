#include "Ad/Network/Models/NetworkSDKData.h"

#include "Commons/Json/JsonTextWriter.h"

namespace solen {

template <class Writer>
void NetworkSDKData::encodeMembers(Writer& writer) const {
    writer.set("ver", ver).set("bidToken", bidToken);
}
template void NetworkSDKData::encodeMembers(JsonTextWriter&) const;

Json NetworkSDKData::encode() const { return encodeRecord(*this, {}); }

NetworkSDKData NetworkSDKData::decode(const JsonReader& reader) {
    return NetworkSDKData{reader.require<std::string>("ver"), reader.require<std::string>("bidToken")};
}

}  // namespace solen
