#pragma once

#include "Ad/RenderEngine/Bridge/MRAIDJS.h"
#include "Ad/RenderEngine/MRAID/MRAIDProperties.h"
#include "Ad/RenderEngine/Protocols/AdRenderView.h"
#include "Ad/RenderEngine/Protocols/AdViewConfig.h"
#include "Ad/RenderEngine/Protocols/MRAIDCommand.h"
#include "Ad/RenderEngine/View/MWebview.h"
#include <solen/ui/InterfaceOrientation.h>

#include <memory>
#include <optional>
#include <string>

namespace solen {

// The native side of a creative's bridge calls, one per render view. `handle` decodes a call
// (`process`, which only logs and decodes) and carries it out on the MRAID state kept here and on
// the weakly held render view; the outcome goes back to the render view, which answers the page.
// It also pushes the initial MRAID properties and the ready event into the page. The property
// records are replaced whole by a property call that decodes; a call that does not decode leaves
// them as they were. Steps that need the render view do nothing once it is gone. Main thread only
// ("open" and "openExternal" may be performed from another thread: they wait for the main thread).
class MRAIDAction : public MRAIDCommand {
public:
    MRAIDAction(std::shared_ptr<MWebview> webView, AdViewConfig config) : webView_(std::move(webView)), config_(config) {}
    MRAIDAction(const MRAIDAction&) = delete;
    MRAIDAction& operator=(const MRAIDAction&) = delete;

    void setRenderView(std::weak_ptr<AdRenderView> renderView) { renderView_ = std::move(renderView); }
    const std::shared_ptr<MWebview>& webView() const { return webView_; }
    const AdViewConfig& config() const { return config_; }

    // The stored MRAID state.
    const std::optional<MRAIDExpandProperties>& adExpandProperties() const { return adExpandProperties_; }
    const std::optional<MRAIDResizeProperties>& adResizeProperties() const { return adResizeProperties_; }
    const std::optional<MRAIDOrientationPropertites>& adOrientationProperties() const { return adOrientationProperties_; }
    bool useCustomClose() const { return useCustomClose_; }
    void setAdExpandProperties(std::optional<MRAIDExpandProperties> properties) { adExpandProperties_ = std::move(properties); }
    void setAdResizeProperties(std::optional<MRAIDResizeProperties> properties) { adResizeProperties_ = std::move(properties); }
    void setAdOrientationProperties(std::optional<MRAIDOrientationPropertites> properties) {
        adOrientationProperties_ = std::move(properties);
    }
    void setUseCustomClose(bool value) { useCustomClose_ = value; }

    // Carries out one call. A scheme that is not exactly one of the four bridge schemes fails
    // with "not supported scheme"; see `process` for the rest. "open" and "openExternal" that open
    // nothing fail with "can not open url".
    MRAIDCommandOutcome handle(const std::optional<std::string>& scheme, const std::optional<std::string>& command,
                               const std::optional<AnyDictionary>& params);
    // MRAIDCommand: "command can not be nil" without a command; "not supported" (logged) for a
    // text outside the thirteen commands, compared exactly.
    MRAIDCommandOutcome process(const MRAIDNativeEvent& event) override;

    // "expand" and "resize" on the render view with the stored or default records.
    void performLayout(const std::optional<AnyDictionary>& params, MRAIDCommandType command);
    // One of the records from a call's parameters; absent without parameters or when they do not
    // decode (logged).
    template <class Record>
    static std::optional<Record> decodeProperties(const std::optional<AnyDictionary>& params);

    // The in-app browser over the key window's top-most controller, for an http(s) "url" text.
    bool openInApp(const std::optional<AnyDictionary>& params);
    // Outside the application through the system, for a "url" text the system can open (refused
    // schemes never leave); the render view hears that the user leaves the application.
    bool openExternal(const std::optional<AnyDictionary>& params);

    // The eight assignments of the initial property push, joined into one script.
    std::string initialStateScript() const;
    // Evaluates initialStateScript() in the page on a later turn of the main loop.
    void pushInitialState() const;
    // The page's ready event through `scheme` (on a later turn); the render view is ready at once.
    void broadcastReady(MRAIDJS::Scheme scheme) const;

    // Status-bar orientation -> the angle the page reads (-1 when unknown).
    static int orientationAngle(platform::InterfaceOrientation orientation);

private:
    const std::shared_ptr<MWebview> webView_;
    const AdViewConfig config_;
    std::weak_ptr<AdRenderView> renderView_;
    std::optional<MRAIDExpandProperties> adExpandProperties_;
    std::optional<MRAIDResizeProperties> adResizeProperties_;
    std::optional<MRAIDOrientationPropertites> adOrientationProperties_;
    bool useCustomClose_ = false;
};

}  // namespace solen
