#pragma once

#include "Scenario.h"

#include <nlohmann/json.hpp>

#include <string>
#include <string_view>

namespace solen::adserver {

// Server-to-server line items that carry the service's own HTML creatives, rendered by the SDK
// itself. Their pages write what they see and do to the console, so a host that runs page scripts
// shows the creative's side of the conversation.
struct S2sScenario {
    // An MRAID banner: at its first viewable event it expands, 300 ms after the state "expanded"
    // it closes itself.
    static const std::string& expandingBannerPage();
    // An MRAID interstitial that closes itself at its first viewable event.
    static const std::string& selfClosingInterstitialPage();

    // A server-to-server line item `id` whose creative is `encodedMarkup` (base64 of the HTML),
    // with fill, no-fill, impression and click trackers that point back at the service
    // ("/track/<kind>?li=<id>").
    static nlohmann::ordered_json lineItem(const std::string& id, const std::string& encodedMarkup);
    // The answer of `unit` with these line items, without refresh.
    static Answer answer(const std::string& unit, nlohmann::ordered_json ads);
    static std::string base64(std::string_view bytes);

    // Adds "demo-s2s-banner" (one line item of the expanding banner) and "demo-s2s-interstitial"
    // (a line item whose markup is not base64, then one of the self-closing interstitial).
    static void addTo(Scenario& scenario);
};

}  // namespace solen::adserver
