#include "Ad/Network/Models/AdResponse.h"

#include "Commons/Json/JsonWriter.h"

namespace solen {

AdResponse AdResponse::decode(const JsonReader& reader) {
    AdResponse response;
    response.requestId = reader.require<std::string>("requestId");
    response.refreshConfig = reader.require<bool>("refreshConfig");
    response.noAdFillEventUrl = reader.require<std::string>("noAdFillEventUrl");
    response.auctionTimeout = reader.require<std::int64_t>("auctionTimeout");
    response.auctionTimeoutSource = reader.optional<std::string>("auctionTimeoutSource");
    response.rewardedVideo = reader.optional<bool>("rewardedVideo");
    response.rewards = optionalFreeFormValue(reader, "rewards");
    response.ads = reader.require<std::vector<Ads>>("ads");
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
