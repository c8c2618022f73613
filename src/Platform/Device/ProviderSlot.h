#pragma once

#include <functional>
#include <mutex>
#include <utility>

namespace solen::platform {

// A replaceable source of one platform fact: the Linux default, or a function that tests (or a
// host) put in its place. Thread-safe; the function runs outside the lock.
template <class Value>
class ProviderSlot {
public:
    using Provider = std::function<Value()>;

    explicit ProviderSlot(Provider fallback) : fallback_(std::move(fallback)) {}

    Value read() const {
        Provider provider;
        {
            std::lock_guard lock(mutex_);
            provider = override_ ? override_ : fallback_;
        }
        return provider();
    }

    // An empty function restores the default.
    void replace(Provider provider) {
        std::lock_guard lock(mutex_);
        override_ = std::move(provider);
    }

private:
    mutable std::mutex mutex_;
    Provider fallback_;
    Provider override_;
};

}  // namespace solen::platform
