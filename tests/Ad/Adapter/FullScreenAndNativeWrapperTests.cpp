#include "Ad/Adapter/InternalAdapter/InterstitialAdapter.h"
#include "Ad/Adapter/InternalAdapter/NativeAdapter.h"
#include "Ad/Adapter/InternalAdapter/RewardedAdapter.h"
#include "Platform/Foundation/ClassRegistry.h"
#include "support/DispatchWait.h"
#include "support/LogCapture.h"
#include "support/RecordedTrackers.h"
#include "support/RecordingBidder.h"
#include "support/ScopedManualClock.h"
#include "support/ScriptedNetwork.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>

namespace solen {
namespace {

using ::testing::ElementsAre;
using Json = nlohmann::ordered_json;
using test::RecordingBidder;
using test::ScriptedNetwork;

constexpr std::int64_t renderTimeoutCode = 2007;

class FullScreenAndNativeWrapperTest : public ::testing::Test {
protected:
    // The wrapper of `format` around the network's adapter of that format, loaded.
    template <class Wrapper>
    std::shared_ptr<Wrapper> loaded(ScriptedNetwork& network, AdFormat format,
                                    const std::shared_ptr<RecordingBidder>& owner) {
        const auto adapter = platform::ClassRegistry::shared()
                                 .lookup(network.adAdapterClassName(format))
                                 ->template create<SolenBaseAdAdapter>();
        auto wrapper = std::dynamic_pointer_cast<Wrapper>(AdapterWrapper::create(format, adapter, owner, trackers.manager()));
        Ads ad;
        ad.networkId = "full-screen";
        wrapper->load(ad, AdapterAdConfiguration(), 5000);
        EXPECT_TRUE(test::settle());
        owner->clear();
        return wrapper;
    }

    // What the show path does: the render timer, then the network's show.
    static void show(FullScreenAdapterWrapper& wrapper, double renderTimeoutMilli) {
        wrapper.startAdRenderTimer(renderTimeoutMilli);
        if (const auto* interstitial = dynamic_cast<InterstitialAdapter*>(&wrapper)) {
            interstitial->interstitialAdapter()->show(nullptr);
        } else {
            dynamic_cast<RewardedAdapter&>(wrapper).rewardedAdapter()->show(nullptr);
        }
    }

    void advance(double seconds) {
        clock.advanceSeconds(seconds);
        ASSERT_TRUE(test::settle());
    }

    test::ScopedManualClock clock;
    test::RecordedTrackers trackers;
    test::LogCapture log;
    std::shared_ptr<RecordingBidder> bidder = RecordingBidder::create();
};

TEST_F(FullScreenAndNativeWrapperTest, RenderTimerIsStoppedByPresentationAndFailsOnlyWithout) {
    ScriptedNetwork::Script script;
    script.rewards = Json::array({1, "any reward value"});
    ScriptedNetwork network("FullShow", {AdFormat::interstitial, AdFormat::rewarded}, script);
    for (const AdFormat format : {AdFormat::interstitial, AdFormat::rewarded}) {
        const bool rewarded = format == AdFormat::rewarded;
        SCOPED_TRACE(rewarded ? "rewarded" : "interstitial");
        log.clear();
        const auto wrapper = loaded<FullScreenAdapterWrapper>(network, format, bidder);
        const auto adapter = wrapper->solenAdAdapter();

        // A timely will-present suppresses the time-out.
        show(*wrapper, 400);
        EXPECT_TRUE(log.contains("RenderTimer has been created with interval 0.4"));
        advance(1);
        std::vector<std::string> presented = {"willPresent", "didPresent", "impression"};
        if (rewarded) {
            presented.push_back("reward");
            EXPECT_EQ(bidder->reports().back().reward, script.rewards);
        }
        EXPECT_EQ(bidder->summaries(), presented);
        EXPECT_TRUE(log.contains("adRenderTimer suspended"));

        // Also when the expiry is already on its way to main behind the will-present.
        bidder->clear();
        wrapper->startAdRenderTimer(400);
        wrapper->adAdapterWillPresentScreen(*adapter);
        clock.advanceSeconds(0.4);
        ASSERT_TRUE(test::drainGlobalQueue());
        ASSERT_TRUE(test::settle());
        EXPECT_THAT(bidder->summaries(), ElementsAre("willPresent"));

        // Without a will-present the time-out reports renderTimeout once; the state stays.
        bidder->clear();
        auto silent = script;
        silent.presentsOnShow = false;
        network.setScript(silent);
        show(*wrapper, 400);
        advance(0.2);
        wrapper->startAdRenderTimer(400);  // a second show replaces the timer
        advance(0.39);
        EXPECT_TRUE(bidder->reports().empty());
        advance(0.01);
        EXPECT_THAT(bidder->summaries(), ElementsAre("failToPresent:2007"));
        EXPECT_EQ(bidder->reports()[0].presentation->toError().code, renderTimeoutCode);
        EXPECT_EQ(wrapper->state(), AdapterAdState::loaded);
        EXPECT_EQ(log.count("adRenderTimer timeoutFailure"), 1u);
        advance(5);
        EXPECT_EQ(bidder->reports().size(), 1u);

        // A render time-out of 0 fails at once.
        bidder->clear();
        wrapper->startAdRenderTimer(0);
        EXPECT_THAT(bidder->summaries(), ElementsAre("failToPresent:2007"));

        // The network's presentation failure is the one report of the show.
        bidder->clear();
        auto failing = script;
        failing.showFailure = SolenAdapterError::failedToShow(SolenErrorData::ofClass("FullShow", "no", "later"));
        network.setScript(failing);
        show(*wrapper, 400);
        advance(5);
        EXPECT_THAT(bidder->summaries(), ElementsAre("failToPresent:FailedToShow"));
        EXPECT_EQ(bidder->reports()[0].presentation->toError().code, 8006);
        network.setScript(script);
    }
}

TEST_F(FullScreenAndNativeWrapperTest, AbandonReleaseAndGates) {
    ScriptedNetwork::Script script;
    script.presentsOnShow = false;
    ScriptedNetwork network("FullGone", {AdFormat::interstitial, AdFormat::rewarded}, script);

    // A shown wrapper abandoned or released reports nothing, its render timer stopped.
    const auto shown = loaded<InterstitialAdapter>(network, AdFormat::interstitial, bidder);
    show(*shown, 400);
    shown->abandon();
    auto released = loaded<RewardedAdapter>(network, AdFormat::rewarded, bidder);
    show(*released, 400);
    const auto adapter = released->rewardedAdapter();
    released.reset();
    EXPECT_EQ(adapter->delegate(), nullptr);
    advance(1);
    EXPECT_TRUE(bidder->reports().empty());

    // A bidder without the format refinements hears only load results: no presentation, no
    // presentation failure, no reward.
    const auto plain = RecordingBidder::create(RecordingBidder::Interfaces::loadResultOnly);
    script.presentsOnShow = true;
    network.setScript(script);
    const auto rewarded = loaded<RewardedAdapter>(network, AdFormat::rewarded, plain);
    show(*rewarded, 400);
    rewarded->adAdapterDidFailToPresent(*rewarded->rewardedAdapter(),
                                        SolenAdapterError::failedToShow(SolenErrorData::ofClass("X", "no", "later")));
    rewarded->startAdRenderTimer(0);
    advance(1);
    EXPECT_TRUE(plain->reports().empty());
}

// A native adapter whose view call throws.
class ThrowingNativeAdapter final : public SolenBaseNativeAdapter {
public:
    void load(const AdapterAdConfiguration&) override {}
    std::optional<std::string> getCreativeId() override { return std::nullopt; }
    std::shared_ptr<SolenNativeAdView> getAdView(std::optional<SolenAdViewConfiguration>) override {
        throw std::runtime_error("no view");
    }
    void adViewAttached(bool) override {}
};

TEST_F(FullScreenAndNativeWrapperTest, NativeViewReachesTheWrappersAdapterWhileBothLive) {
    ScriptedNetwork network("NativeView", {AdFormat::native});
    auto wrapper = loaded<NativeAdapter>(network, AdFormat::native, bidder);
    SolenAdViewConfiguration configuration;
    configuration.adTemplateClass = SolenAdViewConfiguration::templateOf<test::ScriptedNativeTemplateView>();
    const auto attachments = [&] {
        std::vector<bool> values;
        for (const auto& call : network.calls("adViewAttached")) {
            values.push_back(call.arguments["attached"].get<bool>());
        }
        return values;
    };

    auto view = wrapper->getAdView(configuration);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(wrapper->nativeAdView(), view);
    const auto window = platform::View::create();
    window->addSubview(view);
    view->removeFromSuperview();
    view->draw(platform::Rect{0, 0, 300, 250});
    EXPECT_THAT(attachments(), ElementsAre(true, false));
    EXPECT_EQ(network.count("adViewFrameUpdated"), 1u);

    // A template that is not a native ad view gives none and changes nothing.
    SolenAdViewConfiguration plainTemplate;
    plainTemplate.adTemplateClass = SolenAdViewConfiguration::templateOf<platform::View>();
    EXPECT_EQ(wrapper->getAdView(plainTemplate), nullptr);
    EXPECT_EQ(wrapper->nativeAdView(), view);

    // A second view takes the wrapper's link; the first keeps its own.
    auto second = wrapper->getAdView(configuration);
    EXPECT_EQ(wrapper->nativeAdView(), second);
    window->addSubview(view);
    second->draw(platform::Rect{0, 0, 10, 10});
    EXPECT_THAT(attachments(), ElementsAre(true, false, true));
    EXPECT_EQ(network.count("adViewFrameUpdated"), 2u);

    // Released by the application, a view reads as absent; one that outlives its wrapper tells
    // nobody.
    second.reset();
    EXPECT_EQ(wrapper->nativeAdView(), nullptr);
    wrapper.reset();
    view->removeFromSuperview();
    EXPECT_THAT(attachments(), ElementsAre(true, false, true));

    // A network adapter that throws gives no view.
    const auto thrower = std::make_shared<ThrowingNativeAdapter>();
    const auto guarded = NativeAdapter::create(thrower, bidder, trackers.manager());
    EXPECT_EQ(guarded->getAdView(configuration), nullptr);
    EXPECT_TRUE(log.contains("threw from getAdView"));

    // The view-controller query goes to the native refinement only.
    const auto controller = std::make_shared<platform::ViewController>();
    bidder->setViewController(controller);
    EXPECT_EQ(guarded->viewControllerForModalPresentation(), controller);
    const auto plain = RecordingBidder::create(RecordingBidder::Interfaces::loadResultOnly);
    EXPECT_EQ(NativeAdapter::create(thrower, plain)->viewControllerForModalPresentation(), nullptr);
}

}  // namespace
}  // namespace solen
