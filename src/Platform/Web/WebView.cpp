#include <solen/ui/WebView.h>

#include "Commons/Utilities/Logger.h"
#include "Platform/Dispatch/Clock.h"
#include "Platform/Dispatch/MainLoop.h"
#include "Platform/Dispatch/RunLoopTimer.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace solen::platform {

namespace {

const char* const linuxUserAgent = "Mozilla/5.0 (X11; Linux x86_64) AppleWebKit/605.1.15 (KHTML, like Gecko)";

std::mutex settingsMutex;

std::string& defaultAgent() {
    static auto& agent = *new std::string(linuxUserAgent);
    return agent;
}

WebView::ScriptResponder& responder() {
    static auto& installed = *new WebView::ScriptResponder;
    return installed;
}

std::atomic<std::size_t> aliveViews{0};

// What a message body takes at least: its texts and keys, and one byte per value.
std::size_t messageBytes(const nlohmann::ordered_json& body) {
    std::vector<const nlohmann::ordered_json*> pending{&body};
    std::size_t bytes = 0;
    while (!pending.empty()) {
        const nlohmann::ordered_json& value = *pending.back();
        pending.pop_back();
        ++bytes;
        if (value.is_string()) {
            bytes += value.get_ref<const std::string&>().size();
        } else if (value.is_object()) {
            for (const auto& [key, member] : value.items()) {
                bytes += key.size();
                pending.push_back(&member);
            }
        } else if (value.is_array()) {
            for (const auto& element : value) {
                pending.push_back(&element);
            }
        }
    }
    return bytes;
}

}  // namespace

const std::string& WebView::errorDomain = *new std::string("WebViewErrorDomain");

std::shared_ptr<WebView> WebView::create(Rect frame, WebViewConfiguration configuration) {
    return std::make_shared<WebView>(frame, std::move(configuration));
}

WebView::WebView(Rect frame, WebViewConfiguration configuration) : View(frame), configuration_(std::move(configuration)) {
    ++aliveViews;
}

WebView::~WebView() {
    cancelAllTimers();
    --aliveViews;
}

std::size_t WebView::liveCount() { return aliveViews.load(); }

std::string WebView::userAgent() const { return customUserAgent_ ? *customUserAgent_ : defaultUserAgent(); }

std::string WebView::defaultUserAgent() {
    std::lock_guard lock(settingsMutex);
    return defaultAgent();
}

void WebView::setDefaultUserAgent(std::string userAgent) {
    std::lock_guard lock(settingsMutex);
    defaultAgent() = userAgent.empty() ? std::string(linuxUserAgent) : std::move(userAgent);
}

void WebView::setScriptResponder(ScriptResponder newResponder) {
    std::lock_guard lock(settingsMutex);
    responder() = std::move(newResponder);
}

std::shared_ptr<WebView> WebView::keepAlive() { return std::static_pointer_cast<WebView>(shared_from_this()); }

void WebView::addScriptMessageHandler(const std::string& name, std::shared_ptr<ScriptMessageHandler> handler) {
    removeScriptMessageHandler(name);
    configuration_.scriptMessageHandlers.emplace_back(name, std::move(handler));
}

void WebView::removeScriptMessageHandler(const std::string& name) {
    std::erase_if(configuration_.scriptMessageHandlers, [&](const auto& entry) { return entry.first == name; });
}

std::shared_ptr<ScriptMessageHandler> WebView::scriptMessageHandler(const std::string& name) const {
    for (const auto& [handlerName, handler] : configuration_.scriptMessageHandlers) {
        if (handlerName == name) {
            return handler;
        }
    }
    return nullptr;
}

// Loads

void WebView::loadHTMLString(std::string html, std::optional<std::string> baseURL) {
    loadedHTML_.push_back(html);
    startLoad(PendingDocument{baseURL.value_or("about:blank"), std::move(html)}, NavigationType::other);
}

void WebView::load(WebRequest request) {
    loadedRequests_.push_back(request);
    startLoad(PendingDocument{request.url.value_or(""), std::nullopt}, NavigationType::other);
}

void WebView::pageNavigate(const std::string& url, NavigationType type) {
    startLoad(PendingDocument{url, std::nullopt}, type);
}

void WebView::startLoad(PendingDocument document, NavigationType type) {
    const std::uint64_t sequence = ++loadSequence_;
    loading_ = true;
    committedAndHeld_ = false;
    performLater([this, sequence, document = std::move(document), type] { decide(sequence, document, type); });
}

void WebView::stopLoading() {
    ++loadSequence_;
    loading_ = false;
    committedAndHeld_ = false;
}

void WebView::decide(std::uint64_t sequence, const PendingDocument& document, NavigationType type) {
    if (sequence != loadSequence_) {
        return;
    }
    const auto keep = keepAlive();
    NavigationAction action;
    if (!document.url.empty()) {
        action.request.url = document.url;
    }
    action.navigationType = type;
    const std::shared_ptr<WebNavigationDelegate> delegate = navigationDelegate();
    const NavigationActionPolicy policy = delegate ? delegate->decidePolicy(*this, action) : NavigationActionPolicy::allow;
    if (sequence != loadSequence_) {
        return;  // the decision started another load or stopped this one
    }
    if (policy == NavigationActionPolicy::cancel) {
        loading_ = false;
        return;
    }
    performLater([this, sequence, document] { commit(sequence, document); });
}

void WebView::commit(std::uint64_t sequence, const PendingDocument& document) {
    if (sequence != loadSequence_) {
        return;
    }
    const auto keep = keepAlive();
    url_ = document.url;
    droppedMessageLogged_ = false;
    if (const auto delegate = navigationDelegate()) {
        delegate->didCommitNavigation(*this);
    }
    if (sequence != loadSequence_) {
        return;
    }
    documentDidCommit(document.url, document.html);
    if (sequence != loadSequence_) {
        return;
    }
    if (holdsLoads_) {
        committedAndHeld_ = true;
        return;
    }
    performLater([this, sequence] { finish(sequence); });
}

void WebView::finish(std::uint64_t sequence) {
    if (sequence != loadSequence_ || !loading_) {
        return;
    }
    const auto keep = keepAlive();
    loading_ = false;
    committedAndHeld_ = false;
    if (const auto delegate = navigationDelegate()) {
        delegate->didFinishNavigation(*this);
    }
}

void WebView::finishLoad() {
    if (committedAndHeld_) {
        finish(loadSequence_);
    }
}

void WebView::failLoad(const Error& error) {
    if (!loading_) {
        return;
    }
    const auto keep = keepAlive();
    stopLoading();
    if (const auto delegate = navigationDelegate()) {
        delegate->didFailNavigation(*this, error);
    }
}

void WebView::documentDidCommit(const std::string&, const std::optional<std::string>&) {}

// The page side

void WebView::pagePostMessage(const std::string& name, nlohmann::ordered_json body) {
    const std::size_t bytes = messageBytes(body) + name.size();
    if (bytes > queuedMessageLimitBytes - queuedMessageBytes_) {
        if (!droppedMessageLogged_) {
            droppedMessageLogged_ = true;
            Logger::error("Dropped messages posted by the page " + url_.value_or("") + ": more than " +
                          std::to_string(queuedMessageLimitBytes >> 20) + " MiB of them wait for delivery");
        }
        return;
    }
    queuedMessageBytes_ += bytes;
    performLater([this, bytes, message = ScriptMessage{name, std::move(body)}] {
        queuedMessageBytes_ -= bytes;
        if (const std::shared_ptr<ScriptMessageHandler> handler = scriptMessageHandler(message.name)) {
            const auto keep = keepAlive();
            handler->didReceiveScriptMessage(*this, message);
        }
    });
}

void WebView::pageOpenWindow(const std::string& url) {
    if (const auto delegate = uiDelegate()) {
        const auto keep = keepAlive();
        NavigationAction action;
        action.request.url = url;
        delegate->createWebView(*this, action);
    }
}

void WebView::pageAlert(const std::string& message, std::function<void()> answer) {
    if (const auto delegate = uiDelegate()) {
        const auto keep = keepAlive();
        delegate->runJavaScriptAlertPanel(*this, message, std::move(answer));
    } else if (answer) {
        answer();
    }
}

void WebView::pageConfirm(const std::string& message, std::function<void(bool)> answer) {
    if (const auto delegate = uiDelegate()) {
        const auto keep = keepAlive();
        delegate->runJavaScriptConfirmPanel(*this, message, std::move(answer));
    } else if (answer) {
        answer(false);
    }
}

void WebView::pagePrompt(const std::string& prompt, const std::string& defaultText,
                         std::function<void(std::optional<std::string>)> answer) {
    if (const auto delegate = uiDelegate()) {
        const auto keep = keepAlive();
        delegate->runJavaScriptTextInputPanel(*this, prompt, defaultText, std::move(answer));
    } else if (answer) {
        answer(std::nullopt);
    }
}

// Scripts

WebView::ScriptResult WebView::runScript(const std::string& script) {
    ScriptResponder current;
    {
        std::lock_guard lock(settingsMutex);
        current = responder();
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
            outcome = static_cast<WebView&>(*view).runScript(script);
        } else {
            outcome.error = Error{errorDomain, webViewInvalidatedCode, "The web view was released before the script answered",
                                  std::nullopt, std::nullopt, nlohmann::ordered_json::object()};
        }
        if (completion) {
            completion(std::move(outcome.result), std::move(outcome.error));
        }
    });
}

// Main-loop helpers

void WebView::performLater(std::function<void()> block) {
    std::weak_ptr<View> weakSelf = weak_from_this();
    performOnMainQueue([weakSelf, block = std::move(block)] {
        if (const std::shared_ptr<View> view = weakSelf.lock()) {
            block();
        }
    });
}

std::uint64_t WebView::scheduleTimer(double milliseconds, bool repeats, std::function<void()> block) {
    const std::uint64_t identifier = ++nextTimer_;
    std::weak_ptr<View> weakSelf = weak_from_this();
    // A repeating timer waits at least 4 ms between firings, and so does a timer scheduled from a
    // timer nested more than five deep, as browsers clamp them: a zero delay can then not keep the
    // main loop busy for ever.
    const int nesting = timerNesting_ + 1;
    const double delay = repeats || timerNesting_ > 5 ? std::max(milliseconds, 4.0) : std::max(milliseconds, 0.0);
    const Clock::Duration interval = Clock::seconds(delay / 1000);
    auto timer = RunLoopTimer::scheduled(interval, repeats, [weakSelf, identifier, repeats, nesting, block = std::move(block)](RunLoopTimer&) {
        const std::shared_ptr<View> view = weakSelf.lock();
        if (!view) {
            return;
        }
        auto& self = static_cast<WebView&>(*view);
        if (!self.timers_.contains(identifier)) {
            return;
        }
        if (!repeats) {
            self.timers_.erase(identifier);
        }
        const int outer = std::exchange(self.timerNesting_, nesting);
        block();
        self.timerNesting_ = outer;
    });
    timers_[identifier] = [timer] { timer->invalidate(); };
    return identifier;
}

void WebView::cancelTimer(std::uint64_t identifier) {
    const auto found = timers_.find(identifier);
    if (found != timers_.end()) {
        const auto invalidate = std::move(found->second);
        timers_.erase(found);
        invalidate();
    }
}

void WebView::cancelAllTimers() {
    for (auto& [identifier, invalidate] : std::exchange(timers_, {})) {
        invalidate();
    }
}

}  // namespace solen::platform
