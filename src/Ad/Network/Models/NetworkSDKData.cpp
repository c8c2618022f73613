#include "Ad/Network/Models/NetworkSDKData.h"

#include "Commons/Json/JsonWriter.h"

namespace solen {

Json NetworkSDKData::encode() const {
    return JsonWriter().set("ver", ver).set("bidToken", bidToken).take();
}

NetworkSDKData NetworkSDKData::decode(const JsonReader& reader) {
    return NetworkSDKData{reader.require<std::string>("ver"), reader.require<std::string>("bidToken")};
}

}  // namespace solen
