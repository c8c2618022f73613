#include "Commons/Utilities/Utilities.h"

#include "Platform/Foundation/StringTrimming.h"

#include "Commons/Storage/KeyValueStore.h"
#include "Commons/Utilities/Logger.h"
#include "Platform/Dispatch/MainLoop.h"
#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/CharacterSet.h"
#include "Platform/Foundation/Locale.h"
#include "Platform/UI/GradientLayer.h"
#include <solen/ui/WebView.h>

#include <solen/ui/View.h>
#include <solen/ui/ViewController.h>
#include <solen/ui/Window.h>

#include <array>
#include <mutex>
#include <source_location>

namespace solen {

using platform::Application;
using platform::MainLoop;

namespace {

struct SharedState {
    std::mutex mutex;
    std::string appId;
    std::optional<std::string> userAgent;
    bool userAgentFetched = false;  // the web view has answered in this process
    std::shared_ptr<platform::WebView> userAgentWebView;
};

SharedState& state() {
    // Never destroyed: script answers may still arrive while the process exits.
    static auto* shared = new SharedState;
    return *shared;
}

// Runs `read` on the main thread and returns its result.
template <class Read>
auto onMain(Read read) -> decltype(read()) {
    decltype(read()) result{};
    MainLoop::shared().sync([&] { result = read(); });
    return result;
}

}  // namespace

std::string_view Utilities::trimmingWhitespaceAndNewlines(std::string_view text) {
    return platform::trimmingWhitespaceAndNewlines(text);
}

std::string Utilities::appId() {
    std::lock_guard lock(state().mutex);
    return state().appId;
}

void Utilities::setAppId(std::string appId) {
    std::lock_guard lock(state().mutex);
    state().appId = std::move(appId);
}

std::optional<std::string> Utilities::userAgent() {
    std::lock_guard lock(state().mutex);
    return state().userAgent;
}

void Utilities::setUserAgent(std::optional<std::string> userAgent) {
    std::lock_guard lock(state().mutex);
    state().userAgent = std::move(userAgent);
    state().userAgentFetched = false;
}

std::shared_ptr<platform::WebView> Utilities::userAgentWebView() {
    std::lock_guard lock(state().mutex);
    return state().userAgentWebView;
}

void Utilities::updateWebViewUserAgent() {
    const std::source_location where = std::source_location::current();
    {
        std::lock_guard lock(state().mutex);
        if (state().userAgent && !state().userAgent->empty()) {
            return;
        }
    }

    // The remembered value first, so that it can never overwrite the web view's answer.
    std::optional<std::string> stored;
    if (const auto value = KeyValueStore::get(userAgentKey); value && value->isText()) {
        stored = *value->text();
    }
    {
        std::lock_guard lock(state().mutex);
        if (!state().userAgentFetched) {
            state().userAgent = std::move(stored);
        }
    }

    platform::performOnMainQueue([where] {
        const std::shared_ptr<platform::WebView> webView = platform::WebView::create();
        std::shared_ptr<platform::WebView> previous;
        {
            std::lock_guard lock(state().mutex);
            previous = std::exchange(state().userAgentWebView, webView);
        }
        previous.reset();  // outside the lock
        webView->evaluateJavaScript(
            "navigator.userAgent",
            [where](std::optional<nlohmann::ordered_json> result, std::optional<platform::Error> error) {
                if (error) {
                    Logger::debug("Error occured to get userAgent", where);
                }
                if (result && result->is_string()) {
                    const std::string agent = result->get<std::string>();
                    KeyValueStore::set(platform::PropertyValue(agent), userAgentKey);
                    std::lock_guard lock(state().mutex);
                    state().userAgent = agent;
                    state().userAgentFetched = true;
                } else {
                    Logger::debug("Failed to get userAgent", where);
                }
            });
    });
}

std::optional<std::string> Utilities::appVersion() {
    const std::optional<nlohmann::ordered_json> info = platform::Bundle::main().infoDictionary();
    if (!info) {
        return std::string();
    }
    const auto it = info->find("CFBundleShortVersionString");
    if (it == info->end() || !it->is_string()) {
        return std::nullopt;
    }
    return it->get<std::string>();
}

std::optional<AnyDictionary> Utilities::appTransportSecurity() {
    return platform::Bundle::main().objectForInfoDictionaryKey("NSAppTransportSecurity");
}

std::optional<std::string> Utilities::localeIdentifier() { return platform::Locale::current().identifier(); }

int Utilities::interfaceOrientation() {
    return onMain([] { return static_cast<int>(Application::shared().statusBarOrientation()); });
}

std::shared_ptr<platform::Window> Utilities::mainKeyWindow() {
    return onMain([] { return Application::shared().keyWindow(); });
}

double Utilities::statusBarHeight() {
    return onMain([] {
        const Application& application = Application::shared();
        return application.isStatusBarHidden() ? 0.0 : application.statusBarFrame().size.height;
    });
}

std::shared_ptr<platform::ViewController> Utilities::topMostController() {
    return onMain([]() -> std::shared_ptr<platform::ViewController> {
        const std::shared_ptr<platform::Window> keyWindow = Application::shared().keyWindow();
        std::shared_ptr<platform::ViewController> controller = keyWindow ? keyWindow->rootViewController() : nullptr;
        while (controller && controller->presentedViewController()) {
            controller = controller->presentedViewController();
        }
        return controller;
    });
}

std::shared_ptr<platform::View> Utilities::topMost() {
    return onMain([]() -> std::shared_ptr<platform::View> {
        const std::shared_ptr<platform::ViewController> controller = topMostController();
        return controller ? controller->view() : std::shared_ptr<platform::View>(Application::shared().keyWindow());
    });
}

std::optional<std::map<std::string, std::string>> Utilities::queryParameters(std::string_view text) {
    const std::string_view trimmed = trimmingWhitespaceAndNewlines(text);
    if (trimmed.empty()) {
        return std::nullopt;
    }
    std::map<std::string, std::string> parameters;
    std::size_t start = 0;
    while (start <= trimmed.size()) {
        const std::size_t amp = std::min(trimmed.find('&', start), trimmed.size());
        const std::string_view piece = trimmed.substr(start, amp - start);
        start = amp + 1;
        const std::size_t equals = piece.find('=');
        if (equals == std::string_view::npos) {
            continue;
        }
        const std::string key(piece.substr(0, equals));
        std::string_view value = piece.substr(equals + 1);
        value = value.substr(0, value.find('='));
        if (std::optional<std::string> decoded = platform::removingPercentEncoding(value)) {
            parameters[key] = std::move(*decoded);
        } else {
            parameters.erase(key);
        }
    }
    return parameters;
}

bool Utilities::linkKind(const std::optional<platform::URL>& url) {
    if (!url) {
        return false;
    }
    static constexpr std::array<std::string_view, 2> appStoreHosts{"apps.apple.com", "itunes.apple.com"};
    const std::string& text = url->absoluteString();
    for (std::string_view host : appStoreHosts) {
        if (text.find("://" + std::string(host) + "/") != std::string::npos) {
            return false;
        }
    }
    const std::optional<std::string>& scheme = url->scheme();
    return scheme && (*scheme == "http" || *scheme == "https" || *scheme == "data" || *scheme == "applewebdata");
}

void Utilities::openExternalURL(const platform::URL& url, Application::OpenURLOptions options,
                                std::function<void(bool)> completion) {
    Application& application = Application::shared();
    if (!application.canOpenURL(url)) {
        if (completion) {
            completion(false);
        }
        return;
    }
    application.open(url, std::move(options), std::move(completion));
}

void Utilities::addGradientLayer(platform::View& view, const std::vector<platform::Color>& colors,
                                 const std::vector<double>& locations, platform::Point startPoint,
                                 platform::Point endPoint) {
    const std::shared_ptr<platform::GradientLayer> gradient = platform::GradientLayer::create();
    gradient->setFrame(platform::Rect(platform::Point{}, view.frame().size));
    std::vector<platform::Color> layerColors;
    layerColors.reserve(colors.size());
    for (const platform::Color& color : colors) {
        layerColors.push_back(color.cgColor());
    }
    gradient->setColors(std::move(layerColors));
    gradient->setLocations(locations);
    gradient->setStartPoint(startPoint);
    gradient->setEndPoint(endPoint);
    view.layer()->insertSublayer(gradient, 0);
}

}  // namespace solen
