#pragma once

#include <solen/SolenExport.h>
#include <solen/ui/Rect.h>
#include <solen/ui/WebView.h>
#include <solen/ui/WebViewConfiguration.h>

#include <functional>
#include <memory>

namespace solen::platform {

// Makes the web views the SDK shows ads in. By default they are the headless WebView; a host
// installs a maker for a web view that runs pages (a script engine, a browser engine), which then
// serves every ad web view made afterwards. Thread-safe: install and make from any thread (the
// web views themselves are main-thread objects).
class SOLEN_EXPORT WebViewFactory {
public:
    using Maker = std::function<std::shared_ptr<WebView>(Rect frame, WebViewConfiguration configuration)>;

    // Made by the installed maker; the headless WebView when there is none or it makes none.
    static std::shared_ptr<WebView> make(Rect frame, WebViewConfiguration configuration);
    // Installs `maker`; an empty one restores the headless default. Returns the previous maker.
    static Maker install(Maker maker);
};

}  // namespace solen::platform
