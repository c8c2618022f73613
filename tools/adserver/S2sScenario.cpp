#include "S2sScenario.h"

#include <cstdint>

namespace solen::adserver {

using Json = nlohmann::ordered_json;

namespace {

// An MRAID page that logs its events as "<name> ..." and does `action` at its first viewable
// event; once "expanded" it closes itself 300 ms later.
std::string selfDrivenPage(const std::string& name, const std::string& action) {
    return R"(<!DOCTYPE html>
<html><body><div id="ad">Solen )" + name + R"(</div>
<script>
(function () {
  var acted = false;
  function viewable(isViewable) {
    console.log(')" + name + R"( viewable ' + isViewable);
    if (isViewable && !acted) {
      acted = true;
      )" + action + R"(;
    }
  }
  function state(value) {
    console.log(')" + name + R"( state ' + value);
    if (value === 'expanded') {
      setTimeout(function () { mraid.close(); }, 300);
    }
  }
  function start() {
    console.log(')" + name + R"( ready, placement ' + mraid.getPlacementType());
    mraid.addEventListener('stateChange', state);
    mraid.addEventListener('viewableChange', viewable);
    if (mraid.isViewable()) viewable(true);
  }
  if (mraid.getState() === 'loading') mraid.addEventListener('ready', start); else start();
})();
</script></body></html>
)";
}

}  // namespace

const std::string& S2sScenario::expandingBannerPage() {
    static const auto& page = *new std::string(selfDrivenPage("banner", "mraid.expand()"));
    return page;
}

const std::string& S2sScenario::selfClosingInterstitialPage() {
    static const auto& page = *new std::string(selfDrivenPage("interstitial", "mraid.close()"));
    return page;
}

Json S2sScenario::lineItem(const std::string& id, const std::string& encodedMarkup) {
    const std::string track = "${BASE_URL}/track/";
    return Json{{"lineItemId", id},
                {"networkId", "solen-s2s"},
                {"s2s", true},
                {"timeout", 3000},
                {"creative", {{"pubContent", encodedMarkup}, {"markupType", 1}, {"creativeId", "cr-" + id}}},
                {"trackers",
                 {{"adFill", {track + "fill?li=" + id}},
                  {"networkNoFill", {track + "nofill?li=" + id}},
                  {"impression", {track + "impression?li=" + id}},
                  {"click", {track + "click?li=" + id}}}}};
}

Answer S2sScenario::answer(const std::string& unit, Json ads) {
    return Answer{200,
                  Json{{"refreshConfig", false},
                       {"noAdFillEventUrl", "${BASE_URL}/track/nofill?unit=" + unit},
                       {"auctionTimeout", 10000},
                       {"ads", std::move(ads)}},
                  {}};
}

std::string S2sScenario::base64(std::string_view bytes) {
    static constexpr char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::size_t left = bytes.size() - i;
        std::uint32_t chunk = static_cast<std::uint8_t>(bytes[i]) << 16;
        if (left > 1) chunk |= static_cast<std::uint8_t>(bytes[i + 1]) << 8;
        if (left > 2) chunk |= static_cast<std::uint8_t>(bytes[i + 2]);
        out += alphabet[(chunk >> 18) & 63];
        out += alphabet[(chunk >> 12) & 63];
        out += left > 1 ? alphabet[(chunk >> 6) & 63] : '=';
        out += left > 2 ? alphabet[chunk & 63] : '=';
    }
    return out;
}

void S2sScenario::addTo(Scenario& scenario) {
    scenario.bids["demo-s2s-banner"] = {
        answer("demo-s2s-banner", Json::array({lineItem("s2s-bn-1", base64(expandingBannerPage()))}))};
    scenario.bids["demo-s2s-interstitial"] = {
        answer("demo-s2s-interstitial", Json::array({lineItem("s2s-in-bad", "not base64!"),
                                                     lineItem("s2s-in-1", base64(selfClosingInterstitialPage()))}))};
}

}  // namespace solen::adserver
