#pragma once

#include <solen/SolenExport.h>
#include <solen/ui/Error.h>

#include <functional>
#include <optional>
#include <string>

namespace solen::platform {

class WebView;

// What a page load asks for: the URL text (none for a request without one) and the time-out in
// seconds. The web view uses the default cache policy.
struct WebRequest {
    std::optional<std::string> url;
    double timeoutInterval = 60;

    friend bool operator==(const WebRequest&, const WebRequest&) = default;
};

// How a navigation came about.
enum class NavigationType { linkActivated = 0, formSubmitted = 1, backForward = 2, reload = 3, formResubmitted = 4, other = 5 };

struct NavigationAction {
    WebRequest request;
    NavigationType navigationType = NavigationType::other;
};

enum class NavigationActionPolicy { cancel, allow };

// What a web view tells about its loads. Each call arrives on the main thread with the web view
// that loads. Without a navigation delegate every navigation is allowed.
class SOLEN_EXPORT WebNavigationDelegate {
public:
    virtual ~WebNavigationDelegate() = default;
    // Decides whether the navigation may go ahead.
    virtual NavigationActionPolicy decidePolicy(WebView& webView, const NavigationAction& action) = 0;
    virtual void didCommitNavigation(WebView& webView) = 0;
    virtual void didFinishNavigation(WebView& webView) = 0;
    virtual void didFailNavigation(WebView& webView, const Error& error) = 0;
};

// What a page asks of the application's user interface, on the main thread. Each panel's
// completion must be called once; a completion called before the call returns answers the page
// at once, one called later is too late for a page that waits (the page then reads the default:
// no answer, false, no text). Without a UI delegate the panels get the defaults.
class SOLEN_EXPORT WebUIDelegate {
public:
    virtual ~WebUIDelegate() = default;
    // The page asks for a new window (window.open, a link with a target). No second web view is
    // handed back: the page's request gets none.
    virtual void createWebView(WebView& webView, const NavigationAction& action) = 0;
    virtual void runJavaScriptAlertPanel(WebView& webView, const std::string& message, std::function<void()> completion) = 0;
    virtual void runJavaScriptConfirmPanel(WebView& webView, const std::string& message,
                                           std::function<void(bool answer)> completion) = 0;
    virtual void runJavaScriptTextInputPanel(WebView& webView, const std::string& prompt, const std::string& defaultText,
                                             std::function<void(std::optional<std::string> text)> completion) = 0;
};

}  // namespace solen::platform
