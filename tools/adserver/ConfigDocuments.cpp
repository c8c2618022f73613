#include "ConfigDocuments.h"

namespace solen::adserver {
namespace {

using Json = ConfigDocuments::Json;

constexpr const char* placeholder = "${BASE_URL}";

Json errorBody(const std::string& message) { return Json{{"errors", Json::array({message})}}; }

}  // namespace

std::optional<Json> ConfigDocuments::builtIn(const std::string& type, const std::string& baseUrl) {
    constexpr double oneDayMs = 86400000.0;
    if (type == "root") {
        return Json{{"ids", {{"ida", true}, {"idv", true}}},
                    {"retry", {{"count", 1}, {"interval", 500}}},
                    {"sdk", {{"latest", "1.0.0-beta4"}, {"disabled", false}}},
                    {"expiry", oneDayMs},
                    {"url", baseUrl + "/configs"},
                    {"fetchTimeout", 5000}};
    }
    if (type == "signals") {
        // Short-lived so that a return to the foreground shows a refresh.
        return Json{{"expiry", 1000.0}, {"location", false}, {"cell", false}};
    }
    if (type == "primeAds") {
        const auto format = [](std::int64_t window, double render) {
            return Json{{"windowBatchSize", window}, {"s2sRenderTimeOut", render}};
        };
        return Json{{"expiry", oneDayMs},
                    {"url", baseUrl + "/bid"},
                    {"fetchTimeout", 5000.0},
                    {"mediaVolumeCollectionEnabled", false},
                    {"eventReporting", {{"maxRetries", 1}, {"retryInterval", 1000.0}, {"retryTimeOut", 5000.0}}},
                    {"banner", format(1, 5000.0)},
                    {"interstitial", {{"windowBatchSize", 2}, {"s2sRenderTimeOut", 10000.0}, {"showTimeOut", 5000.0}}},
                    {"native", format(1, 5000.0)},
                    {"splash", format(1, 5000.0)}};
    }
    if (type == "primeMediation") {
        // The example network twice under one adapter: as a header bidder of the demo banner, and
        // for waterfall units.
        const auto example = [&baseUrl](const char* networkId, bool headerBidder) {
            return Json{{"networkId", networkId},
                        {"adapterName", "Example"},
                        {"adapterMeta", {{"endpoint", baseUrl + "/example"}, {"appKey", "demo"}}},
                        {"headerBidder", headerBidder},
                        {"timeout", 5000.0}};
        };
        return Json{{"adapters", Json::array({example("example", true), example("example-waterfall", false)})},
                    {"adUnits", Json::array({Json{{"adUnitId", "demo-banner"}, {"refresh", 30000}, {"hbNetworks", {"example"}}},
                                             Json{{"adUnitId", "demo-interstitial"}, {"refresh", 0}},
                                             Json{{"adUnitId", "demo-rewarded"}, {"refresh", 0}},
                                             Json{{"adUnitId", "demo-nopresent-interstitial"}, {"refresh", 0}},
                                             Json{{"adUnitId", "demo-waterfall-banner"}, {"refresh", 2000}},
                                             Json{{"adUnitId", "demo-timeout-banner"}, {"refresh", 0}}})}};
    }
    if (type == "analytics") {
        return Json{{"expiry", oneDayMs},
                    {"sessionLength", 1800000.0},
                    {"event",
                     {{"url", baseUrl + "/analyticsEvent"}, {"maxRetries", 1}, {"retryInterval", 1000}, {"retryTimeOut", 5000}}}};
    }
    return std::nullopt;
}

Json ConfigDocuments::withBaseUrl(Json value, const std::string& baseUrl) {
    return withPlaceholder(std::move(value), placeholder, baseUrl);
}

Json ConfigDocuments::withPlaceholder(Json value, const std::string& marker, const std::string& replacement) {
    if (value.is_string()) {
        std::string text = value.get<std::string>();
        for (auto at = text.find(marker); at != std::string::npos; at = text.find(marker, at + replacement.size())) {
            text.replace(at, marker.size(), replacement);
        }
        return text;
    }
    if (value.is_structured()) {
        for (auto& element : value) {
            element = withPlaceholder(std::move(element), marker, replacement);
        }
    }
    return value;
}

std::optional<Json> ConfigDocuments::document(const std::string& type, const Scenario& scenario,
                                              const std::string& baseUrl) {
    auto document = builtIn(type, baseUrl);
    if (!document) {
        return std::nullopt;
    }
    if (const auto it = scenario.documents.find(type); it != scenario.documents.end() && it->second.patch.is_object()) {
        document->merge_patch(it->second.patch);
    }
    return withBaseUrl(std::move(*document), baseUrl);
}

ConfigDocuments::ConfigAnswer ConfigDocuments::answer(const std::string& requestBody, const Scenario& scenario,
                                                      const std::string& baseUrl) {
    if (scenario.configStatus != 200) {
        return {scenario.configStatus, errorBody("The config service is unavailable"),
                "failed with " + std::to_string(scenario.configStatus)};
    }
    const Json request = Json::parse(requestBody, nullptr, false);
    if (request.is_discarded() || !request.is_object() || !request.contains("configs") ||
        !request["configs"].is_array()) {
        return {400, errorBody("Malformed config request"), "malformed request"};
    }
    Json configs = Json::array();
    std::string summary;
    for (const Json& entry : request["configs"]) {
        if (!entry.is_object() || !entry.contains("type") || !entry["type"].is_string()) {
            continue;
        }
        const std::string type = entry["type"].get<std::string>();
        const auto setting = scenario.documents.find(type);
        if (setting == scenario.documents.end()) {
            continue;
        }
        const std::int64_t stamp = setting->second.lastUpdatedTs;
        const auto held = entry.find("lastUpdatedTs");
        const bool current = held != entry.end() && held->is_number_integer() && held->get<std::int64_t>() == stamp;
        Json answer = {{"type", type}, {"status", current ? 304 : 200}, {"lastUpdatedTs", stamp}};
        if (!current) {
            answer["content"] = *document(type, scenario, baseUrl);
        }
        configs.push_back(std::move(answer));
        summary += (summary.empty() ? "" : " ") + type + ":" + (current ? "304" : "200");
    }
    return {200, Json{{"configs", std::move(configs)}}, summary.empty() ? "nothing requested" : summary};
}

}  // namespace solen::adserver
