#include "support/ScriptedHttpSession.h"

#include "Platform/Foundation/URLError.h"

#include <atomic>

namespace solen::test {

namespace {

class ScriptedTask final : public platform::HttpSession::DataTask {
public:
    ScriptedTask(std::weak_ptr<ScriptedHttpSession> session, platform::URLRequest request,
                 platform::HttpSession::CompletionHandler completion)
        : session_(std::move(session)), request_(std::move(request)), completion_(std::move(completion)) {}

    void resume() override {
        if (started_.exchange(true)) return;
        if (auto session = session_.lock()) session->answer(request_, std::move(completion_));
    }

    void cancel() override {
        if (started_.exchange(true)) return;
        if (auto session = session_.lock()) {
            session->delegateQueue()->async([completion = std::move(completion_)] {
                completion(std::nullopt, std::nullopt, platform::URLError::make(platform::URLErrorCode::cancelled));
            });
        }
    }

    const platform::URLRequest& originalRequest() const override { return request_; }

private:
    std::weak_ptr<ScriptedHttpSession> session_;
    platform::URLRequest request_;
    platform::HttpSession::CompletionHandler completion_;
    std::atomic<bool> started_{false};
};

}  // namespace

ScriptedHttpSession::Answer ScriptedHttpSession::Answer::status(std::int64_t statusCode, std::string body,
                                                                platform::HTTPHeaderFields headers) {
    Answer answer;
    answer.data = Data(body.begin(), body.end());
    platform::URLResponse response;
    response.statusCode = statusCode;
    response.allHeaderFields = std::move(headers);
    answer.response = std::move(response);
    return answer;
}

ScriptedHttpSession::Answer ScriptedHttpSession::Answer::failure(std::int64_t code) {
    Answer answer;
    answer.error = platform::URLError::make(static_cast<platform::URLErrorCode>(code));
    answer.error->code = code;
    return answer;
}

ScriptedHttpSession::Answer ScriptedHttpSession::Answer::withoutBody(std::int64_t statusCode) {
    Answer answer = status(statusCode);
    answer.data.reset();
    return answer;
}

ScriptedHttpSession::Answer ScriptedHttpSession::Answer::notHTTP(std::string body) {
    Answer answer = status(200, std::move(body));
    answer.response->isHTTP = false;
    return answer;
}

ScriptedHttpSession::ScriptedHttpSession()
    : queue_(platform::DispatchQueue::createSerial("solen.test.scriptedsession")), defaultAnswer_(Answer::status(200)) {}

std::shared_ptr<ScriptedHttpSession> ScriptedHttpSession::create() {
    return std::shared_ptr<ScriptedHttpSession>(new ScriptedHttpSession());
}

void ScriptedHttpSession::enqueue(Answer answer) {
    std::lock_guard lock(mutex_);
    answers_.push_back(std::move(answer));
}

void ScriptedHttpSession::enqueue(std::vector<Answer> answers) {
    std::lock_guard lock(mutex_);
    for (auto& answer : answers) answers_.push_back(std::move(answer));
}

void ScriptedHttpSession::setDefaultAnswer(Answer answer) {
    std::lock_guard lock(mutex_);
    defaultAnswer_ = std::move(answer);
}

void ScriptedHttpSession::setHandler(Handler handler) {
    std::lock_guard lock(mutex_);
    handler_ = std::move(handler);
}

std::vector<platform::URLRequest> ScriptedHttpSession::requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

std::size_t ScriptedHttpSession::requestCount() const {
    std::lock_guard lock(mutex_);
    return requests_.size();
}

std::vector<platform::Clock::TimePoint> ScriptedHttpSession::sendTimes() const {
    std::lock_guard lock(mutex_);
    return sendTimes_;
}

std::shared_ptr<platform::HttpSession::DataTask> ScriptedHttpSession::dataTask(platform::URLRequest request,
                                                                               CompletionHandler completion) {
    return std::make_shared<ScriptedTask>(weak_from_this(), std::move(request), std::move(completion));
}

void ScriptedHttpSession::answer(const platform::URLRequest& request, CompletionHandler completion) {
    Handler handler;
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(request);
        sendTimes_.push_back(platform::Clock::shared()->now());
        handler = handler_;
    }
    std::optional<Answer> chosen;
    if (handler) chosen = handler(request);
    if (!chosen) {
        std::lock_guard lock(mutex_);
        if (!answers_.empty()) {
            chosen = std::move(answers_.front());
            answers_.pop_front();
        } else {
            chosen = defaultAnswer_;
        }
    }
    // A body over the request's limit ends the exchange the way the transport does.
    if (const auto limit = request.maximumResponseBytes(); limit && chosen->data && chosen->data->size() > *limit) {
        chosen = Answer::failure(static_cast<std::int64_t>(platform::URLErrorCode::dataLengthExceedsMaximum));
    }
    queue_->async([completion = std::move(completion), answer = std::move(*chosen)]() mutable {
        if (completion) completion(std::move(answer.data), std::move(answer.response), std::move(answer.error));
    });
}

}  // namespace solen::test
