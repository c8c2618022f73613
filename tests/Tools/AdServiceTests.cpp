#include <gtest/gtest.h>

#ifndef SOLEN_HAVE_ADSERVER

TEST(AdServiceTests, NeedsTheTools) { GTEST_SKIP() << "built without the tools"; }

#else

#include "adserver/AdService.h"
#include "adserver/ConfigDocuments.h"

#include "Ad/Network/Models/AdResponse.h"
#include "Commons/Configs/Network/ConfigResponse.h"

#include <httplib.h>

#include <filesystem>

namespace solen {
namespace {

using namespace std::chrono_literals;
using adserver::AdService;
using adserver::Scenario;
using adserver::ScenarioError;
using adserver::ServiceRequest;

std::string configRequest(std::int64_t stamp) {
    Json configs = Json::array();
    for (const char* type : {"root", "signals", "primeAds", "primeMediation", "analytics"}) {
        configs.push_back({{"lastUpdatedTs", stamp}, {"type", type}});
    }
    return Json{{"appId", "app-1"}, {"version", "p-i-1.0.0-beta4"}, {"configs", configs}}.dump();
}

std::filesystem::path exampleScenario() {
    return std::filesystem::path(__FILE__).parent_path().parent_path().parent_path() / "tools" / "adserver" /
           "scenarios" / "example.json";
}

class AdServiceTests : public ::testing::Test {
protected:
    void start(Scenario scenario = Scenario::defaults()) {
        service = std::make_unique<AdService>(std::move(scenario));
        ASSERT_TRUE(service->start());
        client = std::make_unique<httplib::Client>("127.0.0.1", service->port());
    }
    httplib::Result post(const std::string& path, const std::string& body) {
        return client->Post(path.c_str(), body, "application/json");
    }

    std::unique_ptr<AdService> service;
    std::unique_ptr<httplib::Client> client;
};

TEST_F(AdServiceTests, ConfigDocumentsPassTheSdksStrictDecodersAndPointBackAtTheService) {
    start(Scenario::load(exampleScenario().string()));
    const std::string base = service->baseUrl();

    auto result = post("/configs", configRequest(0));
    ASSERT_TRUE(result);
    ASSERT_EQ(result->status, 200);
    // The answer decoder skips entries that fail: all five must survive.
    const ConfigResponse response = ConfigResponse::fromBody(result->body);
    ASSERT_EQ(response.configs.size(), 5u);
    for (const auto& entry : response.configs) {
        EXPECT_EQ(entry.status, ConfigResponse::ConfigStatus::updated);
        ASSERT_TRUE(entry.content) << rawValue(entry.type);
        EXPECT_EQ(configTypeOf(*entry.content), entry.type);
    }
    EXPECT_EQ(std::get<RootConfig>(*response.configs[0].content).url, base + "/configs");
    EXPECT_EQ(std::get<PrimeAdsConfig>(*response.configs[2].content).url, base + "/bid");
    EXPECT_EQ(std::get<AnalyticsConfig>(*response.configs[4].content).event.url, base + "/analyticsEvent");
    const auto& mediation = std::get<MediationConfig>(*response.configs[3].content);
    ASSERT_EQ(mediation.adapters.size(), 1u);
    EXPECT_EQ(mediation.adapters[0].adapterName, "Demo");
    EXPECT_EQ(response.configs[3].lastUpdatedTs, 1764979200001.0);

    // The built-in scenario's documents decode as well.
    for (const char* type : {"root", "signals", "primeAds", "primeMediation", "analytics"}) {
        const auto document = adserver::ConfigDocuments::document(type, Scenario::defaults(), base);
        ASSERT_TRUE(document);
        EXPECT_NO_THROW(decodeConfigDocument(*configTypeFromRawValue(type), document->dump())) << type;
    }

    // A request holding the service's stamps gets 304 without content, per document.
    Json held = Json::parse(configRequest(Scenario::defaultStamp));
    held["configs"][3]["lastUpdatedTs"] = 1764979200001;
    held["configs"][1]["lastUpdatedTs"] = 5;
    result = post("/configs", held.dump());
    ASSERT_TRUE(result);
    const ConfigResponse again = ConfigResponse::fromBody(result->body);
    ASSERT_EQ(again.configs.size(), 5u);
    for (const auto& entry : again.configs) {
        const bool stale = entry.type == ConfigType::signals;
        EXPECT_EQ(entry.status, stale ? ConfigResponse::ConfigStatus::updated : ConfigResponse::ConfigStatus::noChange);
        EXPECT_EQ(entry.content.has_value(), stale);
    }
    const auto recorded = service->requests();
    ASSERT_EQ(recorded.size(), 2u);
    EXPECT_EQ(recorded[1].kind, ServiceRequest::Kind::config);
    EXPECT_EQ(recorded[1].summary, "root:304 signals:200 primeAds:304 primeMediation:304 analytics:304");

    // Malformed requests and a failing service are answered with an error body.
    result = post("/configs", "not json");
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, 400);
}

TEST_F(AdServiceTests, BidAnswersFollowTheScenarioPerAdUnit) {
    start(Scenario::load(exampleScenario().string()));
    const std::string base = service->baseUrl();
    const auto bid = [&](const std::string& unit, const std::string& rid) {
        return post("/bid", Json{{"ext", {{"sdk", {{"rid", rid}, {"adUnitId", unit}}}}}}.dump());
    };

    auto result = bid("demo-banner", "rid-1");
    ASSERT_TRUE(result);
    ASSERT_EQ(result->status, 200);
    const AdResponse response = AdResponse::decode(result->body);
    EXPECT_EQ(response.requestId, "rid-1");
    ASSERT_EQ(response.ads.size(), 1u);
    ASSERT_TRUE(response.ads[0].trackers.adFill);
    EXPECT_EQ(response.ads[0].trackers.adFill->at(0), base + "/track/fill?li=li-1");
    EXPECT_EQ(response.noAdFillEventUrl, base + "/track/nofill?unit=demo-banner");

    // The list is served in order and its last answer repeats; other units get the default.
    EXPECT_EQ(bid("demo-banner", "rid-2")->status, 204);
    EXPECT_EQ(bid("demo-banner", "rid-3")->status, 204);
    EXPECT_EQ(bid("other-unit", "rid-4")->status, 204);
    EXPECT_EQ(service->countOf(ServiceRequest::Kind::bid), 4u);
    EXPECT_EQ(service->requests()[0].summary, "adUnit=demo-banner rid=rid-1");
}

TEST_F(AdServiceTests, RecordsAnalyticsEventsAndAnyOtherPath) {
    start();
    const Json upload = {{"ext", {{"events", Json::array({Json{{"name", "AppLaunch"}}, Json{{"name", "AppOpen"}}})}}}};
    ASSERT_EQ(post("/analyticsEvent", upload.dump())->status, 200);
    ASSERT_EQ(client->Get("/track/fill?li=1")->status, 200);

    EXPECT_EQ(service->eventCount("AppLaunch"), 1u);
    EXPECT_EQ(service->eventCount("AppOpen"), 1u);
    const auto recorded = service->requests();
    ASSERT_EQ(recorded.size(), 2u);
    EXPECT_EQ(recorded[1].kind, ServiceRequest::Kind::other);
    EXPECT_EQ(recorded[1].target, "/track/fill?li=1");
    EXPECT_EQ(recorded[1].path, "/track/fill");

    const std::string timeline = service->timeline();
    EXPECT_NE(timeline.find("POST /analyticsEvent -> 200  AppLaunch AppOpen"), std::string::npos) << timeline;
    EXPECT_NE(timeline.find("GET /track/fill?li=1 -> 200"), std::string::npos) << timeline;
    const auto json = service->toJson();
    ASSERT_EQ(json.size(), 2u);
    EXPECT_EQ(json[0]["kind"], "analytics");
    EXPECT_EQ(json[0]["body"]["ext"]["events"][1]["name"], "AppOpen");

    EXPECT_TRUE(service->waitFor([](const auto& requests) { return requests.size() == 2; }, 1s));
    service->stop();
    EXPECT_FALSE(service->isRunning());
    service->stop();  // idempotent
}

TEST_F(AdServiceTests, ScenarioFilesAreCheckedWithAPathToTheFault) {
    const auto expectError = [](const std::string& text, const std::string& fragment) {
        try {
            Scenario::parse(text);
            ADD_FAILURE() << "accepted: " << text;
        } catch (const ScenarioError& error) {
            EXPECT_NE(std::string(error.what()).find(fragment), std::string::npos) << error.what();
        }
    };
    expectError("{", "not JSON");
    expectError("[]", "$: must be an object");
    expectError(R"({"configs":{"documents":{"ads":{}}}})", "configs.documents.ads");
    expectError(R"({"configs":{"status":99}})", "configs.status");
    expectError(R"({"bid":{"adUnits":{"u":[]}}})", "bid.adUnits.u");
    expectError(R"({"bid":{"adUnits":{"u":[{"delayMs":-1}]}}})", "bid.adUnits.u[0].delayMs");
    expectError(R"({"analytics":{"status":"200"}})", "analytics.status");

    const Scenario failing = Scenario::parse(R"({"configs":{"status":503}})");
    EXPECT_EQ(failing.configStatus, 503);
    EXPECT_EQ(failing.documents.size(), 5u);
    start(failing);
    const auto result = post("/configs", configRequest(0));
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, 503);
    EXPECT_EQ(Json::parse(result->body)["errors"][0], "The config service is unavailable");
}

}  // namespace
}  // namespace solen

#endif
