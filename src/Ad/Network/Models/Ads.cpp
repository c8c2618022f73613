#include "Ad/Network/Models/Ads.h"

#include "Commons/Json/JsonFields.h"
#include "Commons/Json/JsonWriter.h"

namespace solen {
namespace {

constexpr JsonKeys kKeys{"lineItemId", "networkId", "lineItemMeta", "adm",     "s2s",
                         "trackers",   "impressionData", "timeout", "creative"};

}  // namespace

std::optional<Json> encodeFreeForm(const OptionalAnyDictionary& value, const std::string& path) {
    if (!value) {
        return std::nullopt;
    }
    return encodeAnyDictionary(*value, path);
}

Ads Ads::decode(const JsonReader& reader) {
    const JsonFields<kKeys> fields(reader);
    Ads ad;
    ad.lineItemId = fields.require<std::string>("lineItemId");
    ad.networkId = fields.require<std::string>("networkId");
    ad.lineItemMeta = fields.emptyOrWith("lineItemMeta", OptionalAnyDictionary::decode);
    ad.adm = fields.optional<std::string>("adm");
    ad.s2s = fields.optional<bool>("s2s");
    ad.trackers = fields.require<AdTrackers>("trackers");
    ad.impressionData = fields.emptyOrWith("impressionData", OptionalAnyDictionary::decode);
    ad.timeout = fields.optional<std::int64_t>("timeout");
    ad.creative = fields.emptyOrWith("creative", [](const JsonReader& creative) {
        return HeapOptional<Creative>::made([&] { return creative.as<Creative>(); });
    });
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
        .set("creative", creative ? std::optional<Json>(creative->encode()) : std::nullopt)
        .take();
}

}  // namespace solen
