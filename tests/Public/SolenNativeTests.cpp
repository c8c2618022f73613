// The public native and splash ads over the native ad manager, on the manual clock: bid answers
// come from the scripted HTTP session, line items load through a scripted network, and every
// delegate call is recorded as it reaches the application.
#include "Ad/Managers/Manager/NativeAdManager.h"

#include "Commons/Configs/ConfigDefaults.h"
#include "support/AdResponseBuilder.h"
#include "support/ConfigAnswer.h"
#include "support/DispatchWait.h"
#include "support/LogCapture.h"
#include "support/RecordingAdManagerDelegate.h"
#include "support/ScopedAdapterSettings.h"
#include "support/ScopedApplication.h"
#include "support/ScopedManualClock.h"
#include "support/ScopedUserDefaults.h"
#include "support/ScriptedNetwork.h"
#include "support/SdkStartupOnce.h"
#include "support/TrackerCapture.h"

#include <solen/SolenNative.h>
#include <solen/SolenSplash.h>
#include <solen/adapters/SolenBaseNativeAdapter.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace solen {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Not;
using test::AdResponseBuilder;
using test::ScriptedNetwork;
using HttpAnswer = test::ScriptedHttpSession::Answer;
using LoadAnswer = ScriptedNetwork::LoadAnswer;
using Json = nlohmann::ordered_json;

// Records both formats' calls alike: "didLoad", "didFail:<code>", "click:<params>", "impression",
// "willPresent", "didPresent", "willCollapse", "didCollapse", "leave".
struct Recorder {
    std::vector<std::string> events;
    void failed(const platform::Error& error) { events.push_back("didFail:" + std::to_string(error.code)); }
    void clicked(const Json& params) { events.push_back("click:" + params.dump()); }
};

class RecordingNativeDelegate final : public SolenNativeDelegate, public Recorder {
public:
    std::shared_ptr<platform::ViewController> viewControllerForSolenFullScreen() override { return controller; }
    void solenNativeDidLoad(SolenNative&) override { events.push_back("didLoad"); }
    void solenNativeDidLoadFail(SolenNative&, const platform::Error& error) override { failed(error); }
    void solenNativeDidClick(SolenNative&, const Json& params) override { clicked(params); }
    void solenNativeImpression(SolenNative&, const std::optional<Json>&) override { events.push_back("impression"); }
    void solenNativeWillPresentScreen(SolenNative&) override { events.push_back("willPresent"); }
    void solenNativeDidPresentScreen(SolenNative&) override { events.push_back("didPresent"); }
    void solenNativeWillCollapseScreen(SolenNative&) override { events.push_back("willCollapse"); }
    void solenNativeDidCollapseScreen(SolenNative&) override { events.push_back("didCollapse"); }
    void solenNativeUserWillLeaveApplication(SolenNative&) override { events.push_back("leave"); }

    std::shared_ptr<platform::ViewController> controller = std::make_shared<platform::ViewController>();
};

class RecordingSplashDelegate final : public SolenSplashDelegate, public Recorder {
public:
    void solenSplashDidLoad(SolenSplash&) override { events.push_back("didLoad"); }
    void solenSplashDidLoadFail(SolenSplash&, const platform::Error& error) override { failed(error); }
    void solenSplashDidClick(SolenSplash&, const Json& params) override { clicked(params); }
    void solenSplashImpression(SolenSplash&, const std::optional<Json>&) override { events.push_back("impression"); }
};

// A template that makes a plain view, not a native ad view.
class NotANativeView final : public platform::View {};

class SolenNativeTest : public ::testing::Test {
protected:
    void SetUp() override {
        capture_.session()->setHandler([](const platform::URLRequest& request) -> std::optional<HttpAnswer> {
            const std::string path = request.url() ? request.url()->path() : "";
            if (path.ends_with("/configs")) {
                return HttpAnswer::status(200, test::configAnswer({ConfigDefaults::root(0), ConfigDefaults::signals(),
                                                                   ConfigDefaults::primeAds(0), MediationConfig{},
                                                                   ConfigDefaults::analytics()}));
            }
            if (!path.ends_with("/bid")) return std::nullopt;
            AdResponseBuilder builder;
            builder.add(AdResponseBuilder::lineItem("A", "acme"));
            return HttpAnswer::status(200, builder.auctionTimeout(5000).build().encode().dump());
        });
        ASSERT_TRUE(test::initializeSdkOnce());
        ASSERT_TRUE(test::settle());
        capture_.clear();
    }

    void advance(double seconds) {
        clock_.advanceSeconds(seconds);
        ASSERT_TRUE(test::settle());
    }
    // The winner's network adapter, as its format's protocol.
    template <class Protocol>
    std::shared_ptr<Protocol> adapter(AdFormat format) {
        return std::dynamic_pointer_cast<Protocol>(acme_.lastAdapter(format));
    }
    std::vector<std::string> viewRequests() {
        std::vector<std::string> requests;
        for (const auto& call : acme_.calls("getAdView")) requests.push_back(call.arguments.dump());
        return requests;
    }

    test::ScopedUserDefaults defaults_;
    test::ScopedApplication application_;
    test::ScopedManualClock clock_;
    test::TrackerCapture capture_;
    test::ScopedAdapterSettings settings_{{test::ScopedAdapterSettings::network("acme", "Acme", 10000)}};
    ScriptedNetwork acme_{"Acme", {AdFormat::native, AdFormat::splash}, ScriptedNetwork::Script{},
                          SdkInitializedResult::success(true)};
    std::shared_ptr<RecordingNativeDelegate> delegate_ = std::make_shared<RecordingNativeDelegate>();
    std::shared_ptr<SolenNative> native_ = SolenNative::create("unit-1", {300, 250}, delegate_);
};

TEST_F(SolenNativeTest, EachViewRequestAsksTheWinnerAgainWithTheCurrentTemplate) {
    {
        test::LogCapture log;
        EXPECT_EQ(native_->getAdView(), nullptr);
        EXPECT_TRUE(log.contains("Ad fail's due to Invalid StateMachine state createdState"));
    }
    native_->load();
    ASSERT_TRUE(test::settle());
    EXPECT_THAT(delegate_->events, ElementsAre("didLoad"));

    auto plain = native_->getAdView();
    native_->setAdTemplateViewClass(SolenAdViewConfiguration::templateOf<test::ScriptedNativeTemplateView>());
    const auto templated = std::dynamic_pointer_cast<test::ScriptedNativeTemplateView>(native_->getAdView());
    ASSERT_NE(plain, nullptr);
    ASSERT_NE(templated, nullptr);
    EXPECT_NE(plain, templated);
    EXPECT_EQ(templated->nativeAdTitleTextLabel()->text(), "Scripted title");
    // A template that makes no native ad view gives none.
    native_->setAdTemplateViewClass(SolenAdViewConfiguration::templateOf<NotANativeView>());
    EXPECT_EQ(native_->getAdView(), nullptr);
    EXPECT_THAT(viewRequests(), ElementsAre(R"({"template":false})", R"({"template":true})", R"({"template":true})"));

    // The view tells the network when it is attached; the SDK keeps no strong reference to it.
    const auto window = application_.showKeyWindow();
    window->addSubview(templated);
    EXPECT_EQ(acme_.count("adViewAttached"), 1u);
    const std::weak_ptr<platform::View> weakPlain = plain;
    plain.reset();
    EXPECT_TRUE(weakPlain.expired());

    const auto network = adapter<SolenBaseNativeAdapter>(AdFormat::native);
    ASSERT_NE(network, nullptr);
    acme_.lastAdapter(AdFormat::native)->reportImpression();
    acme_.lastAdapter(AdFormat::native)->reportClick();
    network->delegate()->userWillLeaveApplicationFrom(*network);
    ASSERT_TRUE(test::settle());
    EXPECT_THAT(delegate_->events, ElementsAre("didLoad", "impression", "click:{}", "leave"));
    EXPECT_EQ(network->delegate()->viewControllerForModalPresentation(), delegate_->controller);
    EXPECT_THAT(capture_.settledEvents(), ElementsAre("adFill:A", "click:A", "impression:A", "networkFill:A", "networkLoad:A"));
}

TEST_F(SolenNativeTest, ASecondLoadDuringALoadFailsItAndDropsItsResult) {
    ScriptedNetwork::Script slow = acme_.script();
    slow.loadTiming = {1, nullptr};
    acme_.setScript(slow);
    native_->load();
    ASSERT_TRUE(test::settle());
    native_->load();
    ASSERT_TRUE(test::settle());
    EXPECT_THAT(delegate_->events, ElementsAre("didFail:2001"));
    advance(2);
    EXPECT_THAT(delegate_->events, ElementsAre("didFail:2001"));
    EXPECT_EQ(native_->getAdView(), nullptr);
    EXPECT_THAT(capture_.settledEvents(), Not(Contains("adFill:A")));

    // The failed object loads again.
    native_->load();
    ASSERT_TRUE(test::settle());
    advance(1);
    EXPECT_THAT(delegate_->events, ElementsAre("didFail:2001", "didLoad"));
    EXPECT_NE(native_->getAdView(), nullptr);
}

TEST_F(SolenNativeTest, ExpansionGoesThroughTheMachineAndRefusesLoadsAndViews) {
    native_->load();
    ASSERT_TRUE(test::settle());
    // Expansion before the view was taken is refused by the machine.
    const auto network = adapter<SolenBaseNativeAdapter>(AdFormat::native);
    ASSERT_NE(network, nullptr);
    network->delegate()->adAdapterWillPresentScreen(*network);
    ASSERT_NE(native_->getAdView(), nullptr);
    network->delegate()->adAdapterWillPresentScreen(*network);
    network->delegate()->adAdapterDidPresentScreen(*network);
    ASSERT_TRUE(test::settle());
    {
        test::LogCapture log;
        native_->load();
        EXPECT_EQ(native_->getAdView(), nullptr);
        ASSERT_TRUE(test::settle());
        EXPECT_TRUE(log.contains("Ad fail's due to Invalid StateMachine state expandedState"));
    }
    acme_.lastAdapter(AdFormat::native)->reportDismiss();
    ASSERT_TRUE(test::settle());
    EXPECT_THAT(delegate_->events, ElementsAre("didLoad", "willPresent", "didPresent", "willCollapse", "didCollapse"));
    EXPECT_NE(native_->getAdView(), nullptr);
}

TEST_F(SolenNativeTest, BadSizesFailAndTheSplashGivesItsViewWithoutAViewController) {
    const double nan = std::nan("");
    const double inf = std::numeric_limits<double>::infinity();
    for (const platform::Size size : {platform::Size{-1, 250}, platform::Size{nan, 250}, platform::Size{300, inf}}) {
        auto delegate = std::make_shared<RecordingNativeDelegate>();
        const auto native = SolenNative::create("unit-1", size, delegate);
        native->load();
        ASSERT_TRUE(test::settle());
        EXPECT_THAT(delegate->events, ElementsAre("didFail:2009"));
    }

    const auto splashDelegate = std::make_shared<RecordingSplashDelegate>();
    const auto splash = SolenSplash::create("unit-s", {320, 480}, splashDelegate);
    EXPECT_EQ(splash->getAdView(), nullptr);
    splash->load();
    ASSERT_TRUE(test::settle());
    const auto view = splash->getAdView();
    EXPECT_NE(view, nullptr);
    EXPECT_THAT(viewRequests(), ElementsAre(R"({"template":false})"));
    acme_.lastAdapter(AdFormat::splash)->reportClick();
    ASSERT_TRUE(test::settle());
    EXPECT_THAT(splashDelegate->events, ElementsAre("didLoad", "click:{}"));
    EXPECT_EQ(splash->adSize(), (platform::Size{320, 480}));
    EXPECT_EQ(splash->adUnitId(), "unit-s");
}

TEST_F(SolenNativeTest, AWinnerWithoutAConfigurationOrOfAnotherFormatGivesNoView) {
    const auto recorder = std::make_shared<test::RecordingAdManagerDelegate>();
    for (const AdFormat format : {AdFormat::native, AdFormat::splash}) {
        const auto manager = NativeAdManager::create(recorder);
        AdSetting setting;
        setting.adType = format;
        setting.adUnitId = "unit-1";
        manager->loadAd(setting);
        ASSERT_TRUE(test::settle());
        ASSERT_NE(manager->auctioneer(), nullptr);
        ASSERT_NE(manager->auctioneer()->bidder(), nullptr);
        const auto& bidder = *manager->auctioneer()->bidder();
        EXPECT_EQ(adViewOfWinningAdapter(std::nullopt, bidder), nullptr);
        EXPECT_NE(adViewOfWinningAdapter(SolenAdViewConfiguration{}, bidder), nullptr);
        EXPECT_EQ(manager->viewControllerForModalPresentation(), nullptr);
        EXPECT_EQ(manager->stateMachine().currentState(), NativeState::loadedState);
    }
    EXPECT_THAT(recorder->results(), ElementsAre("didFinishLoading", "didFinishLoading"));
}

}  // namespace
}  // namespace solen
