#include "support/AdResponseBuilder.h"

#include "Commons/Trackers/TrackerMacros.h"

namespace solen::test {

std::string AdResponseBuilder::trackerUrl(std::string_view kind, std::string_view lineItemId) {
    std::string url = "http://" + std::string(captureHost) + "/t?kind=" + std::string(kind) + "&li=" + std::string(lineItemId);
    for (const TrackerMacros macro : allTrackerMacros) {
        const std::string_view token = trackerMacroToken(macro);
        url += "&" + std::string(token.substr(1)) + "=" + std::string(token);
    }
    return url;
}

Ads AdResponseBuilder::lineItem(std::string id, std::string networkId, std::optional<std::int64_t> timeout) {
    Ads item;
    item.lineItemId = std::move(id);
    item.networkId = std::move(networkId);
    item.timeout = timeout;
    item.lineItemMeta = AnyDictionary{{"lineItemId", item.lineItemId}};
    using List = AdTrackers::UrlList AdTrackers::*;
    static const std::pair<List, std::string_view> lists[] = {
        {&AdTrackers::networkLoad, "networkLoad"},     {&AdTrackers::click, "click"},
        {&AdTrackers::impression, "impression"},       {&AdTrackers::adFill, "adFill"},
        {&AdTrackers::networkNoFill, "networkNoFill"}, {&AdTrackers::bidLoss, "bidLoss"},
        {&AdTrackers::networkFill, "networkFill"},     {&AdTrackers::videoStart, "videoStart"},
        {&AdTrackers::videoQ1, "videoQ1"},             {&AdTrackers::videoQ2, "videoQ2"},
        {&AdTrackers::videoQ3, "videoQ3"},             {&AdTrackers::videoSkip, "videoSkip"},
        {&AdTrackers::videoComplete, "videoComplete"},
    };
    for (const auto& [list, kind] : lists) {
        item.trackers.*list = std::vector<std::string>{trackerUrl(kind, item.lineItemId)};
    }
    return item;
}

Ads AdResponseBuilder::s2sLineItem(std::string id, std::string networkId, std::string adm) {
    Ads item = lineItem(std::move(id), std::move(networkId));
    item.s2s = true;
    item.creative = Creative{PubContentModel(adm), MarkupType::encodedS2s, "s2s-" + item.lineItemId};
    item.adm = std::move(adm);
    return item;
}

AdResponseBuilder& AdResponseBuilder::add(Ads lineItem) {
    response_.ads.push_back(std::move(lineItem));
    return *this;
}

AdResponseBuilder& AdResponseBuilder::auctionTimeout(std::int64_t milliseconds) {
    response_.auctionTimeout = milliseconds;
    return *this;
}

AdResponseBuilder& AdResponseBuilder::rewards(AnyDictionary rewards) {
    response_.rewards = std::move(rewards);
    return *this;
}

AdResponse AdResponseBuilder::build() const {
    AdResponse response = response_;
    response.requestId = "request-1";
    response.noAdFillEventUrl = trackerUrl("noAdFillEventUrl", "-");
    return response;
}

}  // namespace solen::test
