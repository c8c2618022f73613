#pragma once

#include "Commons/Utilities/AnyDictionary.h"
#include "Platform/Foundation/URL.h"
#include "Platform/UI/Application.h"

#include <solen/ui/Color.h>
#include <solen/ui/Point.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace solen {

namespace platform {
class View;
class WebView;
class Window;
class ViewController;
}  // namespace platform

// Process-wide platform utilities: the application id, the web user agent (fetched once from a
// web view and remembered across launches), application and device facts, and small helpers
// over views, URLs and query strings. Static operations only; thread-safe. Readers of
// user-interface state (key window, status bar, orientation, top-most view) run on the main
// thread: from another thread they wait for a synchronous main-queue block, so they must not be
// called from a block the main thread waits for.
class Utilities {
public:
    Utilities() = delete;

    // The key-value store key of the remembered user agent.
    static constexpr std::string_view userAgentKey = "webviewuser-agent";

    // Set by initialisation once the id has passed its checks; empty until then.
    static std::string appId();
    static void setAppId(std::string appId);

    // The web user agent: none until known. The refresh sets it to the value remembered by an
    // earlier launch at once, then to the web view's answer.
    static std::optional<std::string> userAgent();
    // Presets the user agent (the host, or tests).
    static void setUserAgent(std::optional<std::string> userAgent);
    // The web view of the latest refresh (kept alive while its script runs and afterwards).
    static std::shared_ptr<platform::WebView> userAgentWebView();
    // Does nothing when the user agent is already a non-empty text. Otherwise, on the calling
    // thread, takes the remembered value (none on a first launch), then asks a new web view on the
    // main queue for "navigator.userAgent"; a text answer is remembered and becomes the user
    // agent. A remembered value never replaces a fetched one.
    static void updateWebViewUserAgent();

    // "CFBundleShortVersionString" of the main bundle when it is text; "" when the bundle has no
    // info dictionary; none when the key is missing or not text.
    static std::optional<std::string> appVersion();
    // "NSAppTransportSecurity" of the main bundle, unchanged; none when absent.
    static std::optional<AnyDictionary> appTransportSecurity();
    static std::optional<std::string> localeIdentifier();
    // The raw value of the status-bar orientation.
    static int interfaceOrientation();

    static std::shared_ptr<platform::Window> mainKeyWindow();
    // 0 when the status bar is hidden, else the height of its frame.
    static double statusBarHeight();
    // The view of the last controller presented on top of the key window's root controller;
    // without a root controller the key window itself; none without a key window.
    static std::shared_ptr<platform::View> topMost();
    // The key window's root controller followed through what it presents; none without them.
    static std::shared_ptr<platform::ViewController> topMostController();

    // Parses "k=v&k2=v2": the text is trimmed (white space and line breaks), an empty text gives
    // none; pieces with fewer than two "="-separated parts are skipped and parts after the second
    // ignored; keys stay as written, values are percent-decoded (a value that does not decode
    // removes its key); a later pair replaces an earlier one.
    static std::optional<std::map<std::string, std::string>> queryParameters(std::string_view text);
    // Whether a link may load inside a web view: not for app-store web links, otherwise only for
    // the schemes "http", "https", "data" and "applewebdata" (exact letter case).
    static bool linkKind(const std::optional<platform::URL>& url);
    // Opens the URL through the application. The completion is called exactly once: with false at
    // once when the application cannot open the URL, otherwise with the application's result on
    // the main queue.
    static void openExternalURL(const platform::URL& url, platform::Application::OpenURLOptions options,
                                std::function<void(bool success)> completion);
    // Inserts a gradient layer at the bottom of the view's layer, at (0, 0) with the view's size.
    // Main thread.
    static void addGradientLayer(platform::View& view, const std::vector<platform::Color>& colors,
                                 const std::vector<double>& locations, platform::Point startPoint,
                                 platform::Point endPoint);

    // The text without leading and trailing white space and line breaks (ASCII and Unicode).
    static std::string_view trimmingWhitespaceAndNewlines(std::string_view text);
};

}  // namespace solen
