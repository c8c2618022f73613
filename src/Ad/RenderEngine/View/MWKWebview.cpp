#include "Ad/RenderEngine/View/MWKWebview.h"

#include "Ad/RenderEngine/Bridge/MRAIDBridgeScript.h"
#include "Ad/RenderEngine/OpenModes/ExternalURLOpener.h"
#include "Ad/RenderEngine/View/RenderViewCalls.h"
#include "Commons/Utilities/Logger.h"
#include "Commons/Utilities/MainQueue.h"
#include <solen/ui/WebViewFactory.h>

#include <vector>

namespace solen {

namespace {

// What the web view's handlers hold: the wrapper, weakly, so the web view never keeps its owner
// alive. Messages for a wrapper that is gone are dropped.
class LeakAvoider final : public platform::ScriptMessageHandler {
public:
    explicit LeakAvoider(std::weak_ptr<MWKWebview> delegate) : delegate_(std::move(delegate)) {}
    void didReceiveScriptMessage(platform::WebView&, const platform::ScriptMessage& message) override {
        if (const auto delegate = delegate_.lock()) {
            delegate->didReceiveScriptMessage(message);
        }
    }

private:
    std::weak_ptr<MWKWebview> delegate_;
};

// Whether a message body stays within the depth and size limits. The size counts the texts,
// keys and one byte per value, a lower bound of the JSON text, and stops at the first excess.
bool withinLimits(const nlohmann::ordered_json& body) {
    struct Pending {
        const nlohmann::ordered_json* value;
        std::size_t depth;
    };
    std::vector<Pending> pending{{&body, 1}};
    std::size_t bytes = 0;
    while (!pending.empty()) {
        const Pending next = pending.back();
        pending.pop_back();
        if (next.depth > MWKWebview::maximumMessageDepth) {
            return false;
        }
        ++bytes;
        if (next.value->is_string()) {
            bytes += next.value->get_ref<const std::string&>().size();
        } else if (next.value->is_object()) {
            for (const auto& [key, member] : next.value->items()) {
                bytes += key.size();
                pending.push_back({&member, next.depth + 1});
            }
        } else if (next.value->is_array()) {
            for (const auto& element : *next.value) {
                pending.push_back({&element, next.depth + 1});
            }
        }
        if (bytes > MWKWebview::maximumMessageBytes) {
            return false;
        }
    }
    return true;
}

std::optional<std::string> textEntry(const nlohmann::ordered_json& body, const char* key) {
    const auto found = body.find(key);
    if (found == body.end() || !found->is_string()) {
        return std::nullopt;
    }
    return found->get<std::string>();
}

}  // namespace

std::shared_ptr<MWKWebview> MWKWebview::create(AdViewConfig adConfig) {
    auto wrapper = std::make_shared<MWKWebview>(adConfig);
    wrapper->makeWebView();
    return wrapper;
}

MWKWebview::MWKWebview(AdViewConfig adConfig) : adConfig_(adConfig) {}

MWKWebview::~MWKWebview() {
    if (webView_) {
        webView_->stopLoading();
        webView_->removeScriptMessageHandler(nativeMessageHandlerName);
        webView_->removeScriptMessageHandler(loadSourceSuccessName);
    }
}

platform::WebViewConfiguration MWKWebview::makeConfiguration() {
    platform::WebViewConfiguration configuration;
    const auto avoider = std::make_shared<LeakAvoider>(weak_from_this());
    configuration.scriptMessageHandlers = {{nativeMessageHandlerName, avoider}, {loadSourceSuccessName, avoider}};
    // The bridge is in every document before the creative's scripts run; evaluating it after
    // the load started would race them.
    configuration.documentStartScripts = {std::string(mraidBridgeScript())};
    configuration.javaScriptCanOpenWindowsAutomatically = true;
    configuration.allowsInlineMediaPlayback = true;
    configuration.preferredContentMode = "mobile";
    return configuration;
}

void MWKWebview::makeWebView() {
    webView_ = platform::WebViewFactory::make(adConfig_.frame, makeConfiguration());
    webView_->setNavigationDelegate(weak_from_this());
    webView_->setUIDelegate(weak_from_this());
    webView_->setOpaque(false);
    webView_->setAccessibilityLabel("solenRenderView");
    webView_->setAutoresizingMask(platform::View::flexibleWidth | platform::View::flexibleHeight);
}

void MWKWebview::loadHTML(const std::string& html, const std::optional<std::string>& baseURL) {
    performOnMainQueue([weakSelf = weak_from_this(), html, baseURL] {
        if (const auto self = weakSelf.lock(); self && self->webView_) {
            self->webView_->loadHTMLString(html, baseURL);
        }
    });
}

void MWKWebview::loadURL(const platform::URL& url) {
    performOnMainQueue([weakSelf = weak_from_this(), url = url.absoluteString()] {
        if (const auto self = weakSelf.lock(); self && self->webView_) {
            self->webView_->load(platform::WebRequest{url, 60});
        }
    });
}

void MWKWebview::evaluateJS(const std::string& script, Completion completion) {
    if (webView_) {
        webView_->evaluateJavaScript(script, std::move(completion));
    }
}

// Navigation

platform::NavigationActionPolicy MWKWebview::decidePolicy(platform::WebView&, const platform::NavigationAction& action) {
    const std::shared_ptr<MWebviewDelegate> delegate = webViewDelegate();
    if (!delegate) {
        return platform::NavigationActionPolicy::cancel;
    }
    const auto keep = shared_from_this();
    return delegate->shouldStartLoad(keep, action.request, action.navigationType) ? platform::NavigationActionPolicy::allow
                                                                                  : platform::NavigationActionPolicy::cancel;
}

void MWKWebview::didCommitNavigation(platform::WebView&) {
    if (const auto delegate = webViewDelegate()) {
        delegate->webViewDidCommitNavigation();
    }
}

void MWKWebview::didFinishNavigation(platform::WebView&) {
    if (const auto delegate = webViewDelegate()) {
        delegate->webViewDidFinishLoad();
    }
}

void MWKWebview::didFailNavigation(platform::WebView&, const platform::Error& error) {
    if (const auto delegate = webViewDelegate()) {
        delegate->webViewDidFailLoad(error);
    }
}

// Page user interface

void MWKWebview::createWebView(platform::WebView&, const platform::NavigationAction& action) {
    const auto delegate = webViewDelegate();
    if (!delegate || !delegate->shouldOpenNewWindow(action.request) || !action.request.url) {
        return;
    }
    ExternalURLOpener::open(*action.request.url, [](bool opened) {
        if (!opened) {
            Logger::error("Open External window failed");
        }
    });
}

void MWKWebview::runJavaScriptAlertPanel(platform::WebView&, const std::string&, std::function<void()> completion) {
    if (completion) {
        completion();
    }
}

void MWKWebview::runJavaScriptConfirmPanel(platform::WebView&, const std::string&, std::function<void(bool)> completion) {
    if (completion) {
        completion(false);
    }
}

void MWKWebview::runJavaScriptTextInputPanel(platform::WebView&, const std::string&, const std::string&,
                                             std::function<void(std::optional<std::string>)> completion) {
    if (completion) {
        completion(std::nullopt);
    }
}

// Script messages

void MWKWebview::didReceiveScriptMessage(const platform::ScriptMessage& message) {
    const auto delegate = webViewDelegate();
    if (!delegate) {
        return;
    }
    const auto keep = shared_from_this();
    if (!withinLimits(message.body)) {
        Logger::error("Ignored script message \"" + message.name + "\": body too large or too deep");
        if (message.body.is_object()) {
            // Still one of the page's queued calls: refused like a failed call, so that the
            // calls queued behind it go out.
            const std::optional<std::string> schemeText = textEntry(message.body, "scheme");
            const auto scheme = schemeText ? MRAIDJS::schemeNamed(*schemeText) : std::nullopt;
            RenderViewCalls::answerNativeCall(keep, scheme.value_or(MRAIDJS::Scheme::mraidView),
                                              textEntry(message.body, "command").value_or(""), std::string(refusedMessageError));
        }
        return;
    }
    if (message.body.is_object()) {
        std::optional<AnyDictionary> params;
        if (const auto found = message.body.find("params"); found != message.body.end() && found->is_object()) {
            params = *found;
        }
        delegate->didReceiveNativeCall(keep, textEntry(message.body, "scheme"), textEntry(message.body, "command"), params);
    } else if (message.name == loadSourceSuccessName) {
        delegate->didReceiveNativeCall(keep, std::string(loadSourceSuccessName), std::nullopt, std::nullopt);
    } else {
        Logger::debug("Ignored script message \"" + message.name + "\": the body is not an object");
    }
}

}  // namespace solen
