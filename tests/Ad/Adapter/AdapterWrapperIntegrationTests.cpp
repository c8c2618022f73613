// Format wrappers against the local ad service: line items of a served ad response load through
// their wrappers around network adapters found by class name, and their trackers reach the service.
#if !defined(SOLEN_HAVE_ADSERVER)
#include <gtest/gtest.h>
TEST(AdapterWrapperIntegrationTests, NeedsTheTools) { GTEST_SKIP() << "built without the tools"; }
#else

#include "Ad/Adapter/AdapterFactory.h"
#include "Ad/Adapter/InternalAdapter/BannerAdapter.h"
#include "Ad/Adapter/InternalAdapter/InterstitialAdapter.h"
#include "Ad/Adapter/InternalAdapter/NativeAdapter.h"
#include "Ad/Adapter/InternalAdapter/RewardedAdapter.h"
#include "Ad/Network/Models/AdResponse.h"
#include "Commons/Configs/ConfigManager.h"
#include "Commons/Configs/SettingsManager.h"
#include "Commons/Network/NetworkServiceProvider.h"
#include "ExampleInterstitialAdapter.h"
#include "ExampleNativeAdapter.h"
#include "Platform/Foundation/ClassRegistry.h"
#include "adserver/AdService.h"
#include "support/DispatchWait.h"
#include "support/RecordedTrackers.h"
#include "support/RecordingBidder.h"
#include "support/ScopedApplication.h"
#include "support/ScopedUserDefaults.h"
#include "support/ScriptedNetwork.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
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

constexpr double servedShowTimeOut = 400;

// The service's scenario for every test: a served banner response for "wrap-unit", and a show
// time-out of its own for interstitials.
adserver::Scenario wrapperScenario() {
    adserver::Scenario scenario = adserver::Scenario::defaults();
    AdResponse served;
    served.requestId = "wrap-request";
    served.auctionTimeout = 3000;
    served.ads = {servedLineItem("ex", "wrap-example", Json{{"adUrl", "${BASE_URL}/creative/ex"}, {"creativeId", "cr-e2e"}}),
                  servedLineItem("silent", "wrap-silent", Json::object())};
    served.ads[1].timeout = 300;
    scenario.bids["wrap-unit"] = {adserver::Answer{200, served.encode(), {}}};
    scenario.documents["primeAds"].patch = Json{{"interstitial", {{"showTimeOut", servedShowTimeOut}}}};
    return scenario;
}

// One service for the program, whose base URL the SDK's configuration requests take.
class ServiceEnvironment : public ::testing::Environment {
public:
    static inline adserver::AdService* service = nullptr;

    void SetUp() override {
        defaults_ = std::make_unique<test::ScopedUserDefaults>();
        service = new adserver::AdService(wrapperScenario());
        ASSERT_TRUE(service->start());
        ::setenv("SOLEN_SERVICE_BASE_URL", service->baseUrl().c_str(), 1);
    }
    void TearDown() override {
        EXPECT_TRUE(test::drainGlobalQueue());
        service->stop();
        delete service;
        defaults_.reset();
    }

private:
    std::unique_ptr<test::ScopedUserDefaults> defaults_;
};
const auto* environment = ::testing::AddGlobalTestEnvironment(new ServiceEnvironment);

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

// The wrapper of `Wrapper`'s format around network `adapterName`'s ad adapter of that format,
// found by class name as the format's `Protocol`.
template <class Wrapper, class Protocol>
std::shared_ptr<Wrapper> wrap(AdFormat format, const std::string& adapterName,
                              const std::shared_ptr<RecordingBidder>& bidder,
                              std::shared_ptr<TrackerManager> trackerManager = nullptr) {
    const std::string kind = std::string(AdFormats::rawValue(format)) + "Adapter";
    const auto adapter = platform::ClassRegistry::shared()
                             .lookup(*AdapterFactory::adapterClassName(adapterName, kind))
                             ->create<Protocol>();
    return std::dynamic_pointer_cast<Wrapper>(AdapterWrapper::create(format, adapter, bidder, std::move(trackerManager)));
}

TEST(AdapterWrapperIntegrationTests, ServedBannerLineItemsLoadThroughWrappersAndTheServiceRecordsTheirTrackers) {
    adserver::AdService& service = *ServiceEnvironment::service;
    service.setScenario(wrapperScenario());
    service.clearRequests();

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
    const auto banner = [&](const std::string& adapterName) {
        return wrap<BannerAdapter, SolenBaseBannerAdapter>(AdFormat::banner, adapterName, bidder, trackers.manager());
    };
    const auto exampleWrapper = banner("Example");
    const auto silentWrapper = banner("WrapSilent");
    ASSERT_NE(exampleWrapper, nullptr);
    ASSERT_NE(silentWrapper, nullptr);

    const AdapterAdConfiguration exampleConfiguration(exampleItem.lineItemMeta, std::nullopt, platform::Size{320, 50});
    exampleWrapper->load(exampleItem, exampleConfiguration, 5000);
    ASSERT_TRUE(test::waitUntil([&] { return !bidder->reports().empty(); }, 10s));
    trackers.urls();  // the fill tracker has been answered
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
        const auto wrapper = banner("Example");
        const Json settings = adUrl ? Json{{"adUrl", service.baseUrl() + "/creative/none"}} : Json::object();
        wrapper->load(exampleItem, AdapterAdConfiguration(settings), 5000);
        ASSERT_TRUE(test::waitUntil([&] { return !bidder->reports().empty(); }, 10s));
        EXPECT_EQ(bidder->summaries(), std::vector<std::string>{expected});
    }
}

TEST(AdapterWrapperIntegrationTests, FullScreenAdsShowWithinTheServedShowTimeOutAndNativeViewsReachTheirAdapter) {
    adserver::AdService& service = *ServiceEnvironment::service;
    service.setScenario(wrapperScenario());

    // The show time-out comes from the service's ad-format document.
    std::promise<void> fetched;
    ConfigManager::shared()->fetch({ConfigType::primeAds}, [&fetched](auto&&...) { fetched.set_value(); });
    ASSERT_EQ(fetched.get_future().wait_for(10s), std::future_status::ready);
    const double showTimeOut = ConfigManager::shared()->clientOrDefault().interstitial.showTimeOut;
    ASSERT_EQ(showTimeOut, servedShowTimeOut);

    const test::ScopedApplication application;
    const auto window = application.showKeyWindow();
    const auto root = platform::ViewController::create();
    window->setRootViewController(root);
    const auto bidder = RecordingBidder::create();
    const Json settings = {{"adUrl", service.baseUrl() + "/creative/full"},
                           {"creativeId", "cr-full"},
                           {"reward", {{"type", "coins"}, {"amount", 5}}},
                           {"title", "Example title"}};
    const auto loadedWrapper = [&](auto wrapper, const Json* itemSettings = nullptr) {
        bidder->clear();
        wrapper->load(Ads(), AdapterAdConfiguration(itemSettings ? *itemSettings : settings), 5000);
        EXPECT_TRUE(test::waitUntil([&] { return !bidder->reports().empty(); }, 10s));
        EXPECT_EQ(bidder->summaries(), std::vector<std::string>{"didLoad"});
        bidder->clear();
        return wrapper;
    };
    const auto runMain = [](std::chrono::milliseconds duration) {
        test::waitUntil([] { return false; }, duration);
    };

    // What the interstitial manager does: the render timer, then the show. The example presents
    // over the root controller in time; later it dismisses on request.
    const auto interstitial = loadedWrapper(wrap<InterstitialAdapter, SolenBaseInterstitialAdapter>(AdFormat::interstitial, "Example", bidder));
    interstitial->startAdRenderTimer(showTimeOut);
    interstitial->interstitialAdapter()->show(root);
    runMain(std::chrono::milliseconds(static_cast<int>(showTimeOut)) + 200ms);
    EXPECT_THAT(bidder->summaries(), ElementsAre("willPresent", "didPresent", "impression"));
    auto& example = dynamic_cast<example::ExampleInterstitialAdapter&>(*interstitial->interstitialAdapter());
    EXPECT_EQ(root->presentedViewController(), example.presentedController());
    example.dismiss();
    ASSERT_TRUE(test::waitUntil([&] { return bidder->reports().size() == 5; }, 5s));
    EXPECT_THAT(bidder->summaries(), ElementsAre("willPresent", "didPresent", "impression", "willDismiss", "didDismiss"));
    EXPECT_EQ(root->presentedViewController(), nullptr);

    // The rewarded ad reports the reward of its settings, and with "showMs" dismisses itself.
    Json dismissing = settings;
    dismissing["showMs"] = 0;
    const auto rewarded = loadedWrapper(wrap<RewardedAdapter, SolenBaseRewardedAdapter>(AdFormat::rewarded, "Example", bidder), &dismissing);
    rewarded->startAdRenderTimer(showTimeOut);
    rewarded->rewardedAdapter()->show(root);
    ASSERT_TRUE(test::waitUntil([&] { return bidder->reports().size() == 6; }, 5s));
    EXPECT_THAT(bidder->summaries(), ElementsAre("willPresent", "didPresent", "impression", "reward", "willDismiss", "didDismiss"));
    EXPECT_EQ(bidder->reports()[3].reward, settings["reward"]);
    EXPECT_EQ(root->presentedViewController(), nullptr);

    // A network that never presents: renderTimeout once the served time-out has passed.
    test::ScriptedNetwork::Script mute;
    mute.presentsOnShow = false;
    test::ScriptedNetwork muteNetwork("WrapMute", {AdFormat::interstitial}, mute);
    const auto silent = loadedWrapper(wrap<InterstitialAdapter, SolenBaseInterstitialAdapter>(AdFormat::interstitial, "WrapMute", bidder));
    const auto shownAt = std::chrono::steady_clock::now();
    silent->startAdRenderTimer(showTimeOut);
    silent->interstitialAdapter()->show(root);
    ASSERT_TRUE(test::waitUntil([&] { return !bidder->reports().empty(); }, 5s));
    EXPECT_GE(std::chrono::steady_clock::now() - shownAt, std::chrono::milliseconds(static_cast<int>(showTimeOut)));
    EXPECT_THAT(bidder->summaries(), ElementsAre("failToPresent:2007"));
    EXPECT_EQ(muteNetwork.count("show"), 1u);

    // A native template view added to the window and removed again reaches the example adapter.
    const auto native = loadedWrapper(wrap<NativeAdapter, SolenBaseNativeAdapter>(AdFormat::native, "Example", bidder));
    SolenAdViewConfiguration configuration;
    configuration.adTemplateClass = SolenAdViewConfiguration::templateOf<test::ScriptedNativeTemplateView>();
    const auto view = native->getAdView(configuration);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(std::dynamic_pointer_cast<test::ScriptedNativeTemplateView>(view)->nativeAdTitleTextLabel()->text(),
              "Example title");
    window->addSubview(view);
    view->removeFromSuperview();
    const auto& exampleNative = dynamic_cast<const example::ExampleNativeAdapter&>(*native->nativeAdapter());
    EXPECT_THAT(exampleNative.attachments(), ElementsAre(true, false));
}

}  // namespace
}  // namespace solen

#endif
