#pragma once

#include <solen/ui/Error.h>
#include <solen/ui/View.h>

#include <nlohmann/json.hpp>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace solen::platform {

// A web view without a web engine. It records the scripts it is asked to evaluate and answers
// each one asynchronously on the main thread. "navigator.userAgent" answers with the user agent;
// a script responder installed by a test may answer any script (including that one) with a
// result or an error; other scripts give no result and no error. Main thread only, except the
// process-wide settings, which are thread-safe.
class WebView : public View {
public:
    struct ScriptResult {
        std::optional<nlohmann::ordered_json> result;
        std::optional<Error> error;
    };
    using Completion = std::function<void(std::optional<nlohmann::ordered_json> result, std::optional<Error> error)>;
    // Answers a script, or gives none to leave it to the default answer.
    using ScriptResponder = std::function<std::optional<ScriptResult>(const std::string& script)>;

    static const std::string errorDomain;
    // Code of the error given to a completion whose web view was released before it answered.
    static constexpr int webViewInvalidatedCode = 3;

    static std::shared_ptr<WebView> create(Rect frame = {});
    explicit WebView(Rect frame = {});

    void evaluateJavaScript(const std::string& script, Completion completion);
    // Every script passed to evaluateJavaScript, in order.
    const std::vector<std::string>& evaluatedScripts() const { return evaluatedScripts_; }

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

private:
    ScriptResult answer(const std::string& script) const;

    std::optional<std::string> customUserAgent_;
    std::vector<std::string> evaluatedScripts_;
};

}  // namespace solen::platform
