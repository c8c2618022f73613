#pragma once

#include <atomic>
#include <functional>
#include <future>

namespace solen::test {

// Holds whoever waits on it until the test opens it, also when the test ends early (the
// destructor opens it). A waiter made by `waiter()` may outlive the gate. Thread-safe.
class Gate {
public:
    Gate() = default;
    ~Gate() { open(); }
    Gate(const Gate&) = delete;
    Gate& operator=(const Gate&) = delete;

    void open() {
        if (!opened_.exchange(true)) {
            promise_.set_value();
        }
    }
    void wait() const { future_.wait(); }
    // A callable that waits for the gate, for a script to run on another thread.
    std::function<void()> waiter() const {
        return [future = future_] { future.wait(); };
    }

private:
    std::atomic<bool> opened_{false};
    std::promise<void> promise_;
    std::shared_future<void> future_ = promise_.get_future().share();
};

}  // namespace solen::test
