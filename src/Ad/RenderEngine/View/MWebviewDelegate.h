#pragma once

#include "Commons/Utilities/AnyDictionary.h"
#include <solen/ui/Error.h>
#include <solen/ui/WebNavigation.h>

#include <memory>
#include <optional>
#include <string>

namespace solen {

class MWebview;

// What an ad's web view wrapper turns the page's doings into (the owning render view answers).
// Main thread only.
class MWebviewDelegate {
public:
    virtual ~MWebviewDelegate() = default;
    // Whether the page may navigate to `request`.
    virtual bool shouldStartLoad(const std::shared_ptr<MWebview>& webView, const platform::WebRequest& request,
                                 platform::NavigationType navigationType) = 0;
    virtual void webViewDidCommitNavigation() = 0;
    virtual void webViewDidFinishLoad() = 0;
    virtual void webViewDidFailLoad(const platform::Error& error) = 0;
    // A call the page posted; each part is absent when the page sent none of the right type.
    virtual void didReceiveNativeCall(const std::shared_ptr<MWebview>& webView, const std::optional<std::string>& scheme,
                                      const std::optional<std::string>& command,
                                      const std::optional<AnyDictionary>& params) = 0;
    // Whether a window the page opens may be opened outside the application.
    virtual bool shouldOpenNewWindow(const platform::WebRequest& request) = 0;
};

}  // namespace solen
