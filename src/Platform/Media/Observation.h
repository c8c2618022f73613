#pragma once

#include <functional>
#include <memory>

namespace solen::platform {

// The token of one observation (a property observation or a time observer). The observed object
// holds the handler only weakly: invalidating the token, or releasing it, ends the observation
// at once, and an observation whose handler captured its owner weakly never keeps it alive.
// Main thread only, like the objects it observes.
class Observation {
public:
    explicit Observation(std::shared_ptr<void> handler) : handler_(std::move(handler)) {}
    Observation(const Observation&) = delete;
    Observation& operator=(const Observation&) = delete;

    void invalidate() { handler_.reset(); }
    bool isValid() const { return handler_ != nullptr; }

private:
    std::shared_ptr<void> handler_;
};

}  // namespace solen::platform
