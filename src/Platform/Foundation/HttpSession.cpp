#include "Platform/Foundation/HttpSession.h"

#include <curl/curl.h>

#include <cmath>
#include <mutex>

namespace solen::platform {

namespace {

struct SharedSession {
    std::mutex mutex;
    std::shared_ptr<HttpSession> replacement;
    std::shared_ptr<HttpSession> standard;
};

// Never destroyed: the shared session outlives every static object that might still send.
SharedSession& sharedSession() {
    static auto* instance = new SharedSession();
    return *instance;
}

}  // namespace

std::shared_ptr<HttpSession> HttpSession::shared() {
    SharedSession& state = sharedSession();
    std::lock_guard lock(state.mutex);
    if (state.replacement) return state.replacement;
    if (!state.standard) state.standard = create();
    return state.standard;
}

void HttpSession::setShared(std::shared_ptr<HttpSession> session) {
    SharedSession& state = sharedSession();
    std::lock_guard lock(state.mutex);
    state.replacement = std::move(session);
}

long HttpSession::timeoutMilliseconds(double seconds) {
    constexpr double kMaximumMilliseconds = 30.0 * 24 * 3600 * 1000;
    if (!std::isfinite(seconds) || seconds <= 0) {
        seconds = URLRequest::defaultTimeoutInterval;
    }
    const double milliseconds = std::min(std::round(seconds * 1000.0), kMaximumMilliseconds);
    return std::max(1L, static_cast<long>(milliseconds));
}

void HttpSession::globalInitialize() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

}  // namespace solen::platform
