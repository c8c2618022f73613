#pragma once

#include <solen/ui/WebView.h>
#include <solen/ui/WebViewConfiguration.h>
#include <solen/ui/WebViewFactory.h>

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace solen::scripted {

// A web view that runs its pages' scripts in an embedded ECMAScript 5.1 engine (Duktape), without
// a DOM. Each committed document gets a heap of its own (at most 64 MiB): the document-start
// scripts run first, then the inline script elements of the HTML in order (a `src` is never
// fetched); a script that throws or runs out of memory is recorded and the next one runs.
//
// The page has `window` (the global object), `window.webkit.messageHandlers.<name>.postMessage`
// for the handlers of the configuration (the body is copied as JSON and delivered on a later
// turn), `location` (assigning it navigates, as a navigation of type other), `window.open`,
// `setTimeout`/`setInterval` and their clear functions on the main loop and its clock,
// `console.log`, `navigator.userAgent`, and `alert`, `confirm` and `prompt` answered by the UI
// delegate. `evaluateJavaScript` runs in the current document; a result is copied out as JSON,
// a script that throws completes with error code 4.
//
// A script of the page (an inline script, a timer's callback, an evaluated script) that is still
// running after `scriptTimeLimit` is stopped with a RangeError ("execution timeout"), recorded
// like any error; the page's later scripts and timers run as before. Posted messages waiting for
// delivery and timers nested deeper than five are bounded as for any web view (platform::WebView).
//
// Pages run only on the main thread, like the web view.
class ScriptedWebView final : public platform::WebView {
public:
    static constexpr std::size_t heapLimitBytes = 64u << 20;
    static constexpr std::chrono::milliseconds scriptTimeLimit{1000};

    static std::shared_ptr<ScriptedWebView> create(platform::Rect frame = {}, platform::WebViewConfiguration configuration = {});
    // A maker for WebViewFactory::install, so that the SDK's ad web views run their pages.
    static platform::WebViewFactory::Maker maker();

    ScriptedWebView(platform::Rect frame, platform::WebViewConfiguration configuration);
    ~ScriptedWebView() override;

    // What scripts of the page threw, as "<name>: <message>", and what they logged, in order.
    const std::vector<std::string>& scriptErrors() const { return scriptErrors_; }
    const std::vector<std::string>& consoleMessages() const { return consoleMessages_; }
    // Called with each console line as the page writes it, on the main thread.
    void setConsoleObserver(std::function<void(const std::string& line)> observer) { consoleObserver_ = std::move(observer); }
    // Bytes the current document's heap holds.
    std::size_t heapBytes() const;

    struct Document;

protected:
    void documentDidCommit(const std::string& url, const std::optional<std::string>& html) override;
    ScriptResult runScript(const std::string& script) override;

private:
    friend struct Bindings;
    class Run;
    Document& currentDocument();
    void replaceDocument(const std::string& url);
    // Runs one script of the page; records an error and returns false when it throws.
    bool runPageScript(const std::string& source);
    void fireTimer(double identifier);  // the page's timer number

    std::unique_ptr<Document> document_;
    std::vector<std::unique_ptr<Document>> retired_;  // replaced while a script of theirs ran
    int running_ = 0;
    std::vector<std::string> scriptErrors_;
    std::vector<std::string> consoleMessages_;
    std::function<void(const std::string&)> consoleObserver_;
};

}  // namespace solen::scripted
