#pragma once

#include <solen/ui/Error.h>
#include "Platform/Foundation/URL.h"

#include <nlohmann/json.hpp>

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace solen {

class MWebviewDelegate;

// An ad's web view as the render view and the MRAID command handling hold it. Main thread only.
class MWebview {
public:
    using Completion = std::function<void(std::optional<nlohmann::ordered_json> result, std::optional<platform::Error> error)>;

    virtual ~MWebview() = default;
    virtual std::shared_ptr<MWebviewDelegate> webViewDelegate() const = 0;
    virtual void setWebViewDelegate(std::weak_ptr<MWebviewDelegate> delegate) = 0;
    // Loads markup (on a later turn of the main loop).
    virtual void loadHTML(const std::string& html, const std::optional<std::string>& baseURL) = 0;
    // Loads a page (on a later turn of the main loop), default cache policy, 60-second time-out.
    virtual void loadURL(const platform::URL& url) = 0;
    // Evaluates a script in the page; the completion, when given, hears the result.
    virtual void evaluateJS(const std::string& script, Completion completion) = 0;
};

}  // namespace solen
