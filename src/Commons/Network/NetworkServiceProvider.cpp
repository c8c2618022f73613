#include "Commons/Network/NetworkServiceProvider.h"

#include "Commons/Network/ServerError.h"
#include "Platform/Dispatch/DispatchQueue.h"

#include <cmath>

namespace solen {

namespace {

struct ProcessSession {
    std::mutex mutex;
    std::shared_ptr<platform::HttpSession> replacement;
    std::shared_ptr<platform::HttpSession> standard;
};

// Never destroyed: sends may still be under way while static objects are torn down.
ProcessSession& processSession() {
    static auto* instance = new ProcessSession();
    return *instance;
}

std::string errorMessage(const platform::HttpSession::Data& body, std::string_view fallback) {
    const auto decoded = ServerError::fromData(body);
    if (decoded) {
        if (auto joined = decoded->joinedMessage()) return *joined;
    }
    return std::string(fallback);
}

}  // namespace

std::shared_ptr<NetworkServiceProvider> NetworkServiceProvider::create(std::shared_ptr<platform::HttpSession> session) {
    return std::shared_ptr<NetworkServiceProvider>(new NetworkServiceProvider(std::move(session)));
}

NetworkServiceProvider::NetworkServiceProvider(std::shared_ptr<platform::HttpSession> session)
    : session_(std::move(session)) {}

std::shared_ptr<platform::HttpSession> NetworkServiceProvider::session() {
    ProcessSession& state = processSession();
    std::lock_guard lock(state.mutex);
    if (state.replacement) return state.replacement;
    if (!state.standard) {
        platform::HttpSession::Configuration configuration;
        configuration.delegateQueueLabel = "solen.networkserviceprovider.session";
        state.standard = platform::HttpSession::create(configuration);
    }
    return state.standard;
}

void NetworkServiceProvider::setSession(std::shared_ptr<platform::HttpSession> session) {
    ProcessSession& state = processSession();
    std::lock_guard lock(state.mutex);
    state.replacement = std::move(session);
}

std::shared_ptr<platform::HttpSession> NetworkServiceProvider::sessionForSend() const {
    return session_ ? session_ : session();
}

NetworkServiceProvider::ResponseCallback NetworkServiceProvider::didGetResponse() const {
    std::lock_guard lock(mutex_);
    return didGetResponse_;
}

void NetworkServiceProvider::setDidGetResponse(ResponseCallback callback) {
    std::lock_guard lock(mutex_);
    didGetResponse_ = std::move(callback);
}

NetworkServiceProvider::HeaderCallback NetworkServiceProvider::didGetHeader() const {
    std::lock_guard lock(mutex_);
    return didGetHeader_;
}

void NetworkServiceProvider::setDidGetHeader(HeaderCallback callback) {
    std::lock_guard lock(mutex_);
    didGetHeader_ = std::move(callback);
}

NetworkServiceProvider::FailureCallback NetworkServiceProvider::didFailWithError() const {
    std::lock_guard lock(mutex_);
    return didFailWithError_;
}

void NetworkServiceProvider::setDidFailWithError(FailureCallback callback) {
    std::lock_guard lock(mutex_);
    didFailWithError_ = std::move(callback);
}

void NetworkServiceProvider::send(std::shared_ptr<Request> request) {
    if (!request) return;
    auto self = shared_from_this();
    const auto session = sessionForSend();

    std::string failure;
    auto urlRequest = request->urlRequest(&failure);
    if (!urlRequest) {
        // A body that cannot be encoded would go out as an empty request: fail instead, on the
        // session's queue like every other outcome. Encoding again would fail again: no retry.
        session->delegateQueue()->async([self, failure] {
            self->report(NetworkError::requestFailed(NetworkError::bodyEncodingFailedCode,
                                                     "The request body could not be encoded as JSON: " + failure));
        });
        return;
    }
    auto task = session->dataTask(
        std::move(*urlRequest),
        [self, request](std::optional<platform::HttpSession::Data> data, std::optional<platform::URLResponse> response,
                        std::optional<platform::Error> error) {
            self->handle(std::move(data), std::move(response), std::move(error), request);
        });
    task->resume();
}

bool NetworkServiceProvider::mayRetry(const Request& request) {
    const auto count = request.retryCount();
    return count && *count > 0;
}

void NetworkServiceProvider::handle(std::optional<platform::HttpSession::Data> data,
                                    std::optional<platform::URLResponse> response,
                                    std::optional<platform::Error> error, const std::shared_ptr<Request>& request) {
    if (error) {
        handleError(NetworkError::requestFailed(error->code, error->localizedDescription), request);
        return;
    }
    if (!data) {
        if (mayRetry(*request)) {
            retry(request);
        } else {
            report(NetworkError::serverError(std::string(noDataMessage)));
        }
        return;
    }
    if (!response || !response->isHTTP) {
        if (mayRetry(*request)) {
            retry(request);
        } else {
            report(NetworkError::serverError(std::string(badResponseMessage)));
        }
        return;
    }
    if (const auto headerCallback = didGetHeader()) headerCallback(response->allHeaderFields);

    const std::int64_t status = response->statusCode;
    if (status >= 400) {
        const bool client = status < 500;
        const std::string message = errorMessage(*data, client ? clientErrorMessage : serverErrorMessage);
        if (mayRetry(*request)) {
            retry(request);
        } else {
            report(client ? NetworkError::clientError(message) : NetworkError::serverError(message));
        }
        return;
    }
    if (const auto responseCallback = didGetResponse()) {
        responseCallback(Response{status, std::move(response->allHeaderFields), std::move(data)});
    }
}

void NetworkServiceProvider::handleError(const NetworkError& error, std::shared_ptr<Request> request) {
    const bool failedRequest = error.kind() == NetworkError::Kind::requestFailed;
    if (failedRequest && error.errorCode() == notConnectedCode) {
        report(NetworkError::networkNotAvailable(std::string(networkNotAvailableMessage)));
    } else if (failedRequest && error.errorCode() == tooLargeCode) {
        // "exceeds the maximum size" again on every attempt: retrying only delays the failure.
        report(error);
    } else if (request && mayRetry(*request)) {
        retry(std::move(request));
    } else {
        report(error);
    }
}

void NetworkServiceProvider::retry(std::shared_ptr<Request> request) {
    if (!request) return;
    request->setRetryCount(request->retryCount().value_or(1) - 1);
    double interval = request->retryInterval().value_or(0.0);
    if (!std::isfinite(interval) || interval < 0) interval = 0;
    auto self = shared_from_this();
    platform::DispatchQueue::global()->asyncAfter(platform::Clock::seconds(interval),
                                                  [self, request] { self->send(request); });
}

void NetworkServiceProvider::report(const NetworkError& error) const {
    if (const auto callback = didFailWithError()) callback(error);
}

}  // namespace solen
