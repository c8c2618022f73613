#include "Ad/Network/Models/ImpressionInfo.h"

#include "Ad/Network/Models/AdSetting.h"
#include "Commons/Json/JsonTextWriter.h"

namespace solen {

ImpressionInfo ImpressionInfo::from(const AdSetting& setting) {
    ImpressionInfo info;
    if (setting.adSize) {
        info.height = setting.adSize->height;
        info.width = setting.adSize->width;
    }
    info.extras = setting.extras;
    return info;
}

template <class Writer>
void ImpressionInfo::encodeMembers(Writer& writer) const {
    writer.set("h", height).set("w", width).set("ext", extras);
}
template void ImpressionInfo::encodeMembers(JsonTextWriter&) const;

Json ImpressionInfo::encode() const { return encodeRecord(*this, "imp"); }

ImpressionInfo ImpressionInfo::decode(const JsonReader& reader) {
    return ImpressionInfo{reader.optional<double>("h"), reader.optional<double>("w"),
                          reader.optional<std::map<std::string, std::string>>("ext")};
}

}  // namespace solen
