#include "Scenario.h"

#include "NativeVideoScenario.h"
#include "PngImage.h"
#include "S2sScenario.h"

#include <array>
#include <fstream>
#include <iterator>
#include <sstream>

namespace solen::adserver {
namespace {

using Json = nlohmann::ordered_json;

constexpr std::array<const char*, 5> documentTypes{"root", "signals", "primeAds", "primeMediation", "analytics"};

void fail(const std::string& path, const std::string& what) { throw ScenarioError(path + ": " + what); }

const Json* member(const Json& object, const char* key, const std::string& path) {
    if (!object.is_object()) {
        fail(path, "must be an object");
    }
    const auto it = object.find(key);
    return it == object.end() ? nullptr : &*it;
}

std::int64_t integer(const Json& value, const std::string& path) {
    if (!value.is_number_integer()) {
        fail(path, "must be an integer");
    }
    return value.get<std::int64_t>();
}

int statusCode(const Json& value, const std::string& path) {
    const std::int64_t code = integer(value, path);
    if (code < 100 || code > 599) {
        fail(path, "must be an HTTP status (100-599)");
    }
    return static_cast<int>(code);
}

std::chrono::milliseconds delayValue(const Json& value, const std::string& path) {
    const std::int64_t ms = integer(value, path);
    if (ms < 0 || ms > 60000) {
        fail(path, "must be 0 to 60000");
    }
    return std::chrono::milliseconds(ms);
}

std::string text(const Json& value, const std::string& path) {
    if (!value.is_string()) {
        fail(path, "must be a string");
    }
    return value.get<std::string>();
}

std::uint32_t side(const Json& png, const char* key, const std::string& path) {
    const Json* value = member(png, key, path);
    const std::int64_t pixels = value ? integer(*value, path + "." + key) : 0;
    if (pixels < 1 || pixels > PngImage::maxSide) {
        fail(path + "." + key, "must be 1 to " + std::to_string(PngImage::maxSide));
    }
    return static_cast<std::uint32_t>(pixels);
}

std::uint32_t colour(const Json* value, const std::string& path) {
    if (!value) return 0x808080;
    const std::string hex = text(*value, path);
    if (hex.size() != 7 || hex[0] != '#' || hex.find_first_not_of("0123456789abcdefABCDEF", 1) != std::string::npos) {
        fail(path, "must be #RRGGBB");
    }
    return static_cast<std::uint32_t>(std::stoul(hex.substr(1), nullptr, 16));
}

}  // namespace

ServedFile ServedFile::decode(const Json& value, const std::string& path, const std::filesystem::path& folder) {
    ServedFile file;
    const Json* textBody = member(value, "text", path);
    const Json* fileName = member(value, "file", path);
    const Json* png = member(value, "png", path);
    if ((textBody != nullptr) + (fileName != nullptr) + (png != nullptr) != 1) {
        fail(path, "must have exactly one of text, file, png");
    }
    if (textBody) {
        file.body = text(*textBody, path + ".text");
        file.contentType = "text/plain";
        file.isText = true;
    } else if (fileName) {
        const std::filesystem::path name = text(*fileName, path + ".file");
        std::ifstream in(name.is_absolute() ? name : folder / name, std::ios::binary);
        if (!in) {
            fail(path + ".file", "cannot read " + name.string());
        }
        file.body.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        file.contentType = "application/octet-stream";
    } else {
        const std::string at = path + ".png";
        file.body = PngImage::make(side(*png, "width", at), side(*png, "height", at), colour(member(*png, "color", at), at + ".color"));
        file.contentType = "image/png";
    }
    if (const Json* type = member(value, "contentType", path)) {
        file.contentType = text(*type, path + ".contentType");
    }
    if (const Json* code = member(value, "status", path)) {
        file.status = statusCode(*code, path + ".status");
    }
    return file;
}

Answer Answer::decode(const Json& value, const std::string& path) {
    Answer answer;
    if (const Json* code = member(value, "status", path)) {
        answer.status = statusCode(*code, path + ".status");
    }
    if (const Json* body = member(value, "body", path)) {
        answer.body = *body;
    }
    if (const Json* wait = member(value, "delayMs", path)) {
        answer.delay = delayValue(*wait, path + ".delayMs");
    }
    if (const Json* drop = member(value, "drop", path)) {
        if (!drop->is_boolean()) fail(path + ".drop", "must be true or false");
        answer.drop = drop->get<bool>();
    }
    return answer;
}

namespace {

// A line item of the waterfall example network, scripted by its settings, with trackers that
// point back at the service.
Json waterfallItem(const std::string& id, const char* behaviour, Json meta = Json::object()) {
    const std::string track = "${BASE_URL}/track/";
    meta["behaviour"] = behaviour;
    meta["creativeId"] = "cr-" + id;
    return Json{{"lineItemId", id},
                {"networkId", "example-waterfall"},
                {"lineItemMeta", std::move(meta)},
                {"s2s", false},
                {"timeout", 3000},
                {"trackers",
                 {{"adFill", {track + "fill?li=" + id}},
                  {"networkNoFill", {track + "nofill?li=" + id}},
                  {"impression", {track + "impression?li=" + id}},
                  {"click", {track + "click?li=" + id}}}}};
}

Answer waterfallAnswer(const std::string& unit, std::vector<Json> ads, std::int64_t auctionTimeout = 5000) {
    return Answer{200,
                  Json{{"refreshConfig", false},
                       {"noAdFillEventUrl", "${BASE_URL}/track/nofill?unit=" + unit},
                       {"auctionTimeout", auctionTimeout},
                       {"ads", ads}},
                  {}};
}

}  // namespace

Scenario Scenario::defaults() {
    Scenario scenario;
    for (const char* type : documentTypes) {
        scenario.documents[type] = DocumentSetting{defaultStamp, nullptr};
    }
    // A refreshing banner: a waterfall whose first line item has no ad, a fill, no fill, then fills.
    const std::string waterfall = "demo-waterfall-banner";
    scenario.bids[waterfall] = {
        waterfallAnswer(waterfall, {waterfallItem("wf-1", "noFill"), waterfallItem("wf-2", "fill")}),
        waterfallAnswer(waterfall, {waterfallItem("wf-3", "fill")}), Answer{204, nullptr, {}},
        waterfallAnswer(waterfall, {waterfallItem("wf-4", "fill")})};
    // A banner whose only line item never answers: the auction times out.
    const std::string timeout = "demo-timeout-banner";
    scenario.bids[timeout] = {waterfallAnswer(timeout, {waterfallItem("to-1", "silent")}, 500)};
    // A native ad and a splash, each filled by its only line item.
    scenario.bids["demo-native"] = {waterfallAnswer("demo-native", {waterfallItem("na-1", "fill")})};
    scenario.bids["demo-splash"] = {waterfallAnswer("demo-splash", {waterfallItem("sp-1", "fill")})};
    // Full-screen ads that dismiss themselves: an interstitial, a rewarded ad whose answer's rewards
    // replace the network's, and an interstitial that never presents (its show times out).
    const Json shown{{"showMs", 300}};
    scenario.bids["demo-interstitial"] = {waterfallAnswer("demo-interstitial", {waterfallItem("in-1", "fill", shown)})};
    Answer rewarded = waterfallAnswer("demo-rewarded", {waterfallItem("rw-1", "fill", {{"showMs", 300}, {"reward", {{"type", "coins"}, {"amount", 1}}}})});
    rewarded.body["rewardedVideo"] = true;
    rewarded.body["rewards"] = Json{{"type", "gems"}, {"amount", 10}};
    scenario.bids["demo-rewarded"] = {rewarded};
    scenario.bids["demo-nopresent-interstitial"] = {
        waterfallAnswer("demo-nopresent-interstitial", {waterfallItem("np-1", "noPresent")})};
    // A native video ad won server to server, rendered by the SDK from files of the service.
    NativeVideoScenario::add(scenario);
    S2sScenario::addTo(scenario);
    return scenario;
}

Scenario Scenario::parse(const std::string& text, const std::filesystem::path& folder) {
    Json root;
    try {
        root = Json::parse(text);
    } catch (const Json::parse_error& error) {
        throw ScenarioError(std::string("not JSON: ") + error.what());
    }
    Scenario scenario = defaults();
    if (!root.is_object()) {
        fail("$", "must be an object");
    }

    if (const Json* configs = member(root, "configs", "$")) {
        if (const Json* code = member(*configs, "status", "configs")) {
            scenario.configStatus = statusCode(*code, "configs.status");
        }
        if (const Json* wait = member(*configs, "delayMs", "configs")) {
            scenario.configDelay = delayValue(*wait, "configs.delayMs");
        }
        if (const Json* documents = member(*configs, "documents", "configs")) {
            if (!documents->is_object()) {
                fail("configs.documents", "must be an object");
            }
            for (const auto& [type, setting] : documents->items()) {
                const std::string path = "configs.documents." + type;
                if (!scenario.documents.count(type)) {
                    fail(path, "is not a document type (root, signals, primeAds, primeMediation, analytics)");
                }
                DocumentSetting& document = scenario.documents[type];
                if (const Json* stamp = member(setting, "lastUpdatedTs", path)) {
                    document.lastUpdatedTs = integer(*stamp, path + ".lastUpdatedTs");
                }
                if (const Json* content = member(setting, "content", path)) {
                    if (!content->is_object()) {
                        fail(path + ".content", "must be an object");
                    }
                    document.patch = *content;
                }
            }
        }
    }

    if (const Json* bid = member(root, "bid", "$")) {
        if (const Json* fallback = member(*bid, "default", "bid")) {
            scenario.defaultBid = Answer::decode(*fallback, "bid.default");
        }
        if (const Json* units = member(*bid, "adUnits", "bid")) {
            if (!units->is_object()) {
                fail("bid.adUnits", "must be an object");
            }
            for (const auto& [unit, answers] : units->items()) {
                const std::string path = "bid.adUnits." + unit;
                if (!answers.is_array() || answers.empty()) {
                    fail(path, "must be a non-empty array of answers");
                }
                auto& list = scenario.bids[unit];
                for (std::size_t i = 0; i < answers.size(); ++i) {
                    list.push_back(Answer::decode(answers[i], path + "[" + std::to_string(i) + "]"));
                }
            }
        }
    }

    if (const Json* analytics = member(root, "analytics", "$")) {
        scenario.analytics = Answer::decode(*analytics, "analytics");
    }
    if (const Json* files = member(root, "files", "$")) {
        if (!files->is_object()) {
            fail("files", "must be an object");
        }
        for (const auto& [target, entry] : files->items()) {
            const std::string path = "files." + target;
            if (!target.starts_with("/")) {
                fail(path, "must be a path starting with /");
            }
            scenario.files[target] = ServedFile::decode(entry, path, folder);
        }
    }
    if (const Json* other = member(root, "other", "$")) {
        scenario.other = Answer::decode(*other, "other");
    }
    return scenario;
}

Scenario Scenario::load(const std::string& path) {
    std::ifstream file(path);
    if (!file) {
        throw ScenarioError("cannot read " + path);
    }
    std::ostringstream text;
    text << file.rdbuf();
    return parse(text.str(), std::filesystem::path(path).parent_path());
}

}  // namespace solen::adserver
