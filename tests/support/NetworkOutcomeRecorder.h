#pragma once

#include "Commons/Network/NetworkServiceProvider.h"

#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace solen::test {

// Sets the three callbacks of a NetworkServiceProvider and records what they receive, in order
// ("header", "response", "error"), and whether each ran on the session's queue. Safe to read
// from any thread; the callbacks keep the records alive if the recorder goes first.
class NetworkOutcomeRecorder {
public:
    explicit NetworkOutcomeRecorder(NetworkServiceProvider& provider,
                                    std::shared_ptr<platform::DispatchQueue> expectedQueue = nullptr);

    std::vector<Response> responses() const;
    std::vector<NetworkError> errors() const;
    std::vector<platform::HTTPHeaderFields> headers() const;
    std::vector<std::string> events() const;
    // Responses plus errors.
    std::size_t outcomeCount() const;
    // False when a callback ran off the expected queue.
    bool allOnExpectedQueue() const;

    bool waitForOutcomes(std::size_t count, std::chrono::milliseconds timeout = std::chrono::seconds(5)) const;

    struct State;

private:
    std::shared_ptr<State> state_;
};

}  // namespace solen::test
