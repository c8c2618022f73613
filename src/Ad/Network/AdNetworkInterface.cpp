#include "Ad/Network/AdNetworkInterface.h"

#include "Ad/Network/AdRequest.h"
#include "Ad/Network/Signals/Identifiers.h"
#include "Commons/Utilities/Logger.h"

#include <solen/LogLevel.h>

#include <string_view>

namespace solen {

std::shared_ptr<AdNetworkInterface> AdNetworkInterface::create(std::shared_ptr<platform::HttpSession> session,
                                                               RequestBuilder builder) {
    return std::shared_ptr<AdNetworkInterface>(new AdNetworkInterface(std::move(session), std::move(builder)));
}

AdNetworkInterface::AdNetworkInterface(std::shared_ptr<platform::HttpSession> session, RequestBuilder builder)
    : session_(std::move(session)), builder_(std::move(builder)) {}

void AdNetworkInterface::setDidGetAdResponse(ResponseCallback callback) {
    std::lock_guard lock(mutex_);
    didGetAdResponse_ = std::move(callback);
}

void AdNetworkInterface::setDidFailToGetAdResponseWithError(FailureCallback callback) {
    std::lock_guard lock(mutex_);
    didFailToGetAdResponseWithError_ = std::move(callback);
}

void AdNetworkInterface::setWillDecodeAdResponse(ArrivalCallback callback) {
    std::lock_guard lock(mutex_);
    willDecodeAdResponse_ = std::move(callback);
}

std::string AdNetworkInterface::requestId() const {
    std::lock_guard lock(mutex_);
    return requestId_;
}

std::optional<double> AdNetworkInterface::timeStamp() const {
    std::lock_guard lock(mutex_);
    return timeStamp_;
}

void AdNetworkInterface::getAd(const std::string& requestId, const std::string& adUnitId,
                               const ImpressionInfo& impressionInfo) {
    std::uint64_t sequence = 0;
    {
        std::lock_guard lock(mutex_);
        requestId_ = requestId;
        // A new load supersedes the outstanding one, even when this one cannot be sent.
        sequence = ++sequence_;
    }
    // The session's thread wakes while the request is assembled.
    (session_ ? session_ : NetworkServiceProvider::session())->willResumeTask();
    std::shared_ptr<Request> request;
    try {
        request = builder_ ? builder_(adUnitId, impressionInfo) : AdRequest::create(adUnitId, impressionInfo);
    } catch (const std::exception& error) {
        Logger::error(std::string("Bid request could not be built: ") + error.what());
    }
    if (!request) {
        Logger::log("Incorrect AdRequest params are passed ", static_cast<std::uint8_t>(LogLevel::info));
        return;
    }
    const double sentAt = Identifiers::markActivity();
    {
        std::lock_guard lock(mutex_);
        timeStamp_ = sentAt;
    }

    // One transport per request, so that its outcome cannot be reported under another request.
    auto nsp = NetworkServiceProvider::create(session_);
    const std::weak_ptr<AdNetworkInterface> weakSelf = weak_from_this();
    const std::weak_ptr<NetworkServiceProvider> weakNsp = nsp;
    const auto clear = [weakNsp] {
        if (auto provider = weakNsp.lock()) {
            provider->setDidGetResponse(nullptr);
            provider->setDidFailWithError(nullptr);
        }
    };
    nsp->setDidGetResponse([weakSelf, sequence, requestId, clear](const Response& response) {
        if (auto self = weakSelf.lock()) {
            self->willDecode(sequence);
            self->deliver(sequence, requestId, outcome(response));
        }
        clear();
    });
    nsp->setDidFailWithError([weakSelf, sequence, requestId, clear](const NetworkError& error) {
        if (auto self = weakSelf.lock()) {
            self->deliver(sequence, requestId, outcome(error));
        }
        clear();
    });
    nsp->send(std::move(request));
}

std::variant<AdResponse, AdError> AdNetworkInterface::outcome(const Response& response) {
    if (response.statusCode == 204) {
        return AdError::noFill();
    }
    if (!response.responseBody) {
        return AdError::serverError(badResponseCode, badResponseMessage);
    }
    const auto& body = *response.responseBody;
    try {
        return AdResponse::decode(std::string_view(reinterpret_cast<const char*>(body.data()), body.size()));
    } catch (const std::exception& error) {
        Logger::debug(error.what());
        return AdError::serverError(badResponseCode, badResponseMessage);
    }
}

AdError AdNetworkInterface::outcome(const NetworkError& error) {
    switch (error.kind()) {
        case NetworkError::Kind::requestFailed: return AdError::serverError(error.errorCode(), error.message());
        case NetworkError::Kind::clientError:
        case NetworkError::Kind::serverError: return AdError::serverError(badResponseCode, error.message());
        case NetworkError::Kind::networkNotAvailable: return AdError::networkUnreachable();
    }
    return AdError::serverError(badResponseCode, error.message());
}

void AdNetworkInterface::willDecode(std::uint64_t sequence) const {
    ArrivalCallback callback;
    {
        std::lock_guard lock(mutex_);
        if (sequence != sequence_) return;
        callback = willDecodeAdResponse_;
    }
    if (!callback) return;
    try {
        callback();
    } catch (const std::exception& error) {
        Logger::error(std::string("Ad response arrival callback failed: ") + error.what());
    }
}

void AdNetworkInterface::deliver(std::uint64_t sequence, const std::string& requestId,
                                 std::variant<AdResponse, AdError> result) {
    ResponseCallback onResponse;
    FailureCallback onFailure;
    {
        std::lock_guard lock(mutex_);
        if (sequence != sequence_) {
            Logger::debug("Dropping the outcome of superseded request " + requestId);
            return;
        }
        // Delivered once: a later outcome for the same request (there is none) would be dropped.
        ++sequence_;
        onResponse = didGetAdResponse_;
        onFailure = didFailToGetAdResponseWithError_;
    }
    try {
        if (auto* response = std::get_if<AdResponse>(&result)) {
            if (onResponse) onResponse(std::move(*response), requestId);
        } else if (onFailure) {
            onFailure(std::get<AdError>(result), requestId);
        }
    } catch (const std::exception& error) {
        Logger::error(std::string("Ad response callback failed: ") + error.what());
    }
}

}  // namespace solen
