#include "Platform/Foundation/HttpSession.h"

#include <curl/curl.h>
#include <dlfcn.h>

#include <cmath>
#include <cstdint>
#include <mutex>
#include <string_view>

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

// OpenSSL frees its global and per-thread state in an exit-time handler unless its first start-up
// says otherwise; the SDK's I/O threads (and networks' own) may still be in a transfer while the
// process exits, and would then use freed state. When the HTTP library runs on OpenSSL, OpenSSL is
// started without that handler before the HTTP library starts it. It is found at run time, so the
// SDK does not link it itself.
void keepTlsStateAtExit() {
    const curl_version_info_data* version = curl_version_info(CURLVERSION_NOW);
    if (version == nullptr || version->ssl_version == nullptr ||
        std::string_view(version->ssl_version).substr(0, 8) != "OpenSSL/") {
        return;
    }
    using InitCrypto = int (*)(std::uint64_t options, const void* settings);
    constexpr std::uint64_t noExitHandler = 0x00080000;  // OPENSSL_INIT_NO_ATEXIT
    void* symbol = ::dlsym(RTLD_DEFAULT, "OPENSSL_init_crypto");
    if (symbol == nullptr) {
        if (void* crypto = ::dlopen("libcrypto.so.3", RTLD_NOW | RTLD_NOLOAD)) {
            symbol = ::dlsym(crypto, "OPENSSL_init_crypto");
        }
    }
    if (symbol != nullptr) {
        reinterpret_cast<InitCrypto>(symbol)(noExitHandler, nullptr);
    }
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
    std::call_once(once, [] {
        keepTlsStateAtExit();
        curl_global_init(CURL_GLOBAL_DEFAULT);
    });
}

}  // namespace solen::platform
