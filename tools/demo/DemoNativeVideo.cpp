#include "DemoNativeVideo.h"

#include <solen/SolenNative.h>
#include <solen/SolenNativeAdView.h>
#include <solen/SolenNativeAdViewProtocol.h>
#include <solen/host/MainLoop.h>
#include <solen/ui/TapGestureRecognizer.h>
#include <solen/ui/Window.h>

#include <string>

namespace solen::demo {
namespace {

const char* const kUnit = "demo-native-video";

// The demo's template: an icon and two lines of text over the media, the description and the
// call to action below it, in 300×250 points.
class VideoTemplate final : public SolenNativeAdView, public SolenNativeAdViewProtocol {
public:
    VideoTemplate() : SolenNativeAdView(platform::Rect{0, 0, 300, 250}) {}
    static std::shared_ptr<platform::View> make() {
        const auto view = std::make_shared<VideoTemplate>();
        for (const std::shared_ptr<platform::View>& outlet :
             std::initializer_list<std::shared_ptr<platform::View>>{view->icon_, view->title_, view->sponsored_,
                                                                   view->media_, view->description_, view->cta_}) {
            view->addSubview(outlet);
        }
        return view;
    }
    std::shared_ptr<platform::Label> nativeAdTitleTextLabel() const override { return title_; }
    std::shared_ptr<platform::Label> nativeAdDescriptionTextLabel() const override { return description_; }
    std::shared_ptr<platform::Label> nativeAdSponsoredByCompanyTextLabel() const override { return sponsored_; }
    std::shared_ptr<platform::Label> nativeAdCallToActionTextLabel() const override { return cta_; }
    std::shared_ptr<platform::ImageView> nativeAdIconImageView() const override { return icon_; }
    std::shared_ptr<platform::View> nativeAdMediaView() const override { return media_; }

private:
    std::shared_ptr<platform::ImageView> icon_ = platform::ImageView::create(platform::Rect{0, 0, 40, 40});
    std::shared_ptr<platform::Label> title_ = platform::Label::create(platform::Rect{44, 0, 256, 20});
    std::shared_ptr<platform::Label> sponsored_ = platform::Label::create(platform::Rect{44, 20, 256, 20});
    std::shared_ptr<platform::View> media_ = platform::View::create(platform::Rect{0, 44, 300, 170});
    std::shared_ptr<platform::Label> description_ = platform::Label::create(platform::Rect{0, 214, 200, 36});
    std::shared_ptr<platform::Label> cta_ = platform::Label::create(platform::Rect{200, 214, 100, 36});
};

class VideoDelegate final : public SolenNativeDelegate {
public:
    explicit VideoDelegate(std::shared_ptr<DemoTimeline> timeline) : timeline_(std::move(timeline)) {}
    std::shared_ptr<platform::ViewController> viewControllerForSolenFullScreen() override { return nullptr; }
    void solenNativeDidLoad(SolenNative&) override { note(loads, "solenNativeDidLoad"); }
    void solenNativeDidLoadFail(SolenNative&, const platform::Error& error) override {
        note(failures, "solenNativeDidLoadFail, " + std::to_string(error.code) + " " + error.localizedDescription);
    }
    void solenNativeImpression(SolenNative&, const std::optional<nlohmann::ordered_json>&) override {
        note(impressions, "solenNativeImpression");
    }
    void solenNativeDidClick(SolenNative&, const nlohmann::ordered_json& params) override {
        note(clicks, "solenNativeDidClick " + params.dump());
    }
    void note(const std::string& text) const { timeline_->add("host", std::string(kUnit) + ": " + text); }

    int loads = 0;
    int failures = 0;
    int impressions = 0;
    int clicks = 0;

private:
    void note(int& count, const std::string& text) {
        ++count;
        note(text);
    }
    std::shared_ptr<DemoTimeline> timeline_;
};

// The picture of the end card: the one image view the media outlet's video shows once the clip
// has ended, or none while it plays.
std::shared_ptr<platform::ImageView> endCard(const platform::View& mediaOutlet) {
    const auto content = mediaOutlet.subviews();
    const auto shown = content.size() == 1 ? content.front()->subviews() : std::vector<std::shared_ptr<platform::View>>{};
    const auto picture = shown.size() == 1 ? std::dynamic_pointer_cast<platform::ImageView>(shown.front()) : nullptr;
    return picture && picture->image() ? picture : nullptr;
}

// Taps the first view under `view` (itself included) that has a tap recogniser which takes it.
bool tap(const platform::View& view) {
    for (const auto& recognizer : view.gestureRecognizers()) {
        const auto tapRecognizer = std::dynamic_pointer_cast<platform::TapGestureRecognizer>(recognizer);
        if (tapRecognizer && tapRecognizer->recognizeTap()) return true;
    }
    for (const auto& subview : view.subviews()) {
        if (tap(*subview)) return true;
    }
    return false;
}

}  // namespace

bool runNativeVideo(const std::shared_ptr<DemoTimeline>& timeline, std::chrono::milliseconds limit) {
    const auto window = platform::Window::create();
    window->makeKeyAndVisible();
    const auto delegate = std::make_shared<VideoDelegate>(timeline);
    const auto native = SolenNative::create(kUnit, {300, 250}, delegate);
    native->setAdTemplateViewClass(&VideoTemplate::make);
    delegate->note("load() with the demo's template");
    native->load();
    host::MainLoop::runUntil([&] { return delegate->loads + delegate->failures > 0; }, limit);

    const auto view = std::dynamic_pointer_cast<VideoTemplate>(native->getAdView());
    if (!view) {
        delegate->note("no ad view");
        return false;
    }
    window->addSubview(view);
    delegate->note("ad view attached to a visible window: \"" + view->nativeAdTitleTextLabel()->text() + "\" by " +
                   view->nativeAdSponsoredByCompanyTextLabel()->text());
    const platform::View& media = *view->nativeAdMediaView();
    host::MainLoop::runUntil([&] { return delegate->impressions > 0 && endCard(media); }, limit);
    const auto card = endCard(media);
    if (card) {
        delegate->note("end card: companion " + std::to_string(card->image()->pixelWidth()) + "×" +
                       std::to_string(card->image()->pixelHeight()));
    }
    delegate->note("tap on the call to action \"" + view->nativeAdCallToActionTextLabel()->text() + "\"");
    tap(*view->nativeAdCallToActionTextLabel());
    host::MainLoop::runUntil([&] { return delegate->clicks > 0; }, limit);
    view->removeFromSuperview();
    delegate->note("ad view removed from the window");
    return delegate->loads == 1 && delegate->impressions == 1 && card && delegate->clicks == 1;
}

}  // namespace solen::demo
