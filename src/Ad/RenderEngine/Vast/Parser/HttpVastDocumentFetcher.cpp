#include "Ad/RenderEngine/Vast/Parser/HttpVastDocumentFetcher.h"

#include "Platform/Foundation/URLRequest.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string_view>
#include <utility>

namespace solen {

using platform::HttpSession;

namespace {

bool isWebScheme(const std::optional<std::string>& scheme) {
    if (!scheme) {
        return false;
    }
    std::string lower = *scheme;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower == "http" || lower == "https";
}

// Shared between the waiting caller and the session's completion, which may arrive after the
// caller gave up.
struct PendingLoad {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    std::optional<std::string> body;
};

// Extra real time granted to the transport beyond its own time-out before the caller stops
// waiting and cancels the exchange.
constexpr std::chrono::seconds transportGrace{2};

}  // namespace

HttpVastDocumentFetcher::HttpVastDocumentFetcher(std::shared_ptr<HttpSession> session)
    : session_(std::move(session)) {
    if (!session_) {
        HttpSession::Configuration configuration;
        configuration.delegateQueueLabel = "solen.vast.fetch";
        configuration.maximumResponseBytes = maximumBodyBytes;
        session_ = HttpSession::create(configuration);
    }
}

std::shared_ptr<HttpVastDocumentFetcher> HttpVastDocumentFetcher::shared() {
    static const auto* fetcher = new std::shared_ptr<HttpVastDocumentFetcher>(std::make_shared<HttpVastDocumentFetcher>());
    return *fetcher;
}

std::optional<std::string> HttpVastDocumentFetcher::fetch(const platform::URL& url, platform::Clock::Duration timeout) {
    if (!isWebScheme(url.scheme()) || timeout <= platform::Clock::Duration::zero()) {
        return std::nullopt;
    }
    const double seconds = std::chrono::duration<double>(timeout).count();
    const auto pending = std::make_shared<PendingLoad>();
    const auto task = session_->dataTask(
        platform::URLRequest(url, seconds),
        [pending](std::optional<HttpSession::Data> data, std::optional<platform::URLResponse> response,
                  std::optional<platform::Error> error) {
            std::optional<std::string> body;
            if (!error && data && response && response->statusCode >= 200 && response->statusCode < 300 &&
                data->size() <= maximumBodyBytes) {
                body.emplace(data->begin(), data->end());
            }
            std::lock_guard lock(pending->mutex);
            pending->body = std::move(body);
            pending->finished = true;
            pending->done.notify_all();
        });
    if (!task) {
        return std::nullopt;
    }
    task->resume();

    std::unique_lock lock(pending->mutex);
    // Bounded so that an unlimited request cannot overflow the wait's deadline.
    const auto wait = std::min<std::chrono::milliseconds>(std::chrono::duration_cast<std::chrono::milliseconds>(timeout),
                                                          std::chrono::hours(24)) +
                      transportGrace;
    if (!pending->done.wait_for(lock, wait, [&] { return pending->finished; })) {
        lock.unlock();
        task->cancel();
        return std::nullopt;
    }
    return std::move(pending->body);
}

}  // namespace solen
