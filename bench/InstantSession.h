#pragma once

// A URL session for the benchmarks that answers every exchange at once: 200 with an empty body,
// delivered on its own serial queue as a real session does, keeping no books but a count. Installed
// as the session of every network service provider while an `InstantSession::Installed` lives, so
// that the trackers an auction fires cost what the SDK spends on them and nothing of a test
// harness (recorded requests, their copies and time stamps).
#include "Commons/Network/NetworkServiceProvider.h"
#include "Platform/Dispatch/DispatchQueue.h"
#include "Platform/Foundation/HttpSession.h"
#include "Platform/Foundation/URLError.h"

#include <atomic>
#include <cstddef>
#include <memory>
#include <utility>

namespace solen::bench {

class InstantSession final : public platform::HttpSession, public std::enable_shared_from_this<InstantSession> {
public:
    // Installs a new session while alive.
    class Installed {
    public:
        Installed() : session_(std::make_shared<InstantSession>()) { NetworkServiceProvider::setSession(session_); }
        ~Installed() { NetworkServiceProvider::setSession(nullptr); }
        Installed(const Installed&) = delete;
        Installed& operator=(const Installed&) = delete;
        std::size_t requestCount() const { return session_->count_.load(std::memory_order_relaxed); }

    private:
        std::shared_ptr<InstantSession> session_;
    };

    InstantSession() : queue_(platform::DispatchQueue::createSerial("solen.bench.instantsession")) {}

    std::shared_ptr<DataTask> dataTask(platform::URLRequest request, CompletionHandler completion) override {
        return std::make_shared<Task>(shared_from_this(), std::move(request), std::move(completion));
    }
    std::shared_ptr<platform::DispatchQueue> delegateQueue() const override { return queue_; }

private:
    class Task final : public DataTask {
    public:
        Task(std::shared_ptr<InstantSession> session, platform::URLRequest request, CompletionHandler completion)
            : session_(std::move(session)), request_(std::move(request)), completion_(std::move(completion)) {}
        void resume() override { finish(false); }
        void cancel() override { finish(true); }
        const platform::URLRequest& originalRequest() const override { return request_; }

    private:
        void finish(bool cancelled) {
            if (done_.exchange(true)) return;
            if (!cancelled) session_->count_.fetch_add(1, std::memory_order_relaxed);
            session_->queue_->async([completion = std::move(completion_), cancelled] {
                if (cancelled) {
                    completion(std::nullopt, std::nullopt, platform::URLError::make(platform::URLErrorCode::cancelled));
                    return;
                }
                platform::URLResponse response;
                response.statusCode = 200;
                completion(Data{}, std::move(response), std::nullopt);
            });
        }

        std::shared_ptr<InstantSession> session_;
        platform::URLRequest request_;
        CompletionHandler completion_;
        std::atomic<bool> done_{false};
    };

    std::shared_ptr<platform::DispatchQueue> queue_;
    std::atomic<std::size_t> count_{0};
};

}  // namespace solen::bench
