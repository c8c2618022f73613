#include "ExampleMainTimer.h"

#include <solen/host/MainLoop.h>

#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>
#include <utility>

namespace example {
namespace {

using Clock = std::chrono::steady_clock;

// The scheduled blocks by deadline and the thread that posts them. Made once and never destroyed:
// the thread may still wait when the process exits.
struct MainTimer {
    std::mutex mutex;
    std::condition_variable changed;
    std::multimap<Clock::time_point, std::function<void()>> due;

    MainTimer() { std::thread([this] { run(); }).detach(); }

    [[noreturn]] void run() {
        std::unique_lock<std::mutex> lock(mutex);
        for (;;) {
            if (due.empty()) {
                changed.wait(lock);
                continue;
            }
            const auto first = due.begin();
            if (Clock::now() < first->first) {
                changed.wait_until(lock, first->first);
                continue;
            }
            auto block = std::move(first->second);
            due.erase(first);
            lock.unlock();
            solen::host::MainLoop::post(std::move(block));
            lock.lock();
        }
    }
};

MainTimer& mainTimer() {
    static MainTimer* const timer = new MainTimer();
    return *timer;
}

}  // namespace

void postToMainAfter(std::chrono::duration<double, std::milli> delay, std::function<void()> block) {
    MainTimer& timer = mainTimer();
    const auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(delay);
    {
        std::lock_guard<std::mutex> lock(timer.mutex);
        timer.due.emplace(deadline, std::move(block));
    }
    timer.changed.notify_one();
}

}  // namespace example
