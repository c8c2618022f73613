#include "Ad/RenderEngine/View/RenderViewCalls.h"

#include "Ad/RenderEngine/View/MWKWebview.h"
#include "Commons/Utilities/AsciiCase.h"
#include "Commons/Utilities/Logger.h"
#include "Commons/Utilities/Utilities.h"
#include "Platform/Foundation/CharacterSet.h"
#include "Platform/Foundation/StringTrimming.h"
#include "Platform/Foundation/URL.h"


namespace solen::RenderViewCalls {

namespace {

AnyDictionary queryParameters(std::string_view query) {
    AnyDictionary params = AnyDictionary::object();
    while (!query.empty()) {
        const std::size_t end = query.find('&');
        const std::string_view pair = query.substr(0, end);
        query = end == std::string_view::npos ? std::string_view() : query.substr(end + 1);
        const std::size_t equals = pair.find('=');
        if (equals == std::string_view::npos) {
            continue;
        }
        const std::string_view key = pair.substr(0, equals);
        const std::string_view value = pair.substr(equals + 1);
        params[platform::removingPercentEncoding(key).value_or(std::string(key))] = platform::removingPercentEncoding(value).value_or(std::string(value));
    }
    return params;
}

}  // namespace

void answerNativeCall(const std::shared_ptr<MWebview>& webView, MRAIDJS::Scheme scheme, const std::string& command,
                      const std::optional<std::string>& failure) {
    if (failure) {
        MRAIDJS::Events::broadCastError(scheme, command, *failure).evaluate(webView);
    }
    MRAIDJS::Methods::callComplete(scheme, command).evaluate(webView);
}

std::optional<URLNativeCall> nativeCall(const std::string& text) {
    const std::optional<platform::URL> url = platform::URL::parse(text);
    if (!url || !url->scheme()) {
        return std::nullopt;
    }
    const std::optional<std::string> host = url->host();
    if (!host || host->empty()) {
        return std::nullopt;
    }
    URLNativeCall call{lowerCased(*url->scheme()), lowerCased(*host)};
    const std::optional<std::string> rawQuery = url->query();
    const std::string_view query = rawQuery ? platform::trimmingWhitespaceAndNewlines(*rawQuery) : std::string_view();
    const bool bridgeScheme = MRAIDJS::schemeNamed(call.scheme).has_value();
    if (!bridgeScheme && query.empty()) {
        return std::nullopt;
    }
    if (bridgeScheme) {
        if (const auto type = MRAIDCommandTypes::namedIgnoringCase(call.command)) {
            call.command = std::string(MRAIDCommandTypes::rawValue(*type));
        }
    }
    call.params = queryParameters(query);
    return call;
}

bool shouldStartLoad(const platform::WebRequest& request, const std::shared_ptr<MRAIDAction>& action, bool& isMRAIDIInjected) {
    if (!request.url) {
        return true;
    }
    const std::string& url = *request.url;
    if (url == "about:blank") {
        isMRAIDIInjected = true;
        return true;
    }
    if (const auto call = nativeCall(url)) {
        const auto keep = action;
        if (keep && keep->handle(call->scheme, call->command, call->params).isSuccess()) {
            return false;
        }
    }
    if (Utilities::linkKind(platform::URL::parse(url))) {
        isMRAIDIInjected = true;
        return true;
    }
    return false;
}

void didReceiveNativeCall(const std::shared_ptr<MRAIDAction>& action, const std::shared_ptr<MWebview>& webView,
                          const std::optional<std::string>& scheme, const std::optional<std::string>& command,
                          const std::optional<AnyDictionary>& params) {
    const std::optional<MRAIDJS::Scheme> bridge = scheme ? MRAIDJS::schemeNamed(*scheme) : std::nullopt;
    if (!bridge || !command) {
        Logger::error("Invalid scheme or command");
        // The load notice is no call of the page's queue; anything else is, and must release it.
        if (!(scheme == MWKWebview::loadSourceSuccessName && !command)) {
            answerNativeCall(webView, MRAIDJS::Scheme::mraidView, command.value_or(""), std::nullopt);
        }
        return;
    }
    Logger::debug("Scheme: " + std::string(MRAIDJS::caseName(*bridge)) + " -> Command: " + *command +
                  " -> Params: " + (params ? params->dump() : std::string("nil")));
    const auto keep = action;
    const MRAIDCommandOutcome outcome =
        keep ? keep->handle(scheme, command, params) : MRAIDCommandOutcome::failure("not supported");
    answerNativeCall(webView, *bridge, *command, outcome.isSuccess() ? std::nullopt : std::optional<std::string>(outcome.message()));
}

}  // namespace solen::RenderViewCalls
