#include "Ad/Network/Models/AdResponse.h"

#include "Commons/Json/JsonFields.h"
#include "Commons/Json/JsonWriter.h"

namespace solen {
namespace {

constexpr JsonKeys kKeys{"requestId",      "refreshConfig", "noAdFillEventUrl", "auctionTimeout",
                         "auctionTimeoutSource", "rewardedVideo", "rewards", "ads"};

}  // namespace

AdResponse AdResponse::decode(const JsonReader& reader) {
    const JsonFields<kKeys> fields(reader);
    AdResponse response;
    response.requestId = fields.require<std::string>("requestId");
    response.refreshConfig = fields.require<bool>("refreshConfig");
    response.noAdFillEventUrl = fields.require<std::string>("noAdFillEventUrl");
    response.auctionTimeout = fields.require<std::int64_t>("auctionTimeout");
    response.auctionTimeoutSource = fields.optional<std::string>("auctionTimeoutSource");
    response.rewardedVideo = fields.optional<bool>("rewardedVideo");
    response.rewards = fields.emptyOrWith("rewards", OptionalAnyDictionary::decode);
    response.ads = fields.require<std::vector<Ads>>("ads");
    return response;
}

AdResponse AdResponse::decode(std::string_view body) {
    return JsonReader::decode<AdResponse>(body);
}

Json AdResponse::encode() const {
    return JsonWriter()
        .set("requestId", requestId)
        .set("refreshConfig", refreshConfig)
        .set("noAdFillEventUrl", noAdFillEventUrl)
        .set("auctionTimeout", auctionTimeout)
        .set("auctionTimeoutSource", auctionTimeoutSource)
        .set("rewardedVideo", rewardedVideo)
        .set("rewards", encodeFreeForm(rewards, "rewards"))
        .set("ads", ads)
        .take();
}

}  // namespace solen
