#include "Platform/Web/WebView.h"

#include "Platform/Dispatch/MainLoop.h"

#include <atomic>
#include <mutex>

namespace solen::platform {

namespace {

const char* const linuxUserAgent = "Mozilla/5.0 (X11; Linux x86_64) AppleWebKit/605.1.15 (KHTML, like Gecko)";

std::mutex settingsMutex;
std::string defaultAgent = linuxUserAgent;
WebView::ScriptResponder responder;
std::atomic<std::size_t> aliveViews{0};

}  // namespace

const std::string WebView::errorDomain = "WebViewErrorDomain";

std::shared_ptr<WebView> WebView::create(Rect frame) { return std::make_shared<WebView>(frame); }

WebView::WebView(Rect frame) : View(frame) { ++aliveViews; }

WebView::~WebView() { --aliveViews; }

std::size_t WebView::liveCount() { return aliveViews.load(); }

std::string WebView::userAgent() const { return customUserAgent_ ? *customUserAgent_ : defaultUserAgent(); }

std::string WebView::defaultUserAgent() {
    std::lock_guard lock(settingsMutex);
    return defaultAgent;
}

void WebView::setDefaultUserAgent(std::string userAgent) {
    std::lock_guard lock(settingsMutex);
    defaultAgent = userAgent.empty() ? std::string(linuxUserAgent) : std::move(userAgent);
}

void WebView::setScriptResponder(ScriptResponder newResponder) {
    std::lock_guard lock(settingsMutex);
    responder = std::move(newResponder);
}

WebView::ScriptResult WebView::answer(const std::string& script) const {
    ScriptResponder current;
    {
        std::lock_guard lock(settingsMutex);
        current = responder;
    }
    if (current) {
        if (std::optional<ScriptResult> given = current(script)) {
            return *given;
        }
    }
    if (script == "navigator.userAgent") {
        return ScriptResult{nlohmann::ordered_json(userAgent()), std::nullopt};
    }
    return ScriptResult{};
}

void WebView::evaluateJavaScript(const std::string& script, Completion completion) {
    evaluatedScripts_.push_back(script);
    std::weak_ptr<View> weakSelf = weak_from_this();
    performOnMainQueue([weakSelf, script, completion = std::move(completion)] {
        const std::shared_ptr<View> view = weakSelf.lock();
        ScriptResult outcome;
        if (view) {
            outcome = static_cast<const WebView&>(*view).answer(script);
        } else {
            outcome.error = Error{errorDomain, webViewInvalidatedCode, "The web view was released before the script answered",
                                  std::nullopt, std::nullopt, nlohmann::ordered_json::object()};
        }
        if (completion) {
            completion(std::move(outcome.result), std::move(outcome.error));
        }
    });
}

}  // namespace solen::platform
