#pragma once

#include "Ad/RenderEngine/Protocols/AdViewConfig.h"
#include "Ad/RenderEngine/View/MWebview.h"
#include "Ad/RenderEngine/View/MWebviewDelegate.h"
#include <solen/ui/WebNavigation.h>
#include <solen/ui/WebView.h>
#include <solen/ui/WebViewConfiguration.h>

#include <memory>

namespace solen {

// The web view an ad's markup runs in, wrapped. It makes the web view (through the web view
// factory) with the bridge script at document start and two script-message handlers,
// "nativeMessageHandler" and "loadSourceSuccess", and turns what the page does — navigations,
// load outcome, new windows, script messages — into calls on its weakly held delegate (the
// render view). Panels the page shows are answered at once without showing anything. Released,
// it stops loading and removes its handlers. Main thread only; made with `create`.
class MWKWebview : public MWebview,
                   public platform::WebNavigationDelegate,
                   public platform::WebUIDelegate,
                   public std::enable_shared_from_this<MWKWebview> {
public:
    static constexpr const char* nativeMessageHandlerName = "nativeMessageHandler";
    static constexpr const char* loadSourceSuccessName = "loadSourceSuccess";
    // Limits of a script message's body. A larger or deeper body is not handed on; when it is a
    // call (an object) the page hears it refused: the error event with `refusedMessageError` and
    // the call's command, then the call's completion.
    static constexpr std::size_t maximumMessageBytes = 1 << 20;
    static constexpr std::size_t maximumMessageDepth = 32;
    static constexpr const char* refusedMessageError = "message too large";

    // Makes the wrapper and its web view.
    static std::shared_ptr<MWKWebview> create(AdViewConfig adConfig);
    explicit MWKWebview(AdViewConfig adConfig);
    ~MWKWebview() override;
    MWKWebview(const MWKWebview&) = delete;
    MWKWebview& operator=(const MWKWebview&) = delete;

    const std::shared_ptr<platform::WebView>& webView() const { return webView_; }
    const AdViewConfig& adConfig() const { return adConfig_; }

    // Overridable steps of making the web view.
    virtual void makeWebView();
    virtual platform::WebViewConfiguration makeConfiguration();

    // MWebview
    std::shared_ptr<MWebviewDelegate> webViewDelegate() const override { return webViewDelegate_.lock(); }
    void setWebViewDelegate(std::weak_ptr<MWebviewDelegate> delegate) override { webViewDelegate_ = std::move(delegate); }
    void loadHTML(const std::string& html, const std::optional<std::string>& baseURL) override;
    void loadURL(const platform::URL& url) override;
    void evaluateJS(const std::string& script, Completion completion) override;

    // A script message from the page (through the handler the web view holds).
    void didReceiveScriptMessage(const platform::ScriptMessage& message);

    // platform::WebNavigationDelegate
    platform::NavigationActionPolicy decidePolicy(platform::WebView& webView, const platform::NavigationAction& action) override;
    void didCommitNavigation(platform::WebView& webView) override;
    void didFinishNavigation(platform::WebView& webView) override;
    void didFailNavigation(platform::WebView& webView, const platform::Error& error) override;

    // platform::WebUIDelegate
    void createWebView(platform::WebView& webView, const platform::NavigationAction& action) override;
    void runJavaScriptAlertPanel(platform::WebView& webView, const std::string& message, std::function<void()> completion) override;
    void runJavaScriptConfirmPanel(platform::WebView& webView, const std::string& message,
                                   std::function<void(bool answer)> completion) override;
    void runJavaScriptTextInputPanel(platform::WebView& webView, const std::string& prompt, const std::string& defaultText,
                                     std::function<void(std::optional<std::string> text)> completion) override;

private:
    std::shared_ptr<platform::WebView> webView_;
    std::weak_ptr<MWebviewDelegate> webViewDelegate_;
    const AdViewConfig adConfig_;
};

}  // namespace solen
