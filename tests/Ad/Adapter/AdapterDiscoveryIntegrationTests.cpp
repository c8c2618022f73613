// The SDK against the local ad service: the mediation document's networks are found by class name
// and started at initialisation, and a bid request carries the header bidders' tokens. Two
// scripted networks and the example network (linked in) take part.
#if !defined(SOLEN_HAVE_ADSERVER)
#include <gtest/gtest.h>
TEST(AdapterDiscoveryIntegrationTests, NeedsTheTools) { GTEST_SKIP() << "built without the tools"; }
#else

#include "Ad/Network/AdNetworkInterface.h"
#include "ExampleSDKAdapter.h"
#include "Commons/Utilities/Base64.h"
#include "Platform/Device/OperatingSystem.h"
#include "adserver/AdService.h"
#include "support/DispatchWait.h"
#include "support/LogCapture.h"
#include "support/ScopedUserDefaults.h"
#include "support/ScriptedNetwork.h"

#include <solen/Solen.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>

namespace solen {
namespace {

using namespace std::chrono_literals;
using Json = nlohmann::ordered_json;
using adserver::ServiceRequest;
using test::ScriptedNetwork;

Json scriptedNetwork(const char* id, const char* name, bool headerBidder) {
    return Json{{"networkId", id},
                {"adapterName", name},
                {"adapterMeta", {{"appKey", std::string(id) + "-key"}}},
                {"headerBidder", headerBidder},
                {"timeout", 3000.0}};
}

// One service and one initialised SDK for the program: the SDK takes its endpoints once.
class ServiceEnvironment : public ::testing::Environment {
public:
    static inline adserver::AdService* service = nullptr;

    void SetUp() override {
        adserver::Scenario scenario = adserver::Scenario::defaults();
        scenario.documents["primeMediation"].patch = Json{
            {"adapters",
             Json::array({scriptedNetwork("integ-a", "IntegA", true), scriptedNetwork("integ-b", "IntegB", false),
                          Json{{"networkId", "example"},
                               {"adapterName", "Example"},
                               {"adapterMeta", {{"endpoint", "${BASE_URL}/example"}, {"appKey", "demo"}}},
                               {"headerBidder", true},
                               {"timeout", 3000.0}}})},
            {"adUnits", Json::array({Json{{"adUnitId", "hb-unit"},
                                          {"refresh", 0},
                                          {"hbNetworks", {"integ-a", "example", "integ-b", "integ-a"}}}})}};
        service = new adserver::AdService(std::move(scenario));
        ASSERT_TRUE(service->start());
        ::setenv("SOLEN_SERVICE_BASE_URL", service->baseUrl().c_str(), 1);
        platform::OperatingSystem::setVersionProvider([] { return std::string("17.0"); });
    }
    void TearDown() override {
        EXPECT_TRUE(test::drainGlobalQueue());
        service->stop();
    }
};
const auto* environment = ::testing::AddGlobalTestEnvironment(new ServiceEnvironment);

class AdapterDiscoveryIntegrationTests : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        defaults = new test::ScopedUserDefaults();
        ScriptedNetwork::Script a;
        a.bidToken = "token-a";
        a.networkSDKVersion = "5.0";
        ScriptedNetwork::Script b;
        b.bidToken = "token-b";
        alpha = new test::ScriptedNetwork("IntegA", {}, a);
        beta = new test::ScriptedNetwork("IntegB", {}, b);
        std::atomic<int> result{-1};
        Solen::initialize(SolenSdkConfiguration("integ-app", {}),
                          [&result](std::optional<SolenSdkError> error) { result = error ? 1 : 0; });
        ASSERT_TRUE(test::waitUntil([&] { return result.load() >= 0; }, 10s));
        ASSERT_EQ(result.load(), 0);
    }

    adserver::AdService& service() { return *ServiceEnvironment::service; }

    static inline test::ScopedUserDefaults* defaults = nullptr;
    static inline test::ScriptedNetwork* alpha = nullptr;
    static inline test::ScriptedNetwork* beta = nullptr;
};

TEST_F(AdapterDiscoveryIntegrationTests, InitialisingStartsEveryConfiguredNetworkWithItsSettings) {
    ASSERT_TRUE(test::waitUntil([] { return alpha->count("initOnSDKInit") > 0 && beta->count("initOnSDKInit") > 0; }, 10s));
    EXPECT_EQ(alpha->calls("initOnSDKInit").at(0).arguments, (Json{{"networkConfig", {{"appKey", "integ-a-key"}}}}));
    EXPECT_EQ(beta->calls("initOnSDKInit").at(0).arguments, (Json{{"networkConfig", {{"appKey", "integ-b-key"}}}}));
    EXPECT_TRUE(test::waitUntil([] { return alpha->sdkInitializedResult().isReady(); }, 10s));
    // The example network makes its own start-up request.
    EXPECT_TRUE(service().waitFor(
        [](const auto& requests) {
            for (const auto& request : requests) {
                if (request.method == "GET" && request.target == "/example/init?appKey=demo") return true;
            }
            return false;
        },
        10s))
        << service().timeline();
    EXPECT_TRUE(test::waitUntil([] { return example::ExampleSDKAdapter::classSdkInitializedResult().isReady(); }, 10s));
}

TEST_F(AdapterDiscoveryIntegrationTests, TheBidRequestCarriesTheHeaderBiddersTokens) {
    service().clearRequests();
    auto client = AdNetworkInterface::create();
    std::atomic<bool> answered{false};
    client->setDidGetAdResponse([&](const AdResponse&, const std::string&) { answered = true; });
    client->setDidFailToGetAdResponseWithError([&](const AdError&, const std::string&) { answered = true; });
    client->getAd("load-1", "hb-unit", ImpressionInfo{});
    ASSERT_TRUE(test::waitUntil([&] { return answered.load(); }, 10s));

    Json body;
    for (const auto& request : service().requests()) {
        if (request.kind == ServiceRequest::Kind::bid) body = Json::parse(request.body);
    }
    ASSERT_TRUE(body.is_object()) << service().timeline();
    EXPECT_EQ(body["ext"]["tpnsdks"],
              (Json{{"example", {{"ver", "2.4.0"}, {"bidToken", base64Encode("example-demo")}}},
                    {"integ-a", {{"ver", "5.0"}, {"bidToken", base64Encode("token-a")}}}}));
    EXPECT_EQ(beta->count("getBidToken"), 0u);  // not a header bidder
}

}  // namespace
}  // namespace solen

#endif
