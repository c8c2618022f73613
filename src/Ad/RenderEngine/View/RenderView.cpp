#include "Ad/RenderEngine/View/RenderView.h"

#include "Ad/RenderEngine/Bridge/MRAIDJS.h"
#include "Ad/RenderEngine/View/RenderVC.h"
#include "Ad/RenderEngine/View/RenderViewCalls.h"
#include "Commons/Utilities/MainQueue.h"
#include "Commons/Utilities/Utilities.h"
#include "Platform/Foundation/NotificationCenter.h"
#include "Platform/UI/Application.h"
#include "Platform/UI/Screen.h"
#include <solen/ui/Window.h>

#include <algorithm>

namespace solen {

using platform::Application;
using platform::NotificationCenter;
using platform::Point;
using platform::Rect;
using platform::Size;

RenderView::RenderView(Token, AdViewConfig adConfig, std::weak_ptr<RenderStatusDelegate> renderDelegate)
    : View(adConfig.frame), adConfig_(adConfig), renderDelegate_(std::move(renderDelegate)) {}

RenderView::~RenderView() {
    if (observing_) {
        NotificationCenter::defaultCenter().removeObserver(this);
    }
}

void RenderView::setUp() {
    webView_ = MWKWebview::create(adConfig_);
    mraidAction_ = std::make_shared<MRAIDAction>(webView_, adConfig_);
    const std::shared_ptr<RenderView> me = self();
    webView_->setWebViewDelegate(me);
    mraidAction_->setRenderView(me);
}

template <class Report>
void RenderView::report(Report report) {
    if (const std::shared_ptr<RenderStatusDelegate> delegate = renderDelegate_.lock()) {
        report(*delegate, *this);
    }
}

void RenderView::loadAd(const std::string& markup) {
    if (status_ == RenderViewStatus::loading || markup.empty()) {
        return;
    }
    performOnMainQueue([webView = std::weak_ptr<MWKWebview>(webView_), markup] {
        if (const auto wrapper = webView.lock()) {
            wrapper->loadHTML(markup, std::nullopt);
        }
    });
}

// Page reports.

bool RenderView::shouldStartLoad(const std::shared_ptr<MWebview>&, const platform::WebRequest& request,
                                 platform::NavigationType) {
    return RenderViewCalls::shouldStartLoad(request, mraidAction_, isMRAIDIInjected_);
}

void RenderView::webViewDidFinishLoad() {
    const std::shared_ptr<RenderView> keep = self();
    mraidAction_->pushInitialState();
    mraidAction_->broadcastReady(MRAIDJS::defaultScheme);
    addSubview(webView_->webView());
    pageLoaded_ = true;
    if (!pageReported_) {
        pageReported_ = true;
        report([](RenderStatusDelegate& d, RenderView& v) { d.renderViewDidLoad(v); });
    }
}

void RenderView::webViewDidFailLoad(const platform::Error& error) {
    if (!pageReported_) {
        pageReported_ = true;
        report([&error](RenderStatusDelegate& d, RenderView& v) { d.renderViewDidFailWithError(v, error); });
    }
}

void RenderView::didReceiveNativeCall(const std::shared_ptr<MWebview>& webView, const std::optional<std::string>& scheme,
                                      const std::optional<std::string>& command, const std::optional<AnyDictionary>& params) {
    const std::shared_ptr<RenderView> keep = self();
    RenderViewCalls::didReceiveNativeCall(mraidAction_, webView, scheme, command, params);
}

// Attachment and activation.

void RenderView::didMoveToWindow() {
    if (!window()) {
        stopObservingApplication();
        if (pageLoaded_) {
            MRAIDJS::Methods::updateViewable(false).evaluate(webView_);
        }
        return;
    }
    if (!adSuperView_.lock()) {
        adSuperView_ = superview();
    }
    status_ = RenderViewStatus::visible;
    if (!isImpressed_) {
        isImpressed_ = true;
        report([](RenderStatusDelegate& d, RenderView& v) { d.renderViewDidRecordImpression(v); });
    }
    startObservingApplication();
    if (pageLoaded_) {
        MRAIDJS::Methods::updateViewable(true).evaluate(webView_);
    }
}

void RenderView::startObservingApplication() {
    if (observing_) {
        return;
    }
    observing_ = true;
    const std::weak_ptr<RenderView> weak = self();
    NotificationCenter& center = NotificationCenter::defaultCenter();
    center.addObserver(shared_from_this(), Application::didBecomeActiveNotification, [weak](const auto&) {
        if (const auto view = weak.lock()) view->appDidBecomeActive();
    });
    center.addObserver(shared_from_this(), Application::willResignActiveNotification, [weak](const auto&) {
        if (const auto view = weak.lock()) view->appWillResignActive();
    });
}

void RenderView::stopObservingApplication() {
    if (observing_) {
        observing_ = false;
        NotificationCenter::defaultCenter().removeObserver(this);
    }
}

void RenderView::appDidBecomeActive() { MRAIDJS::Methods::updateViewable(true).evaluate(webView_); }

void RenderView::appWillResignActive() {
    MRAIDJS::Methods::updateViewable(false).evaluate(webView_);
    report([](RenderStatusDelegate& d, RenderView& v) { d.renderViewWillLeaveApplication(v); });
}

// Reports from the view of a two-part expand: only the presentation and leaving pass up.

void RenderView::renderViewDidLoad(RenderView&) {}
void RenderView::renderViewDidFailWithError(RenderView&, const platform::Error&) {}
void RenderView::renderViewDidFireAdReady(RenderView&) {}
void RenderView::renderViewDidRecordImpression(RenderView&) {}
void RenderView::renderViewWillLeaveApplication(RenderView&) {
    report([](RenderStatusDelegate& d, RenderView& v) { d.renderViewWillLeaveApplication(v); });
}
void RenderView::renderViewWillPresentScreen(RenderView&) {
    report([](RenderStatusDelegate& d, RenderView& v) { d.renderViewWillPresentScreen(v); });
}
void RenderView::renderViewDidPresentScreen(RenderView&) {
    report([](RenderStatusDelegate& d, RenderView& v) { d.renderViewDidPresentScreen(v); });
}
void RenderView::renderViewWillDismissScreen(RenderView&) {
    report([](RenderStatusDelegate& d, RenderView& v) { d.renderViewWillDismissScreen(v); });
}
void RenderView::renderViewDidDismissScreen(RenderView&) {
    report([](RenderStatusDelegate& d, RenderView& v) { d.renderViewDidDismissScreen(v); });
}

// AdRenderView.

Rect RenderView::currentPosition() const {
    const Point origin = convertTo(Point{0, 0}, nullptr);
    return Rect(origin.x, origin.y - Utilities::statusBarHeight(), frame().size.width, frame().size.height);
}

std::shared_ptr<platform::Window> RenderView::keyWindow() const { return Application::shared().keyWindow(); }

void RenderView::fireAdReady() {
    report([](RenderStatusDelegate& d, RenderView& v) { d.renderViewDidFireAdReady(v); });
}

void RenderView::userWillLeaveApplication() {
    report([](RenderStatusDelegate& d, RenderView& v) { d.renderViewWillLeaveApplication(v); });
}

std::optional<std::string> RenderView::stateText(RenderViewStatus status) {
    switch (status) {
        case RenderViewStatus::ready: return "ready";
        case RenderViewStatus::loading: return "loading";
        case RenderViewStatus::resized: return "resized";
        case RenderViewStatus::expanded: return "expanded";
        case RenderViewStatus::hidden: return "hidden";
        case RenderViewStatus::initiated:
        case RenderViewStatus::visible: break;
    }
    return std::nullopt;
}

void RenderView::broadcastState(RenderViewStatus status) const {
    if (const std::optional<std::string> text = stateText(status)) {
        MRAIDJS::Events::braodCastStateChanged(MRAIDJS::defaultScheme, *text).evaluate(webView_);
    }
}

void RenderView::broadcastPositions(Size size, const std::optional<Rect>& defaultPosition, Rect currentPosition,
                                    const std::optional<std::string>& state) const {
    using MRAIDJS::Events;
    Events::broadCastSize(MRAIDJS::defaultScheme, size).evaluate(webView_);
    if (defaultPosition) {
        Events::broadCastDefaultPositionChanged(MRAIDJS::defaultScheme, *defaultPosition).evaluate(webView_);
    }
    Events::broadCastCurrentPositionChanged(MRAIDJS::defaultScheme, currentPosition).evaluate(webView_);
    if (state) {
        Events::braodCastStateChanged(MRAIDJS::defaultScheme, *state).evaluate(webView_);
    }
}

Point RenderView::closeButtonOrigin(const std::string& position, double width, double height) {
    const double right = width - closeButtonSize;
    const double bottom = height - closeButtonSize;
    if (position == "top-right") return {right, 0};
    if (position == "top-center") return {right / 2, 0};
    if (position == "bottom-right") return {right, bottom};
    if (position == "bottom-left") return {0, bottom};
    if (position == "bottom-center") return {right / 2, bottom};
    if (position == "center") return {right / 2, bottom / 2};
    return {0, 0};  // "top-left" and anything else
}

void RenderView::replaceCloseButton(RenderView& target, Rect frame, bool useCustomClose) {
    if (target.closeButton_) {
        target.closeButton_->removeFromSuperview();
    }
    auto button = std::make_shared<AdCloseButton>(frame);
    button->setAccessibilityLabel("close");
    button->setGraphics(!useCustomClose);
    if (useCustomClose) {
        button->setBackgroundColor(platform::Color::clear());
    }
    button->setAutoresizingMask(platform::View::flexibleLeftMargin);
    button->addTarget(
        [weak = std::weak_ptr<RenderView>(target.self())] {
            if (const auto view = weak.lock()) view->closeAdView();
        },
        platform::Button::ControlEvent::touchUpInside);
    target.webView_->webView()->addSubview(button);
    target.closeButton_ = std::move(button);
}

void RenderView::resize(const MRAIDResizeProperties& properties) {
    if (adConfig_.type == AdsType::interstitial || status_ == RenderViewStatus::resized ||
        status_ == RenderViewStatus::expanded || !(properties.width > 0) || !(properties.height > 0)) {
        return;
    }
    const std::shared_ptr<platform::View> superView = superview();
    if (!superView) {
        return;
    }
    adSuperView_ = superView;
    const std::shared_ptr<platform::View> topMost = Utilities::topMost();
    if (!topMost || topMost->isDescendantOf(*this)) {
        return;
    }
    const Point base = superView->convertTo(Point{0, 0}, topMost.get());
    Rect frame(base.x + properties.offsetX, base.y + properties.offsetY, properties.width, properties.height);
    if (!properties.allowOffScreen) {
        const Size area = topMost->bounds().size;
        const auto keepInside = [](double& origin, double size, double bound) {
            if (origin + size > bound) origin = bound - size;
            origin = std::max(origin, 0.0);
        };
        keepInside(frame.origin.x, frame.size.width, area.width);
        keepInside(frame.origin.y, frame.size.height, area.height);
    }
    const std::shared_ptr<RenderView> keep = self();
    report([](RenderStatusDelegate& d, RenderView& v) { d.renderViewWillPresentScreen(v); });
    removeFromSuperview();
    topMost->addSubview(keep);
    setFrame(frame);
    const Point button = closeButtonOrigin(properties.closeButtonPosition, frame.size.width, frame.size.height);
    replaceCloseButton(*this, Rect(button, Size{closeButtonSize, closeButtonSize}), false);
    status_ = RenderViewStatus::resized;
    broadcastPositions(frame.size, superView->frame(), frame, "resized");
    report([](RenderStatusDelegate& d, RenderView& v) { d.renderViewDidPresentScreen(v); });
}

void RenderView::expand(std::optional<double> width, std::optional<double> height, std::optional<std::string> url) {
    if (adConfig_.type == AdsType::interstitial || status_ == RenderViewStatus::resized ||
        status_ == RenderViewStatus::expanded || vcToPresent_) {
        return;
    }
    // Without a controller to present from nothing is moved, so the ad never leaves its place
    // for a screen that cannot appear.
    const std::shared_ptr<platform::ViewController> presenter = Utilities::topMostController();
    if (!presenter) {
        return;
    }
    std::optional<platform::URL> expandURL;
    if (url) {
        expandURL = platform::URL::parse(*url);
        if (!expandURL || !Utilities::linkKind(expandURL)) {
            return;
        }
    }
    const double statusBar = Utilities::statusBarHeight();
    const Rect screen = platform::Screen::main().bounds();
    const double w = width && *width > 0 ? *width : screen.size.width;
    const double h = height && *height > 0 ? *height : screen.size.height - statusBar;
    if (!adSuperView_.lock()) {
        adSuperView_ = superview();
    }
    const std::shared_ptr<RenderView> me = self();
    const Rect expandedFrame(0, statusBar, w, h);
    std::shared_ptr<RenderView> shown;
    if (!expandURL) {
        vcToPresent_ = RenderVC::create(me, mraidAction_);
        setFrame(expandedFrame);
        expandURL_.reset();
        vcToPresent_->view()->addSubview(me);
        shown = me;
    } else {
        shown = RenderView::create<BannerView>(AdViewConfig{AdsType::banner, expandedFrame}, me);
        shown->expandingView_ = me;
        vcToPresent_ = RenderVC::create(shown, shown->mraidAction_);
        if (shown->status_ != RenderViewStatus::loading) {
            shown->webView_->loadURL(*expandURL);
        }
        shown->expandURL_ = expandURL;
        shown->status_ = RenderViewStatus::expanded;
    }
    const auto& expandProperties = mraidAction_->adExpandProperties();
    const bool customClose = expandProperties && expandProperties->useCustomClose.value_or(false);
    replaceCloseButton(*shown, Rect(frame().size.width - closeButtonSize, 0, closeButtonSize, closeButtonSize), customClose);
    const std::weak_ptr<RenderView> weak = me;
    const std::shared_ptr<RenderVC> controller = vcToPresent_;
    presenter->present(controller, true, [weak, w, h, statusBar, screen] {
        const auto view = weak.lock();
        if (!view) {
            return;
        }
        view->status_ = RenderViewStatus::expanded;
        const auto superView = view->adSuperView_.lock();
        view->broadcastPositions(Size{w, h}, superView ? std::optional<Rect>(superView->frame()) : std::nullopt,
                                 Rect(0, 0, screen.size.width, screen.size.height - statusBar), "expanded");
    });
    if (!controller->presentingViewController()) {
        // Refused (the top-most controller is being dismissed, say): the ad stays where it was.
        restoreAfterExpand();
    }
}

void RenderView::updateCloseButton() {
    const Rect frame(this->frame().size.width - closeButtonSize, 0, closeButtonSize, closeButtonSize);
    if (adConfig_.type == AdsType::interstitial) {
        replaceCloseButton(*this, frame, mraidAction_->useCustomClose());
    } else if (status_ == RenderViewStatus::expanded && vcToPresent_) {
        const auto& expandProperties = mraidAction_->adExpandProperties();
        replaceCloseButton(*vcToPresent_->renderView(), frame, expandProperties && expandProperties->useCustomClose.value_or(false));
    }
}

// Closing.

void RenderView::closeAdView() {
    const std::shared_ptr<RenderView> keep = self();
    if (const std::shared_ptr<RenderView> inlineView = expandingView_.lock()) {
        // The second page of a two-part expand closes the expansion of the view that opened it.
        inlineView->closeAdView();
        return;
    }
    if (adConfig_.type == AdsType::interstitial) {
        if (const auto controller = enclosingViewController()) {
            controller->dismiss(true, nullptr);
        }
        return;
    }
    if (vcToPresent_) {
        closeExpansion();
        return;
    }
    switch (status_) {
        case RenderViewStatus::resized:
            putBackResized();
            status_ = adConfig_.type == AdsType::banner ? RenderViewStatus::ready : RenderViewStatus::hidden;
            broadcastState(status_);
            break;
        case RenderViewStatus::expanded:
            break;
        default:
            setHidden(true);
            status_ = RenderViewStatus::hidden;
            broadcastState(status_);
            break;
    }
}

void RenderView::closeExpansion() {
    // The expansion's own controller goes, from whichever controller presented it, even when
    // other controllers (another ad's expansion) were presented above it meanwhile or it is
    // already being dismissed. Its disappearance restores this view; when it was never presented
    // the completion does.
    const std::shared_ptr<RenderVC> controller = vcToPresent_;
    RenderVC::dismissController(controller, true, [weak = std::weak_ptr<RenderView>(self()), controller] {
        const auto view = weak.lock();
        if (view && view->vcToPresent_ == controller) {
            view->restoreAfterExpand();
        }
    });
}

void RenderView::expansionControllerDidDisappear(const RenderVC& controller) {
    const std::shared_ptr<RenderView> inlineView = expandingView_.lock();
    RenderView& owner = inlineView ? *inlineView : *this;
    if (owner.vcToPresent_.get() == &controller) {
        owner.restoreAfterExpand();
    }
}

void RenderView::putBackResized() {
    const std::shared_ptr<RenderView> keep = self();
    const std::shared_ptr<platform::View> superView = adSuperView_.lock();
    removeFromSuperview();
    setFrame(superView ? superView->bounds() : Rect{});
    if (superView) {
        superView->addSubview(keep);
    }
    if (closeButton_) {
        closeButton_->removeFromSuperview();
        closeButton_.reset();
    }
}

void RenderView::restoreAfterExpand() {
    const std::shared_ptr<RenderView> keep = self();
    if (const std::shared_ptr<platform::View> superView = adSuperView_.lock()) {
        const std::shared_ptr<RenderView> shown = vcToPresent_ ? vcToPresent_->renderView() : nullptr;
        if (shown.get() == this) {
            setFrame(superView->bounds());
            layoutIfNeeded();
            if (closeButton_) {
                closeButton_->removeFromSuperview();
                closeButton_.reset();
            }
            superView->addSubview(keep);
        } else if (shown && shown->closeButton_) {
            shown->closeButton_->removeFromSuperview();
            shown->closeButton_.reset();
        }
        broadcastPositions(frame().size, std::nullopt, frame(), std::nullopt);
        adSuperView_.reset();
        MRAIDJS::Events::broadCastSize(MRAIDJS::defaultScheme, bounds().size).evaluate(webView_);
    }
    if (vcToPresent_) {
        vcToPresent_->renderView()->expandingView_.reset();
    }
    vcToPresent_.reset();
    status_ = RenderViewStatus::visible;
    // The page leaves "expanded" for its default state.
    broadcastState(RenderViewStatus::ready);
}

void RenderView::close() {
    performOnMainQueue([weak = std::weak_ptr<RenderView>(self())] {
        const auto view = weak.lock();
        if (!view) {
            return;
        }
        if (view->mediaManager_) {
            const std::shared_ptr<MediaPlayer> player = view->mediaManager_->mediaPlayer();
            view->mediaManager_.reset();
            if (player) {
                player->close(false);
                return;
            }
        }
        view->closeAdView();
    });
}

// Video.

void RenderView::playVideo(const AnyDictionary& params) {
    if (params.is_null()) {
        return;
    }
    if (!mediaManager_) {
        mediaManager_ = std::make_shared<MediaManager>();
    }
    const std::shared_ptr<RenderView> me = self();
    mediaManager_->playVideo(params, me, std::weak_ptr<MediaPlayerDelegate>(me));
}

void RenderView::mediaPlayerDidClose() {
    // The player is still inside its own close: it goes on a later turn.
    performOnMainQueue([weak = std::weak_ptr<RenderView>(self())] {
        const auto view = weak.lock();
        if (view && view->mediaManager_) {
            const auto& player = view->mediaManager_->mediaPlayer();
            if (!player || player->isClosed()) {
                view->mediaManager_.reset();
            }
        }
    });
}

}  // namespace solen
