#pragma once

#include "Ad/Network/Models/AdResponse.h"
#include "Ad/Network/Models/Ads.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace solen::test {

// Builds ad responses for auction tests. Every line item's tracker lists point at the capture
// address, one URL per list whose query names the list ("kind"), the line item ("li") and carries
// all eight macros; `TrackerCapture` reads them back. Each line item's `lineItemMeta` is
// {"lineItemId": id}, the key by which a scripted network picks that line item's load script.
class AdResponseBuilder {
public:
    static constexpr std::string_view captureHost = "trackers.test";

    // The capture URL of tracker list `kind` of line item `lineItemId`.
    static std::string trackerUrl(std::string_view kind, std::string_view lineItemId);
    // A line item of network `networkId` with every tracker list set.
    static Ads lineItem(std::string id, std::string networkId, std::optional<std::int64_t> timeout = std::nullopt);
    // The same, as a server-to-server line item with base64 markup `adm`.
    static Ads s2sLineItem(std::string id, std::string networkId, std::string adm);

    AdResponseBuilder& add(Ads lineItem);
    AdResponseBuilder& auctionTimeout(std::int64_t milliseconds);
    AdResponseBuilder& rewards(AnyDictionary rewards);
    // Whose no-fill event URL is the capture URL of kind "noAdFillEventUrl", line item "-".
    AdResponse build() const;

private:
    AdResponse response_;
};

}  // namespace solen::test
