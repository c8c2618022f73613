#pragma once

#include "Ad/RenderEngine/MRAID/MRAIDAction.h"
#include "Ad/RenderEngine/Protocols/AdRenderView.h"
#include "Ad/RenderEngine/Protocols/AdViewConfig.h"
#include "Ad/RenderEngine/Protocols/RenderStatusDelegate.h"
#include "Ad/RenderEngine/Video/AdCloseButton.h"
#include "Ad/RenderEngine/Video/MediaPlayer.h"
#include "Ad/RenderEngine/View/MWKWebview.h"
#include "Ad/RenderEngine/View/MWebviewDelegate.h"
#include "Platform/Foundation/URL.h"
#include <solen/ui/View.h>

#include <memory>
#include <optional>
#include <string>

namespace solen {

class RenderVC;

// The view that shows one server-to-server HTML/MRAID ad. It owns the ad's web view wrapper and
// its MRAID command handling, loads the markup, reports the ad's life to its weakly held render
// delegate, counts the impression on its first attachment to a window, and carries out what the
// creative asks of it: resize, expand (inline, or a second page in a view of its own), close,
// close-button changes and native video.
//
// Reports: the first page's finish or failure is reported once; a later navigation inside the ad
// pushes the properties and the ready event again but reports nothing. The view shown by a
// two-part expand reports to the inline view, which passes on only will/did present, will/did
// dismiss and will-leave-application; closing that view closes the inline view's expansion.
// A closed expansion ends in the page's "default" state ("ready").
//
// Main thread only; made with `create`. Releasing it releases its web view, command handling,
// controller, close button and video player.
class RenderView : public platform::View,
                   public RenderStatusDelegate,
                   public MWebviewDelegate,
                   public AdRenderView,
                   public MediaPlayerDelegate {
protected:
    struct Token {};

public:
    static constexpr double closeButtonSize = 50;

    // Makes a render view (or a subclass) with its web view and command handling.
    template <class ViewType = RenderView>
    static std::shared_ptr<ViewType> create(AdViewConfig adConfig, std::weak_ptr<RenderStatusDelegate> renderDelegate = {}) {
        auto view = std::make_shared<ViewType>(Token{}, adConfig, std::move(renderDelegate));
        view->setUp();
        return view;
    }
    RenderView(Token, AdViewConfig adConfig, std::weak_ptr<RenderStatusDelegate> renderDelegate);
    ~RenderView() override;

    const AdViewConfig& adConfig() const { return adConfig_; }
    const std::shared_ptr<MWKWebview>& webView() const { return webView_; }
    const std::shared_ptr<MRAIDAction>& mraidAction() const { return mraidAction_; }
    const std::shared_ptr<RenderVC>& vcToPresent() const { return vcToPresent_; }
    std::shared_ptr<RenderStatusDelegate> renderDelegate() const { return renderDelegate_.lock(); }
    void setRenderDelegate(std::weak_ptr<RenderStatusDelegate> delegate) { renderDelegate_ = std::move(delegate); }
    bool isMRAIDIInjected() const { return isMRAIDIInjected_; }
    bool isImpressed() const { return isImpressed_; }
    bool isLaunched() const { return isLaunched_; }
    void setIsLaunched(bool launched) { isLaunched_ = launched; }
    const std::optional<platform::URL>& expandURL() const { return expandURL_; }
    const std::shared_ptr<AdCloseButton>& closeButton() const { return closeButton_; }
    const std::shared_ptr<MediaManager>& mediaManager() const { return mediaManager_; }
    bool isObservingApplication() const { return observing_; }

    // Loads markup as HTML without a base URL on a later turn; nothing for empty markup or while
    // the status is `loading`.
    void loadAd(const std::string& markup);
    // Target of the close button: dismisses an interstitial's controller, puts a resized view
    // back, closes an expansion (shown or still being presented), or hides an inline ad.
    void closeAdView();
    // Application activation: the page's viewable flag (and a leave report on resigning).
    void appDidBecomeActive();
    void appWillResignActive();
    // Ends the observation of the application's activation (the controller's disappearance).
    void stopObservingApplication();
    // A dismissed full-screen controller showing this view left the screen. When it showed an
    // expansion (of this view, or of the inline view this one shows the second page for), the
    // expansion ends and the inline view goes back to its place, whoever dismissed it.
    void expansionControllerDidDisappear(const RenderVC& controller);

    // platform::View
    void didMoveToWindow() override;

    // RenderStatusDelegate: what the view of a two-part expand reports to the inline view.
    void renderViewDidLoad(RenderView& renderView) override;
    void renderViewDidFailWithError(RenderView& renderView, const platform::Error& error) override;
    void renderViewWillLeaveApplication(RenderView& renderView) override;
    void renderViewDidFireAdReady(RenderView& renderView) override;
    void renderViewDidRecordImpression(RenderView& renderView) override;
    void renderViewWillPresentScreen(RenderView& renderView) override;
    void renderViewDidPresentScreen(RenderView& renderView) override;
    void renderViewWillDismissScreen(RenderView& renderView) override;
    void renderViewDidDismissScreen(RenderView& renderView) override;

    // MWebviewDelegate
    bool shouldStartLoad(const std::shared_ptr<MWebview>& webView, const platform::WebRequest& request,
                         platform::NavigationType navigationType) override;
    void webViewDidCommitNavigation() override {}
    void webViewDidFinishLoad() override;
    void webViewDidFailLoad(const platform::Error& error) override;
    void didReceiveNativeCall(const std::shared_ptr<MWebview>& webView, const std::optional<std::string>& scheme,
                              const std::optional<std::string>& command, const std::optional<AnyDictionary>& params) override;
    bool shouldOpenNewWindow(const platform::WebRequest&) override { return true; }

    // AdRenderView
    std::shared_ptr<platform::View> adSuperView() const override { return adSuperView_.lock(); }
    platform::Rect currentPosition() const override;
    std::shared_ptr<platform::Window> keyWindow() const override;
    RenderViewStatus status() const override { return status_; }
    void setStatus(RenderViewStatus status) override { status_ = status; }
    void fireAdReady() override;
    void fireAdFailed() override {}
    void userWillLeaveApplication() override;
    void resize(const MRAIDResizeProperties& properties) override;
    void expand(std::optional<double> width, std::optional<double> height, std::optional<std::string> url) override;
    void updateCloseButton() override;
    void close() override;
    void playVideo(const AnyDictionary& params) override;

    // MediaPlayerDelegate
    void mediaPlayerDidClose() override;

    // Origin of a 50-by-50 close button at `position` in an area of `width` by `height`.
    static platform::Point closeButtonOrigin(const std::string& position, double width, double height);
    // The state text the page hears for a status; none for `initiated` and `visible`.
    static std::optional<std::string> stateText(RenderViewStatus status);

private:
    void setUp();
    std::shared_ptr<RenderView> self() { return std::static_pointer_cast<RenderView>(shared_from_this()); }
    // Reports to the render delegate when it is still there.
    template <class Report>
    void report(Report report);
    void broadcastState(RenderViewStatus status) const;
    void broadcastPositions(platform::Size size, const std::optional<platform::Rect>& defaultPosition,
                            platform::Rect currentPosition, const std::optional<std::string>& state) const;
    // Replaces `target`'s close button with a new one at `frame` on its web view.
    static void replaceCloseButton(RenderView& target, platform::Rect frame, bool useCustomClose);
    // Dismisses the controller of the expansion; the view is restored once it has gone.
    void closeExpansion();
    void putBackResized();
    void restoreAfterExpand();
    void startObservingApplication();

    const AdViewConfig adConfig_;
    std::shared_ptr<MWKWebview> webView_;
    std::shared_ptr<MRAIDAction> mraidAction_;
    std::shared_ptr<RenderVC> vcToPresent_;
    std::weak_ptr<RenderStatusDelegate> renderDelegate_;
    bool isMRAIDIInjected_ = false;
    bool isImpressed_ = false;
    bool isLaunched_ = false;
    std::weak_ptr<platform::View> adSuperView_;
    RenderViewStatus status_ = RenderViewStatus::initiated;
    std::optional<platform::URL> expandURL_;
    std::shared_ptr<AdCloseButton> closeButton_;
    std::shared_ptr<MediaManager> mediaManager_;
    // The inline view that shows this one through a two-part expand.
    std::weak_ptr<RenderView> expandingView_;
    bool pageReported_ = false;
    bool pageLoaded_ = false;
    bool observing_ = false;
};

// The render view of a banner.
class BannerView final : public RenderView {
public:
    using RenderView::RenderView;
};

// The render view of an interstitial.
class InterstitialView final : public RenderView {
public:
    using RenderView::RenderView;
};

}  // namespace solen
