#pragma once

#include "Ad/RenderEngine/Protocols/RenderViewStatus.h"
#include "Commons/Utilities/AnyDictionary.h"
#include <solen/ui/Rect.h>

#include <memory>
#include <optional>
#include <string>

namespace solen {

namespace platform {
class View;
class Window;
}  // namespace platform

struct MRAIDResizeProperties;

// What the MRAID command handling, the property push, the landing-page opener, the full-screen
// controller and the media player may ask of the view that renders an ad. Main thread only.
class AdRenderView {
public:
    virtual ~AdRenderView() = default;
    // The view the render view lived in before a resize or expand.
    virtual std::shared_ptr<platform::View> adSuperView() const = 0;
    // The render view's frame in points.
    virtual platform::Rect currentPosition() const = 0;
    // The application's key window.
    virtual std::shared_ptr<platform::Window> keyWindow() const = 0;
    virtual RenderViewStatus status() const = 0;
    virtual void setStatus(RenderViewStatus status) = 0;
    virtual void fireAdReady() = 0;
    virtual void fireAdFailed() = 0;
    virtual void userWillLeaveApplication() = 0;
    virtual void resize(const MRAIDResizeProperties& properties) = 0;
    // Width and height in points, each optional, and an optional URL to show expanded.
    virtual void expand(std::optional<double> width, std::optional<double> height, std::optional<std::string> url) = 0;
    virtual void updateCloseButton() = 0;
    virtual void close() = 0;
    // The call's parameters (null when the call had none).
    virtual void playVideo(const AnyDictionary& params) = 0;
};

}  // namespace solen
