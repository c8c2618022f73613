#include "DemoS2sAds.h"

#include "ScriptedWebView.h"

#include <solen/SolenBanner.h>
#include <solen/SolenInterstitial.h>
#include <solen/host/MainLoop.h>
#include <solen/ui/Window.h>

#include <string>

namespace solen::demo {
namespace {

// Writes every callback of a banner and an interstitial into the timeline with the ad unit.
class DemoS2sDelegate final : public SolenBannerDelegate, public SolenInterstitialDelegate {
public:
    DemoS2sDelegate(std::shared_ptr<DemoTimeline> timeline, std::string adUnitId)
        : timeline_(std::move(timeline)), adUnitId_(std::move(adUnitId)) {}

    std::shared_ptr<platform::ViewController> viewControllerForSolenBannerFullScreen() override { return nullptr; }
    void solenBannerDidLoad(SolenBanner&) override { note("solenBannerDidLoad"); }
    void solenBannerDidFailToLoad(SolenBanner&, const platform::Error& error) override { failed("solenBannerDidFailToLoad", error); }
    void solenBannerDidClick(SolenBanner&, const std::optional<nlohmann::ordered_json>&) override { note("solenBannerDidClick"); }
    void solenBannerWillPresentScreen(SolenBanner&) override { note("solenBannerWillPresentScreen"); }
    void solenBannerDidPresentScreen(SolenBanner&) override { note("solenBannerDidPresentScreen"); }
    void solenBannerWillCollapseScreen(SolenBanner&) override { note("solenBannerWillCollapseScreen"); }
    void solenBannerDidCollapseScreen(SolenBanner&) override {
        ended = true;
        note("solenBannerDidCollapseScreen");
    }
    void solenBannerImpression(SolenBanner&, const std::optional<nlohmann::ordered_json>&) override {
        note("solenBannerImpression");
    }

    void solenInterstitialDidLoad(SolenInterstitial&) override {
        loaded = true;
        note("solenInterstitialDidLoad");
    }
    void solenInterstitialDidFailToLoad(SolenInterstitial&, const platform::Error& error) override {
        failed("solenInterstitialDidFailToLoad", error);
    }
    void solenInterstitialDidFailToDisplay(SolenInterstitial&, const platform::Error& error) override {
        failed("solenInterstitialDidFailToDisplay", error);
    }
    void solenInterstitialWillDisplay(SolenInterstitial&) override { note("solenInterstitialWillDisplay"); }
    void solenInterstitialDidDisplay(SolenInterstitial&) override { note("solenInterstitialDidDisplay"); }
    void solenInterstitialImpression(SolenInterstitial&, const std::optional<nlohmann::ordered_json>&) override {
        note("solenInterstitialImpression");
    }
    void solenInterstitialWillDismiss(SolenInterstitial&) override { note("solenInterstitialWillDismiss"); }
    void solenInterstitialDidDismiss(SolenInterstitial&) override {
        ended = true;
        note("solenInterstitialDidDismiss");
    }

    bool loaded = false;
    bool ended = false;
    bool failure = false;

private:
    void note(const std::string& event) { timeline_->add("host", adUnitId_ + ": " + event); }
    void failed(const char* callback, const platform::Error& error) {
        failure = true;
        note(std::string(callback) + ", " + std::to_string(error.code) + " " + error.localizedDescription);
    }
    std::shared_ptr<DemoTimeline> timeline_;
    std::string adUnitId_;
};

}  // namespace

platform::WebViewFactory::Maker scriptedWebViews(std::shared_ptr<DemoTimeline> timeline) {
    return [timeline](platform::Rect frame, platform::WebViewConfiguration configuration) {
        auto view = scripted::ScriptedWebView::create(frame, std::move(configuration));
        view->setConsoleObserver([timeline](const std::string& line) { timeline->add("page", line); });
        return std::static_pointer_cast<platform::WebView>(view);
    };
}

bool runServerToServerAds(const std::shared_ptr<DemoTimeline>& timeline, std::chrono::milliseconds limit) {
    const auto window = platform::Window::create();
    window->setRootViewController(platform::ViewController::create());
    window->makeKeyAndVisible();
    const auto root = window->rootViewController();

    const auto bannerEvents = std::make_shared<DemoS2sDelegate>(timeline, "demo-s2s-banner");
    auto banner = SolenBanner::create("demo-s2s-banner", {320, 50}, bannerEvents);
    root->view()->addSubview(banner);
    timeline->add("host", "load() of demo-s2s-banner, in a window");
    banner->load();
    host::MainLoop::runUntil([&] { return bannerEvents->ended || bannerEvents->failure; }, limit);
    // The page hears of its return to the banner's place on the next turns.
    host::MainLoop::runFor(std::chrono::milliseconds(100));
    banner->removeFromSuperview();
    banner.reset();

    const auto interstitialEvents = std::make_shared<DemoS2sDelegate>(timeline, "demo-s2s-interstitial");
    const auto interstitial = SolenInterstitial::create("demo-s2s-interstitial", interstitialEvents);
    timeline->add("host", "load() of demo-s2s-interstitial");
    interstitial->load();
    host::MainLoop::runUntil([&] { return interstitialEvents->loaded || interstitialEvents->failure; }, limit);
    timeline->add("host", std::string("show() of demo-s2s-interstitial") + (interstitial->isReady() ? " (ready)" : " (not ready)"));
    interstitial->show(root);
    host::MainLoop::runUntil([&] { return interstitialEvents->ended || interstitialEvents->failure; }, limit);
    return bannerEvents->ended && !bannerEvents->failure && interstitialEvents->ended && !interstitialEvents->failure;
}

}  // namespace solen::demo
