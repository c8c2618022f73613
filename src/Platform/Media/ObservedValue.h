#pragma once

#include "Platform/Media/Observation.h"

#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace solen::platform {

// A property whose changes can be observed with old and new values. A change is reported inside
// the call that makes it, to every live observer in the order they were added, and only when the
// value really changes. Handlers may add or end observations; one that changes the value again
// starts a nested report at once, and the remaining handlers of the outer report still hear the
// outer change. Main thread only.
template <class T>
class ObservedValue {
public:
    using Handler = std::function<void(const T& oldValue, const T& newValue)>;

    explicit ObservedValue(T initial = T{}) : value_(std::move(initial)) {}
    ObservedValue(const ObservedValue&) = delete;
    ObservedValue& operator=(const ObservedValue&) = delete;

    const T& value() const { return value_; }
    operator const T&() const { return value_; }

    // Keep the token: the observation ends when it is released or invalidated.
    [[nodiscard]] std::shared_ptr<Observation> observe(Handler handler) const {
        auto shared = std::make_shared<Handler>(std::move(handler));
        handlers_.push_back(shared);
        return std::make_shared<Observation>(shared);
    }

    void set(T value) {
        if (value == value_) return;
        T old = std::exchange(value_, std::move(value));
        const T current = value_;
        std::erase_if(handlers_, [](const std::weak_ptr<Handler>& handler) { return handler.expired(); });
        const auto handlers = handlers_;  // handlers may add observations while we run
        for (const auto& weak : handlers) {
            if (auto handler = weak.lock()) (*handler)(old, current);
        }
    }

private:
    T value_;
    mutable std::vector<std::weak_ptr<Handler>> handlers_;
};

}  // namespace solen::platform
