#pragma once

#include "Ad/RenderEngine/Bridge/MRAIDJS.h"
#include "Ad/RenderEngine/MRAID/MRAIDAction.h"
#include "Ad/RenderEngine/View/MWebview.h"
#include <solen/ui/WebNavigation.h>

#include <memory>
#include <optional>
#include <string>

namespace solen {

// The render view's two answers to its web view: whether a navigation may go ahead (and when the
// bridge goes into the page), and how a call the page posted is carried out and answered.
// Main thread only.
namespace RenderViewCalls {

// A call made by navigating to scheme://command?key=value&... .
struct URLNativeCall {
    std::string scheme;   // lower-cased
    std::string command;  // the native command's own spelling when the host names one, else the lower-cased host
    AnyDictionary params = AnyDictionary::object();
};

// Reads a URL as a call: a URL of one of the four bridge schemes (any letter case) with a host is
// one, with or without a query; any other URL needs a host and a query that is not blank. Query
// pairs split at the first "=" (pairs without one are skipped), both sides percent-decoded.
std::optional<URLNativeCall> nativeCall(const std::string& url);

// Whether the page may navigate to `request`. "about:blank" and web content (Utilities::linkKind)
// are allowed, and the first of them sets `isMRAIDIInjected`: the bridge is in every document of
// the web view from its start (a document-start script), so nothing is evaluated for it here. A
// URL that is a call is carried out through `action` and cancelled when the call succeeded; a
// URL-form call gets no answer in the page. Everything else is cancelled.
bool shouldStartLoad(const platform::WebRequest& request, const std::shared_ptr<MRAIDAction>& action, bool& isMRAIDIInjected);

// Answers a call the page posted through `webView`, on a later turn of the main loop: the error
// event with `failure` when the call failed or was refused, then its nativeCallComplete, which
// lets the page's next queued call go out.
void answerNativeCall(const std::shared_ptr<MWebview>& webView, MRAIDJS::Scheme scheme, const std::string& command,
                      const std::optional<std::string>& failure);

// A call the page posted. Carried out through `action`, then answered in the page through
// `webView` on a later turn of the main loop: exactly one nativeCallComplete for the scheme and
// command, preceded by the error event with the failure's message when the call failed. A call
// without a bridge scheme or a command is logged "Invalid scheme or command" and answered on
// window.mraidview so that the page's queue moves on; the "loadSourceSuccess" notice is ignored.
void didReceiveNativeCall(const std::shared_ptr<MRAIDAction>& action, const std::shared_ptr<MWebview>& webView,
                          const std::optional<std::string>& scheme, const std::optional<std::string>& command,
                          const std::optional<AnyDictionary>& params);

}  // namespace RenderViewCalls

}  // namespace solen
