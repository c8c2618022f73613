#pragma once

#include <solen/SolenExport.h>
#include <solen/ui/Error.h>
#include <solen/ui/View.h>
#include <solen/ui/WebNavigation.h>
#include <solen/ui/WebViewConfiguration.h>

#include <nlohmann/json.hpp>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace solen::platform {

// A web view without a browser engine: the base of the web views the SDK shows ads in. It loads
// nothing and runs no page script; it records what it is asked to load and evaluate and plays the
// platform's load sequence, so the code above it sees what a browser would report. Subclasses
// (a script engine, a host's browser) run pages by overriding `documentDidCommit` and
// `runScript`. Main thread only, except the process-wide settings, which are thread-safe.
//
// A load (HTML, URL, or a navigation the page makes) goes, each step on a later turn of the main
// loop: the navigation decision (HTML is "about:blank" unless a base URL is given); when allowed,
// the commit (the navigation delegate hears it, then the document starts: document-start
// scripts, then the page's own); then the finish. A newer load or `stopLoading` drops the steps
// of the older one. While loads are held (a test driver), a load waits after its commit until
// `finishLoad` or `failLoad`.
//
// What a page can queue is bounded, so that a hostile page cannot hold the main loop or fill the
// memory: messages it posted that wait for delivery take at most `queuedMessageLimitBytes` (a post
// beyond it is dropped; the first drop of each document is logged), and timers nested more than
// five deep wait at least 4 ms, as browsers clamp them (repeating timers always do).
//
// Scripts passed to `evaluateJavaScript` are recorded and answered asynchronously on the main
// thread. Here "navigator.userAgent" answers with the user agent and a script responder installed
// by a test may answer any script; other scripts give no result and no error.
class SOLEN_EXPORT WebView : public View {
public:
    struct ScriptResult {
        std::optional<nlohmann::ordered_json> result;
        std::optional<Error> error;
    };
    using Completion = std::function<void(std::optional<nlohmann::ordered_json> result, std::optional<Error> error)>;
    // Answers a script, or gives none to leave it to the default answer.
    using ScriptResponder = std::function<std::optional<ScriptResult>(const std::string& script)>;

    static const std::string& errorDomain;
    // Code of the error given to a completion whose web view was released before it answered.
    static constexpr int webViewInvalidatedCode = 3;
    // Code of the error given to a script that threw in the page.
    static constexpr int javaScriptExceptionOccurredCode = 4;
    // Bytes of posted messages (their texts and keys, and one per value) that may wait for
    // delivery at a time.
    static constexpr std::size_t queuedMessageLimitBytes = 8u << 20;

    static std::shared_ptr<WebView> create(Rect frame = {}, WebViewConfiguration configuration = {});
    explicit WebView(Rect frame = {}, WebViewConfiguration configuration = {});

    const WebViewConfiguration& configuration() const { return configuration_; }
    // Handlers may be added and removed while a page runs; a message to a removed name is dropped.
    void addScriptMessageHandler(const std::string& name, std::shared_ptr<ScriptMessageHandler> handler);
    void removeScriptMessageHandler(const std::string& name);
    std::shared_ptr<ScriptMessageHandler> scriptMessageHandler(const std::string& name) const;

    std::shared_ptr<WebNavigationDelegate> navigationDelegate() const { return navigationDelegate_.lock(); }
    void setNavigationDelegate(std::weak_ptr<WebNavigationDelegate> delegate) { navigationDelegate_ = std::move(delegate); }
    std::shared_ptr<WebUIDelegate> uiDelegate() const { return uiDelegate_.lock(); }
    void setUIDelegate(std::weak_ptr<WebUIDelegate> delegate) { uiDelegate_ = std::move(delegate); }

    void loadHTMLString(std::string html, std::optional<std::string> baseURL);
    void load(WebRequest request);
    void stopLoading();
    bool isLoading() const { return loading_; }
    // The URL of the committed document; none before the first commit.
    const std::optional<std::string>& url() const { return url_; }
    // Every HTML text and request given to loadHTMLString and load, in order.
    const std::vector<std::string>& loadedHTML() const { return loadedHTML_; }
    const std::vector<WebRequest>& loadedRequests() const { return loadedRequests_; }

    void evaluateJavaScript(const std::string& script, Completion completion);
    // Every script passed to evaluateJavaScript, in order.
    const std::vector<std::string>& evaluatedScripts() const { return evaluatedScripts_; }

    // The page side: what a running page does. A script engine calls these for its page; tests
    // call them to act as one.
    // The page navigates its frame; decided and loaded like any load.
    void pageNavigate(const std::string& url, NavigationType type);
    // The page posts a message to a named handler; delivered on a later turn, dropped when no
    // handler has that name then, or at once when the messages waiting would exceed
    // `queuedMessageLimitBytes`.
    void pagePostMessage(const std::string& name, nlohmann::ordered_json body);
    // The page opens a window (window.open): the UI delegate's createWebView.
    void pageOpenWindow(const std::string& url);
    // The page shows a panel; `answer` receives the UI delegate's answer (or the default).
    void pageAlert(const std::string& message, std::function<void()> answer);
    void pageConfirm(const std::string& message, std::function<void(bool)> answer);
    void pagePrompt(const std::string& prompt, const std::string& defaultText,
                    std::function<void(std::optional<std::string>)> answer);

    // Test driver for loads: held loads wait after their commit until finished or failed.
    void setHoldsLoads(bool holds) { holdsLoads_ = holds; }
    void finishLoad();
    // Fails the load in progress (before or after its commit); the navigation delegate hears it.
    void failLoad(const Error& error);

    // The custom user agent when set, else the process-wide default.
    std::string userAgent() const;
    const std::optional<std::string>& customUserAgent() const { return customUserAgent_; }
    void setCustomUserAgent(std::optional<std::string> userAgent) { customUserAgent_ = std::move(userAgent); }

    // The user agent every web view reports unless it has a custom one. Starts as a desktop
    // Linux browser's; an empty value restores that.
    static std::string defaultUserAgent();
    static void setDefaultUserAgent(std::string userAgent);
    // Process-wide script answers for tests; an empty responder removes it.
    static void setScriptResponder(ScriptResponder responder);
    // Number of web views alive (tests).
    static std::size_t liveCount();

    ~WebView() override;

protected:
    // A document was committed: `html` is its text for an HTML load, none for a URL load. The
    // document-start scripts of the configuration run before the page's own. Does nothing here.
    virtual void documentDidCommit(const std::string& url, const std::optional<std::string>& html);
    // Answers one evaluated script, on the main thread; see the class comment for this one.
    virtual ScriptResult runScript(const std::string& script);

    // Main-loop helpers for subclasses; none of them runs a block while this view is gone.
    // Runs `block` on a later turn.
    void performLater(std::function<void()> block);
    // Runs `block` after `milliseconds` on the main loop's clock, once or repeatedly; returns an
    // identifier for cancelTimer. A repeating timer, and one scheduled from the block of a timer
    // nested more than five deep, waits at least 4 ms. Timers stop when the view goes.
    std::uint64_t scheduleTimer(double milliseconds, bool repeats, std::function<void()> block);
    void cancelTimer(std::uint64_t identifier);
    void cancelAllTimers();

private:
    struct PendingDocument {
        std::string url;
        std::optional<std::string> html;
    };
    void startLoad(PendingDocument document, NavigationType type);
    void decide(std::uint64_t sequence, const PendingDocument& document, NavigationType type);
    void commit(std::uint64_t sequence, const PendingDocument& document);
    void finish(std::uint64_t sequence);
    std::shared_ptr<WebView> keepAlive();

    WebViewConfiguration configuration_;
    std::weak_ptr<WebNavigationDelegate> navigationDelegate_;
    std::weak_ptr<WebUIDelegate> uiDelegate_;
    std::optional<std::string> customUserAgent_;
    std::optional<std::string> url_;
    std::vector<std::string> loadedHTML_;
    std::vector<WebRequest> loadedRequests_;
    std::vector<std::string> evaluatedScripts_;
    std::uint64_t loadSequence_ = 0;  // the current load; older steps compare unequal and stop
    bool loading_ = false;
    bool holdsLoads_ = false;
    bool committedAndHeld_ = false;
    std::uint64_t nextTimer_ = 0;
    std::map<std::uint64_t, std::function<void()>> timers_;  // identifier -> invalidation
    int timerNesting_ = 0;                                  // of the timer whose block runs; 0 outside timers
    std::size_t queuedMessageBytes_ = 0;
    bool droppedMessageLogged_ = false;                     // for the current document
};

}  // namespace solen::platform
