#include "ExampleHttp.h"

#include <curl/curl.h>

#include <memory>

namespace example {
namespace {

std::size_t discard(char*, std::size_t size, std::size_t count, void*) { return size * count; }

}  // namespace

std::optional<std::string> setting(const std::optional<nlohmann::ordered_json>& settings, const char* key) {
    if (!settings || !settings->is_object()) {
        return std::nullopt;
    }
    const auto it = settings->find(key);
    if (it == settings->end() || !it->is_string()) {
        return std::nullopt;
    }
    return it->get<std::string>();
}

long getStatus(const std::string& url) {
    const std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> handle(curl_easy_init(), &curl_easy_cleanup);
    if (!handle) {
        return 0;
    }
    curl_easy_setopt(handle.get(), CURLOPT_URL, url.c_str());
    curl_easy_setopt(handle.get(), CURLOPT_TIMEOUT_MS, 5000L);
    curl_easy_setopt(handle.get(), CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle.get(), CURLOPT_WRITEFUNCTION, &discard);
    long status = 0;
    if (curl_easy_perform(handle.get()) == CURLE_OK) {
        curl_easy_getinfo(handle.get(), CURLINFO_RESPONSE_CODE, &status);
    }
    return status;
}

}  // namespace example
