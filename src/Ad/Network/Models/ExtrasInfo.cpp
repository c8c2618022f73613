#include "Ad/Network/Models/ExtrasInfo.h"

#include "Commons/Json/JsonWriter.h"

namespace solen {

Json ExtrasInfo::encode() const {
    return JsonWriter("ext").set("sdk", sdk).set("skadn", skadn).set("ppmver", ppmver).set("tpnsdks", tpnsdks).take();
}

ExtrasInfo ExtrasInfo::decode(const JsonReader& reader) {
    return ExtrasInfo{reader.require<SdkExtrasInfo>("sdk"), reader.optional<SKAdNetworkInfo>("skadn"),
                      reader.optional<std::string>("ppmver"),
                      reader.optional<std::map<std::string, NetworkSDKData>>("tpnsdks")};
}

}  // namespace solen
