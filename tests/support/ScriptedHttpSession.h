#pragma once

#include "Platform/Dispatch/Clock.h"
#include "Platform/Foundation/HttpSession.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace solen::test {

// A URL session that never touches the network: it records every request it is asked to send and
// answers from a script, on its own serial queue like the real session. Answers come from the
// handler when it returns one, else from the queue of answers, else the default answer
// (200 with an empty body).
class ScriptedHttpSession final : public platform::HttpSession,
                                  public std::enable_shared_from_this<ScriptedHttpSession> {
public:
    struct Answer {
        std::optional<Data> data;
        std::optional<platform::URLResponse> response;
        std::optional<platform::Error> error;

        // An HTTP answer with a status, a body and header fields.
        static Answer status(std::int64_t statusCode, std::string body = {}, platform::HTTPHeaderFields headers = {});
        // A transport failure with a platform code (-1001 timed out, -1009 offline, ...).
        static Answer failure(std::int64_t code);
        // An HTTP answer whose body is absent (not empty).
        static Answer withoutBody(std::int64_t statusCode = 200);
        // A body with a response that is not an HTTP response.
        static Answer notHTTP(std::string body = "{}");
    };
    using Handler = std::function<std::optional<Answer>(const platform::URLRequest&)>;

    static std::shared_ptr<ScriptedHttpSession> create();

    void enqueue(Answer answer);
    void enqueue(std::vector<Answer> answers);
    void setDefaultAnswer(Answer answer);
    void setHandler(Handler handler);

    std::vector<platform::URLRequest> requests() const;
    std::size_t requestCount() const;
    // The shared clock's time at which each request was started.
    std::vector<platform::Clock::TimePoint> sendTimes() const;

    std::shared_ptr<DataTask> dataTask(platform::URLRequest request, CompletionHandler completion) override;
    std::shared_ptr<platform::DispatchQueue> delegateQueue() const override { return queue_; }

    // Records the request and answers it (used by the tasks).
    void answer(const platform::URLRequest& request, CompletionHandler completion);

private:
    ScriptedHttpSession();

    std::shared_ptr<platform::DispatchQueue> queue_;
    mutable std::mutex mutex_;
    std::deque<Answer> answers_;
    Answer defaultAnswer_;
    Handler handler_;
    std::vector<platform::URLRequest> requests_;
    std::vector<platform::Clock::TimePoint> sendTimes_;
};

}  // namespace solen::test
