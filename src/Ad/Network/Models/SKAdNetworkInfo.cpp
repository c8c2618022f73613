#include "Ad/Network/Models/SKAdNetworkInfo.h"

#include "Commons/Json/JsonWriter.h"

namespace solen {

Json SKAdNetworkInfo::encode() const {
    return JsonWriter("ext.skadn").set("ver", ver).set("skadnetids", skadnetids).take();
}

SKAdNetworkInfo SKAdNetworkInfo::decode(const JsonReader& reader) {
    return SKAdNetworkInfo{reader.optional<std::string>("ver"),
                           reader.optional<std::vector<std::string>>("skadnetids")};
}

}  // namespace solen
