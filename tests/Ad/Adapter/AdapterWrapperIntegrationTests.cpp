// Format wrappers against the local ad service: line items of a served ad response load through
// their wrappers around network adapters found by class name, and their trackers reach the service.
#if !defined(SOLEN_HAVE_ADSERVER)
#include <gtest/gtest.h>
TEST(AdapterWrapperIntegrationTests, NeedsTheTools) { GTEST_SKIP() << "built without the tools"; }
#else

#include "Ad/Adapter/AdapterFactory.h"
#include "Ad/Adapter/InternalAdapter/BannerAdapter.h"
#include "Ad/Network/Models/AdResponse.h"
#include "Commons/Configs/SettingsManager.h"
#include "Commons/Network/NetworkServiceProvider.h"
#include "Platform/Foundation/ClassRegistry.h"
#include "adserver/AdService.h"
#include "support/DispatchWait.h"
#include "support/RecordedTrackers.h"
#include "support/RecordingBidder.h"
#include "support/ScriptedNetwork.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <future>

namespace solen {
namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;
using ::testing::MatchesRegex;
using Json = nlohmann::ordered_json;
using test::RecordingBidder;

// A line item whose network trackers point back at the service, tagged with `tag`.
Ads servedLineItem(const std::string& tag, const std::string& networkId, Json settings) {
    Ads ad;
    ad.lineItemId = tag;
    ad.networkId = networkId;
    ad.lineItemMeta = std::move(settings);
    const std::string base = "${BASE_URL}/t/";
    ad.trackers.networkLoad = std::vector<std::string>{base + "load?li=" + tag + "&imp=$IMP"};
    ad.trackers.networkFill = std::vector<std::string>{base + "fill?li=" + tag + "&cr=$CR_ID&nl=$NETWORK_LATENCY"};
    ad.trackers.networkNoFill = std::vector<std::string>{
        base + "nofill?li=" + tag + "&cr=$CR_ID&nl=$NETWORK_LATENCY&dr=$DROP_REASON&dd=$DROP_DESCRIPTOR"};
    ad.trackers.bidLoss =
        std::vector<std::string>{base + "loss?li=" + tag + "&cr=$CR_ID&dr=$DROP_REASON&dd=$DROP_DESCRIPTOR"};
    return ad;
}

// The ad response the service serves for `adUnit`, asked for as a bid request would.
AdResponse fetchAdResponse(const adserver::AdService& service, const std::string& adUnit) {
    platform::URLRequest request(platform::URL::parse(service.baseUrl() + "/bid"));
    request.setHttpMethod("POST");
    const std::string body = Json{{"ext", {{"sdk", {{"adUnitId", adUnit}}}}}}.dump();
    request.setHttpBody(platform::HttpSession::Data(body.begin(), body.end()));
    std::promise<std::string> answer;
    const auto task = NetworkServiceProvider::session()->dataTask(
        std::move(request), [&answer](std::optional<platform::HttpSession::Data> data, auto&&...) {
            answer.set_value(data ? std::string(data->begin(), data->end()) : std::string());
        });
    task->resume();
    return AdResponse::decode(answer.get_future().get());
}

std::vector<std::string> trackerTargets(const adserver::AdService& service) {
    std::vector<std::string> targets;
    for (const auto& request : service.requests()) {
        if (request.path.starts_with("/t/")) {
            targets.push_back(request.target);
        }
    }
    return targets;
}

TEST(AdapterWrapperIntegrationTests, ServedBannerLineItemsLoadThroughWrappersAndTheServiceRecordsTheirTrackers) {
    adserver::Scenario scenario = adserver::Scenario::defaults();
    AdResponse served;
    served.requestId = "wrap-request";
    served.auctionTimeout = 3000;
    served.ads = {servedLineItem("ex", "wrap-example", Json{{"adUrl", "${BASE_URL}/creative/ex"}, {"creativeId", "cr-e2e"}}),
                  servedLineItem("silent", "wrap-silent", Json::object())};
    served.ads[1].timeout = 300;
    scenario.bids["wrap-unit"] = {adserver::Answer{200, served.encode(), {}}};
    adserver::AdService service(std::move(scenario));
    ASSERT_TRUE(service.start());

    const AdResponse response = fetchAdResponse(service, "wrap-unit");
    ASSERT_EQ(response.ads.size(), 2u);
    const Ads& exampleItem = response.ads[0];
    const Ads& silentItem = response.ads[1];

    // The example network is registered and started, as the bidder does before a load.
    AdapterConfig exampleNetwork;
    exampleNetwork.networkId = "wrap-example";
    exampleNetwork.adapterName = "Example";
    exampleNetwork.adapterMeta = Json{{"endpoint", service.baseUrl() + "/example"}, {"appKey", "demo"}};
    SettingsManager::shared()->fillAdapterSettings({exampleNetwork});
    AdapterFactory::initilizeNetworkSDKOnAdLoad(exampleNetwork);

    test::ScriptedNetwork::Script silent;
    silent.loadAnswers = {};
    test::ScriptedNetwork silentNetwork("WrapSilent", {AdFormat::banner}, silent);

    const test::RecordedTrackers trackers(test::RecordedTrackers::Delivery::sendInOrder);
    const auto bidder = RecordingBidder::create();
    const auto wrap = [&](const std::string& adapterName) {
        auto adapter = platform::ClassRegistry::shared()
                           .lookup(*AdapterFactory::adapterClassName(adapterName, "BannerAdapter"))
                           ->create<SolenBaseBannerAdapter>();
        return BannerAdapter::create(std::move(adapter), bidder, trackers.manager());
    };
    const auto exampleWrapper = wrap("Example");
    const auto silentWrapper = wrap("WrapSilent");
    ASSERT_NE(exampleWrapper, nullptr);
    ASSERT_NE(silentWrapper, nullptr);

    const AdapterAdConfiguration exampleConfiguration(exampleItem.lineItemMeta, std::nullopt, platform::Size{320, 50});
    exampleWrapper->load(exampleItem, exampleConfiguration, 5000);
    ASSERT_TRUE(test::waitUntil([&] { return !bidder->reports().empty(); }, 10s));
    silentWrapper->load(silentItem, AdapterAdConfiguration(), static_cast<double>(*silentItem.timeout));
    ASSERT_TRUE(test::waitUntil([&] { return bidder->reports().size() == 2; }, 10s));

    const auto reports = bidder->reports();
    EXPECT_EQ(reports[0].name, "didLoad");
    ASSERT_NE(reports[0].view, nullptr);
    EXPECT_EQ(reports[0].view->frame(), (platform::Rect{0, 0, 320, 50}));
    EXPECT_EQ(reports[1].summary(), "didFail:LineItemTimeout");
    EXPECT_EQ(exampleWrapper->state(), AdapterAdState::loaded);
    EXPECT_EQ(silentWrapper->state(), AdapterAdState::failed);

    trackers.urls();  // every tracker fired so far has been answered
    const auto timedOut = SolenAdapterError::lineItemTimeout(
        SolenErrorData::ofClass("ScriptedBannerAdapter", "The network adapter timed out", "Please try again"));
    const std::string descriptor = TrackerData::encodeValue(timedOut.errorUserInfoDescription());
    EXPECT_THAT(trackerTargets(service),
                ElementsAre("/t/load?li=ex&imp=", MatchesRegex("/t/fill\\?li=ex&cr=cr-e2e&nl=[0-9]+"),
                            "/t/load?li=silent&imp=",
                            MatchesRegex("/t/nofill\\?li=silent&cr=creative-1&nl=[0-9]+&dr=LineItemTimeout&dd=.*"),
                            "/t/loss?li=silent&cr=creative-1&dr=LineItemTimeout&dd=" + descriptor));
    const auto targets = trackerTargets(service);
    ASSERT_EQ(targets.size(), 5u);
    EXPECT_TRUE(targets[3].ends_with("&dd=" + descriptor));
    EXPECT_GE(std::stoll(targets[3].substr(targets[3].find("&nl=") + 4)), 300);

    // The example network's other answers: 204 is no fill, anything else (or no URL) an error.
    for (const auto& [status, adUrl, expected] : std::vector<std::tuple<int, bool, std::string>>{
             {204, true, "didFail:NoFill"}, {500, true, "didFail:AdapterError"}, {200, false, "didFail:AdapterError"}}) {
        adserver::Scenario answers = adserver::Scenario::defaults();
        answers.other = adserver::Answer{status, "", {}};
        service.setScenario(answers);
        bidder->clear();
        const auto wrapper = wrap("Example");
        const Json settings = adUrl ? Json{{"adUrl", service.baseUrl() + "/creative/none"}} : Json::object();
        wrapper->load(exampleItem, AdapterAdConfiguration(settings), 5000);
        ASSERT_TRUE(test::waitUntil([&] { return !bidder->reports().empty(); }, 10s));
        EXPECT_EQ(bidder->summaries(), std::vector<std::string>{expected});
    }
    EXPECT_TRUE(test::drainGlobalQueue());
    service.stop();
}

}  // namespace
}  // namespace solen

#endif
