#include "Ad/Adapter/S2s/S2sBannerAdapter.h"
#include "Ad/Adapter/S2s/S2sInterstitialAdapter.h"
#include "Ad/RenderEngine/Native/CreativeRenderingEngineData.h"
#include "Ad/RenderEngine/View/RenderVC.h"
#include "Platform/Dispatch/MainLoop.h"
#include "Platform/Foundation/ClassRegistry.h"
#include "support/ScopedApplication.h"
#include <solen/adapters/BannerAdapterDelegate.h>
#include <solen/adapters/CreativeData.h>
#include <solen/adapters/InterstitialAdapterDelegate.h>
#include <solen/ui/Window.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace solen {
namespace {

using ::testing::ElementsAre;

void pump() { platform::MainLoop::shared().runUntilIdle(); }

// Records every callback as text; a load report also records what the adapter answers inside it.
struct Recorder final : BannerAdapterDelegate, InterstitialAdapterDelegate {
    void adAdapterDidLoad(SolenBaseAdAdapter& adapter, std::shared_ptr<platform::View> view) override {
        const bool seesView = dynamic_cast<S2sBannerAdapter*>(&adapter)
                                  ? dynamic_cast<S2sBannerAdapter&>(adapter).getAdView() == view
                                  : dynamic_cast<S2sInterstitialAdapter&>(adapter).isReady();
        events.push_back(std::string("load ") + (view && seesView ? "seen" : "unseen"));
    }
    void adAdapterDidFailToLoad(SolenBaseAdAdapter&, SolenAdapterError e) override {
        events.push_back(std::string(e.rawValue()) + ": " + e.data().failureReason() + " / " + e.data().recoverySuggestion());
    }
    void adAdapterDidFailToPresent(SolenBaseAdAdapter&, SolenAdapterError e) override {
        events.push_back(std::string(e.rawValue()) + ": " + e.data().failureReason());
    }
    void adAdapterDidClick(SolenBaseAdAdapter&) override { events.push_back("click"); }
    void userWillLeaveApplicationFrom(SolenBaseAdAdapter&) override { events.push_back("leave"); }
    void adAdapterWillPresentScreen(SolenBaseAdAdapter&) override { events.push_back("willPresent"); }
    void adAdapterDidPresentScreen(SolenBaseAdAdapter&) override { events.push_back("didPresent"); }
    void adAdapterWillDismissScreen(SolenBaseAdAdapter&) override { events.push_back("willDismiss"); }
    void adAdapterDidDismissScreen(SolenBaseAdAdapter&) override { events.push_back("didDismiss"); }
    void adapterDidAdImpression(SolenBaseAdAdapter&) override { events.push_back("impression"); }
    void adAdapterDidVideoEventOccurred(VideoEvent) override { events.push_back("video"); }
    std::shared_ptr<platform::ViewController> viewControllerForModalPresentation() override { return nullptr; }
    std::vector<std::string> events;
};

AdapterAdConfiguration configuration(std::optional<std::string> encoded, std::optional<platform::Size> size = platform::Size{320, 50}) {
    AdapterAdConfiguration config(std::nullopt, std::nullopt, size);
    if (encoded) {
        config.creativeModel = std::make_shared<CreativeRenderingEngineData>(Creative{PubContentModel(*encoded), MarkupType::default_, std::nullopt});
    }
    return config;
}

constexpr const char* page = "PGI+YWQ8L2I+";  // "<b>ad</b>"

class S2sAdapterTest : public ::testing::Test {
protected:
    test::ScopedApplication application;
    std::shared_ptr<Recorder> recorder = std::make_shared<Recorder>();
};

TEST_F(S2sAdapterTest, BadMarkupAndSizesFailAtOnceWithTheirTexts) {
    const std::string contact = " / Please contact support@solen.ai";
    struct Case {
        AdapterAdConfiguration config;
        std::string bannerFailure;  // empty: the banner loads
        std::string interstitialFailure;
    };
    AdapterAdConfiguration plain = configuration(std::nullopt);
    plain.creativeModel = std::make_shared<CreativeData>("<b>ad</b>");
    const std::vector<Case> cases{
        {configuration(std::nullopt), "The Ad markup is empty", "The Ad markup is empty"},
        {plain, "The Ad markup is empty", "The Ad markup is empty"},
        {configuration("not base64!"), "Invalid S2sNative adCreative", "Invalid S2sNative adCreative"},
        {configuration("PGI+YWQ8L2I"), "Invalid S2sNative adCreative", "Invalid S2sNative adCreative"},
        {configuration("/w=="), "Invalid S2sNative adCreative", "Invalid S2sNative adCreative"},  // 0xFF: not UTF-8
        {configuration(page, platform::Size{320, 0}), "The Ad size is invalid ", ""},
        {configuration(page, platform::Size{-1, 50}), "The Ad size is invalid ", ""},
        {configuration(page, platform::Size{std::nan(""), 50}), "The Ad size is invalid ", ""},
        {configuration(page, std::nullopt), "The Ad size is invalid ", ""},
    };
    for (const Case& c : cases) {
        auto banner = std::make_shared<S2sBannerAdapter>();
        auto interstitial = std::make_shared<S2sInterstitialAdapter>();
        banner->SolenBaseBannerAdapter::setDelegate(std::weak_ptr<BannerAdapterDelegate>(recorder));
        interstitial->SolenBaseInterstitialAdapter::setDelegate(std::weak_ptr<InterstitialAdapterDelegate>(recorder));
        recorder->events.clear();
        banner->load(c.config);
        ASSERT_EQ(recorder->events.size(), 1u);
        EXPECT_EQ(recorder->events[0], "InvalidAdMarkup: " + c.bannerFailure + contact);
        recorder->events.clear();
        interstitial->load(c.config);
        if (c.interstitialFailure.empty()) {
            EXPECT_TRUE(recorder->events.empty());
        } else {
            EXPECT_THAT(recorder->events, ElementsAre("InvalidAdMarkup: " + c.interstitialFailure + contact));
        }
        pump();
        EXPECT_FALSE(banner->banner());
    }
}

TEST_F(S2sAdapterTest, BannerStoresItsViewBeforeReportingAndPassesTheViewsReports) {
    const auto cls = platform::ClassRegistry::shared().lookup("S2sBannerAdapter");
    ASSERT_TRUE(cls);
    auto banner = std::dynamic_pointer_cast<S2sBannerAdapter>(cls->create<SolenBaseBannerAdapter>());
    ASSERT_TRUE(banner);
    banner->setDelegate(std::weak_ptr<BannerAdapterDelegate>(recorder));
    banner->load(configuration(page));
    EXPECT_FALSE(banner->getAdView());
    pump();
    EXPECT_THAT(recorder->events, ElementsAre("load seen"));
    EXPECT_EQ(banner->getAdView()->frame(), platform::Rect(0, 0, 320, 50));
    EXPECT_FALSE(banner->getCreativeId());
    EXPECT_EQ(banner->banner()->status(), FacadeStatus::loadCompleted);
    auto window = application.showKeyWindow();
    window->addSubview(banner->getAdView());
    banner->getAdView()->removeFromSuperview();
    window->addSubview(banner->getAdView());
    EXPECT_THAT(recorder->events, ElementsAre("load seen", "impression"));

    // Markup that decodes to nothing makes the view but never loads it, silently.
    auto empty = std::make_shared<S2sBannerAdapter>();
    empty->setDelegate(std::weak_ptr<BannerAdapterDelegate>(recorder));
    empty->load(configuration(""));
    pump();
    ASSERT_TRUE(empty->banner());
    EXPECT_EQ(empty->banner()->status(), FacadeStatus::loadNotCalled);
    EXPECT_EQ(recorder->events.size(), 2u);

    // Released while loading: nothing is reported.
    auto released = std::make_shared<S2sBannerAdapter>();
    released->setDelegate(std::weak_ptr<BannerAdapterDelegate>(recorder));
    released->load(configuration(page));
    released.reset();
    pump();
    EXPECT_EQ(recorder->events.size(), 2u);
}

TEST_F(S2sAdapterTest, InterstitialShowsFromTheTopMostControllerEachTimeInANewController) {
    auto window = application.showKeyWindow();
    auto root = platform::ViewController::create();
    window->setRootViewController(root);
    auto interstitial = std::make_shared<S2sInterstitialAdapter>();
    interstitial->setDelegate(std::weak_ptr<InterstitialAdapterDelegate>(recorder));
    const std::string failed = "FailedToShow: The operation couldn\u2019t be completed. (com.solen error 100.)";

    interstitial->show(root);  // nothing loaded
    interstitial->load(configuration(page, std::nullopt));
    EXPECT_FALSE(interstitial->isReady());
    interstitial->show(root);  // not yet loaded
    pump();
    EXPECT_THAT(recorder->events, ElementsAre(failed, failed, "load seen"));
    EXPECT_EQ(interstitial->interstitial()->renderView()->frame(), platform::Rect(0, 20, 390, 824));

    recorder->events.clear();
    interstitial->show(nullptr);  // the argument is not used
    pump();
    const auto first = root->presentedViewController();
    ASSERT_TRUE(std::dynamic_pointer_cast<RenderVC>(first));
    EXPECT_TRUE(application.application().isStatusBarHidden());
    EXPECT_EQ(interstitial->interstitial()->renderView()->frame(), platform::Rect(0, 0, 390, 844));
    ASSERT_TRUE(interstitial->interstitial()->renderView()->closeButton());
    interstitial->interstitial()->renderView()->closeButton()->sendActions(platform::Button::ControlEvent::touchUpInside);
    pump();
    EXPECT_FALSE(root->presentedViewController());
    EXPECT_THAT(recorder->events, ElementsAre("willPresent", "impression", "didPresent", "willDismiss", "didDismiss"));

    EXPECT_TRUE(interstitial->isReady());
    interstitial->show(root);
    pump();
    const auto second = root->presentedViewController();
    ASSERT_TRUE(second);
    EXPECT_NE(second, first);
    EXPECT_EQ(std::dynamic_pointer_cast<RenderVC>(second)->renderView(), interstitial->interstitial()->renderView());

    // No key window: a presentation failure.
    application.application().setKeyWindow(nullptr);
    recorder->events.clear();
    interstitial->show(root);
    EXPECT_THAT(recorder->events, ElementsAre(failed));
}

}  // namespace
}  // namespace solen
