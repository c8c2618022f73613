#include "Ad/Network/Models/SKAdNetworkInfo.h"

#include "Commons/Json/JsonTextWriter.h"

namespace solen {

template <class Writer>
void SKAdNetworkInfo::encodeMembers(Writer& writer) const {
    writer.set("ver", ver).set("skadnetids", skadnetids);
}
template void SKAdNetworkInfo::encodeMembers(JsonTextWriter&) const;

Json SKAdNetworkInfo::encode() const { return encodeRecord(*this, "ext.skadn"); }

SKAdNetworkInfo SKAdNetworkInfo::decode(const JsonReader& reader) {
    return SKAdNetworkInfo{reader.optional<std::string>("ver"),
                           reader.optional<std::vector<std::string>>("skadnetids")};
}

}  // namespace solen
