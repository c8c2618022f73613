#pragma once

#include <solen/SolenExport.h>
#include <nlohmann/json.hpp>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace solen::platform {

class WebView;

// A message a page posts to a named handler, with its body as a JSON value (copied out of the
// page, so a page can never reach the native side's objects).
struct ScriptMessage {
    std::string name;
    nlohmann::ordered_json body;
};

// Receives the messages a page posts to the name it is registered under. The web view holds its
// handlers strongly; a handler that must not keep its owner alive refers to it weakly.
class SOLEN_EXPORT ScriptMessageHandler {
public:
    virtual ~ScriptMessageHandler() = default;
    virtual void didReceiveScriptMessage(WebView& webView, const ScriptMessage& message) = 0;
};

// How a web view is set up when it is made: preferences, the handlers the page can post to
// (`window.webkit.messageHandlers.<name>.postMessage`) and the scripts that run at the start of
// every document, before the page's own scripts.
struct WebViewConfiguration {
    bool javaScriptCanOpenWindowsAutomatically = false;
    bool allowsInlineMediaPlayback = false;
    // "recommended", "mobile" or "desktop".
    std::string preferredContentMode = "recommended";
    std::vector<std::pair<std::string, std::shared_ptr<ScriptMessageHandler>>> scriptMessageHandlers;
    std::vector<std::string> documentStartScripts;
};

}  // namespace solen::platform
