#include "NativeVideoScenario.h"

#include "PngImage.h"

#include <fstream>
#include <iterator>

namespace solen::adserver {

using Json = nlohmann::ordered_json;

namespace {

const char* const kBase = "${BASE_URL}";

// The raw integer codes of the creative's enumerations.
constexpr int markupTypeNative = 2;
constexpr int mediaTypeImage = 1;
constexpr int mediaTypeVideo = 2;
constexpr int openModeExternalBrowser = 2;

Json label(const char* value, bool required = true) { return Json{{"required", required}, {"value", value}}; }

}  // namespace

std::string NativeVideoScenario::vast(const std::string& id, const std::string& mediaPath) {
    const std::string base = kBase;
    std::string tracking;
    for (const char* event : {"start", "firstQuartile", "midpoint", "thirdQuartile", "complete"}) {
        tracking += std::string("<Tracking event=\"") + event + "\">" + base + "/vast/" + event + "?ad=" + id + "</Tracking>";
    }
    return "<VAST version=\"4.2\"><Ad id=\"" + id + "\"><InLine><AdSystem>solen-adserver</AdSystem><AdTitle>clip</AdTitle>"
           "<Error>" + base + "/vast/error?ad=" + id + "&amp;code=[ERRORCODE]</Error>"
           "<Impression>" + base + "/vast/impression?ad=" + id + "</Impression><Creatives><Creative><Linear>"
           "<Duration>00:00:0" + std::to_string(clipSeconds) + "</Duration><TrackingEvents>" + tracking +
           "</TrackingEvents><VideoClicks><ClickThrough>https://landing.example/video</ClickThrough></VideoClicks>"
           "<MediaFiles><MediaFile delivery=\"progressive\" type=\"video/mp4\" width=\"96\" height=\"64\">" + base +
           mediaPath + "</MediaFile></MediaFiles></Linear></Creative><Creative><CompanionAds>"
           "<Companion width=\"300\" height=\"250\"><StaticResource creativeType=\"image/png\">" + base + companionPath +
           "</StaticResource><CompanionClickThrough>https://landing.example/companion</CompanionClickThrough>"
           "</Companion></CompanionAds></Creative></Creatives></InLine></Ad></VAST>";
}

Json NativeVideoScenario::videoMedia(const std::string& vastXml) {
    return Json{{"type", mediaTypeVideo},
                {"content", {{"required", true}, {"vastXml", vastXml}, {"videoPlayerControls", {{"mute", true}, {"autoPlay", true}}}}}};
}

Json NativeVideoScenario::imageMedia(const std::string& path) {
    return Json{{"type", mediaTypeImage}, {"content", {{"required", true}, {"url", kBase + path}}}};
}

Json NativeVideoScenario::lineItem(const std::string& id, Json media) {
    const std::string track = std::string(kBase) + "/track/";
    Json title = label("A clip from the local ad service");
    title["onClick"] = Json{{"url", "https://landing.example/title"},
                            {"openMode", openModeExternalBrowser},
                            {"clickTrackers", {track + "title-click?li=" + id}}};
    Json cta = label("Watch again", false);
    cta["onClick"] = Json{{"url", "https://landing.example/cta"},
                          {"openMode", openModeExternalBrowser},
                          {"clickTrackers", {track + "cta-click?li=" + id}}};
    Json pubContent{{"title", title},
                    {"description", label("Rendered by the SDK from a server-to-server creative")},
                    {"icon", {{"required", true}, {"url", kBase + std::string(iconPath)}}},
                    {"media", std::move(media)},
                    {"sponsored", label("Solen demo")},
                    {"cta", cta}};
    Json trackers = Json::object();
    for (const char* kind : {"adFill", "impression", "click", "videoStart", "videoQ1", "videoQ2", "videoQ3", "videoComplete"}) {
        trackers[kind] = Json::array({track + kind + "?li=" + id});
    }
    // A failed render says why.
    trackers["networkNoFill"] = Json::array({track + "networkNoFill?li=" + id + "&reason=$DROP_REASON&why=$DROP_DESCRIPTOR"});
    return Json{{"lineItemId", id},
                {"networkId", "solen-s2s"},
                {"s2s", true},
                {"timeout", 5000},
                {"trackers", std::move(trackers)},
                {"creative", {{"pubContent", std::move(pubContent)}, {"markupType", markupTypeNative}, {"creativeId", "cr-" + id}}}};
}

Answer NativeVideoScenario::answer(const std::string& unit, Json ads) {
    return Answer{200,
                  Json{{"refreshConfig", false},
                       {"noAdFillEventUrl", std::string(kBase) + "/track/nofill?unit=" + unit},
                       {"auctionTimeout", 10000},
                       {"ads", std::move(ads)}},
                  {}};
}

void NativeVideoScenario::add(Scenario& scenario) {
    std::ifstream in(SOLEN_ADSERVER_CLIP, std::ios::binary);
    if (in) {
        scenario.files[clipPath] = ServedFile{200, "video/mp4", {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()}};
    }
    scenario.files[iconPath] = ServedFile{200, "image/png", PngImage::make(64, 64, 0xe04020)};
    scenario.files[companionPath] = ServedFile{200, "image/png", PngImage::make(300, 250, 0x3366cc)};
    scenario.bids[adUnit] = {answer(adUnit, Json::array({lineItem(lineItemId, videoMedia(vast(lineItemId, clipPath)))}))};
}

}  // namespace solen::adserver
