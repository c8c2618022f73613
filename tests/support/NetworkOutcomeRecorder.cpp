#include "support/NetworkOutcomeRecorder.h"

#include <condition_variable>
#include <mutex>

namespace solen::test {

struct NetworkOutcomeRecorder::State {
    mutable std::mutex mutex;
    mutable std::condition_variable changed;
    std::shared_ptr<platform::DispatchQueue> expectedQueue;
    std::vector<Response> responses;
    std::vector<NetworkError> errors;
    std::vector<platform::HTTPHeaderFields> headers;
    std::vector<std::string> events;
    bool onExpectedQueue = true;

    void note(const std::string& event) {
        // Called with the mutex held.
        events.push_back(event);
        if (expectedQueue && !expectedQueue->isCurrent()) onExpectedQueue = false;
    }
};

NetworkOutcomeRecorder::NetworkOutcomeRecorder(NetworkServiceProvider& provider,
                                               std::shared_ptr<platform::DispatchQueue> expectedQueue)
    : state_(std::make_shared<State>()) {
    state_->expectedQueue = std::move(expectedQueue);
    provider.setDidGetResponse([state = state_](const Response& response) {
        {
            std::lock_guard lock(state->mutex);
            state->responses.push_back(response);
            state->note("response");
        }
        state->changed.notify_all();
    });
    provider.setDidFailWithError([state = state_](const NetworkError& error) {
        {
            std::lock_guard lock(state->mutex);
            state->errors.push_back(error);
            state->note("error");
        }
        state->changed.notify_all();
    });
    provider.setDidGetHeader([state = state_](const platform::HTTPHeaderFields& fields) {
        std::lock_guard lock(state->mutex);
        state->headers.push_back(fields);
        state->note("header");
    });
}

std::vector<Response> NetworkOutcomeRecorder::responses() const {
    std::lock_guard lock(state_->mutex);
    return state_->responses;
}

std::vector<NetworkError> NetworkOutcomeRecorder::errors() const {
    std::lock_guard lock(state_->mutex);
    return state_->errors;
}

std::vector<platform::HTTPHeaderFields> NetworkOutcomeRecorder::headers() const {
    std::lock_guard lock(state_->mutex);
    return state_->headers;
}

std::vector<std::string> NetworkOutcomeRecorder::events() const {
    std::lock_guard lock(state_->mutex);
    return state_->events;
}

std::size_t NetworkOutcomeRecorder::outcomeCount() const {
    std::lock_guard lock(state_->mutex);
    return state_->responses.size() + state_->errors.size();
}

bool NetworkOutcomeRecorder::allOnExpectedQueue() const {
    std::lock_guard lock(state_->mutex);
    return state_->onExpectedQueue;
}

bool NetworkOutcomeRecorder::waitForOutcomes(std::size_t count, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(state_->mutex);
    return state_->changed.wait_for(lock, timeout,
                                    [&] { return state_->responses.size() + state_->errors.size() >= count; });
}

}  // namespace solen::test
