#pragma once

#include <httplib.h>

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace solen {

// A cpp-httplib task queue with one thread per connection. An SDK keeps several connections alive
// at once, and a delayed answer holds its connection: with a fixed pool, a connection beyond the
// pool's threads would wait unseen until a kept-alive one timed out. Threads are detached and
// counted; shutdown waits until every connection's task has ended. Thread-safe.
class ThreadPerConnection final : public httplib::TaskQueue {
public:
    void enqueue(std::function<void()> task) override {
        {
            std::lock_guard lock(state_->mutex);
            ++state_->running;
        }
        // The state outlives the queue for threads still finishing when shutdown returns.
        std::thread([state = state_, task = std::move(task)] {
            task();
            std::lock_guard lock(state->mutex);
            if (--state->running == 0) state->finished.notify_all();
        }).detach();
    }

    void shutdown() override {
        std::unique_lock lock(state_->mutex);
        state_->finished.wait(lock, [this] { return state_->running == 0; });
    }

private:
    struct State {
        std::mutex mutex;
        std::condition_variable finished;
        std::size_t running = 0;
    };
    const std::shared_ptr<State> state_ = std::make_shared<State>();
};

}  // namespace solen
