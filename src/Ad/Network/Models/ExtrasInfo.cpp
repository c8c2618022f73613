#include "Ad/Network/Models/ExtrasInfo.h"

#include "Commons/Json/JsonTextWriter.h"

namespace solen {

template <class Writer>
void ExtrasInfo::encodeMembers(Writer& writer) const {
    writer.set("sdk", sdk)
        .set("skadn", skadn)
        .set("ppmver", ppmver)
        .set("tpnsdks", tpnsdks);
}
template void ExtrasInfo::encodeMembers(JsonTextWriter&) const;

Json ExtrasInfo::encode() const { return encodeRecord(*this, "ext"); }

ExtrasInfo ExtrasInfo::decode(const JsonReader& reader) {
    return ExtrasInfo{reader.require<SdkExtrasInfo>("sdk"), reader.optional<SKAdNetworkInfo>("skadn"),
                      reader.optional<std::string>("ppmver"),
                      reader.optional<std::map<std::string, NetworkSDKData>>("tpnsdks")};
}

}  // namespace solen
