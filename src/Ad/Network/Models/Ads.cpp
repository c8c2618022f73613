#include "Ad/Network/Models/Ads.h"

#include "Commons/Json/JsonWriter.h"

namespace solen {

std::optional<Json> encodeFreeForm(const std::optional<AnyDictionary>& value, const std::string& path) {
    if (!value) {
        return std::nullopt;
    }
    return encodeAnyDictionary(*value, path);
}

std::optional<AnyDictionary> optionalFreeFormValue(const JsonReader& reader, std::string_view key) {
    if (!reader.hasValue(key)) {
        reader.requireObject();
        return std::nullopt;
    }
    return decodeAnyDictionary(reader.at(key));
}

Ads Ads::decode(const JsonReader& reader) {
    Ads ad;
    ad.lineItemId = reader.require<std::string>("lineItemId");
    ad.networkId = reader.require<std::string>("networkId");
    ad.lineItemMeta = optionalFreeFormValue(reader, "lineItemMeta");
    ad.adm = reader.optional<std::string>("adm");
    ad.s2s = reader.optional<bool>("s2s");
    ad.trackers = reader.require<AdTrackers>("trackers");
    ad.impressionData = optionalFreeFormValue(reader, "impressionData");
    ad.timeout = reader.optional<std::int64_t>("timeout");
    ad.creative = reader.optional<Creative>("creative");
    return ad;
}

Json Ads::encode() const {
    return JsonWriter()
        .set("lineItemId", lineItemId)
        .set("networkId", networkId)
        .set("lineItemMeta", encodeFreeForm(lineItemMeta, "lineItemMeta"))
        .set("adm", adm)
        .set("s2s", s2s)
        .set("trackers", trackers)
        .set("impressionData", encodeFreeForm(impressionData, "impressionData"))
        .set("timeout", timeout)
        .set("creative", creative)
        .take();
}

}  // namespace solen
