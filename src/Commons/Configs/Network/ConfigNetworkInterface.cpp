#include "Commons/Configs/Network/ConfigNetworkInterface.h"

#include "Commons/Utilities/Logger.h"
#include "Commons/Utilities/Utilities.h"
#include "Platform/Dispatch/DispatchQueue.h"

#include <string_view>

namespace solen {

namespace {

// Where the configuration was asked for and why no answer came: a host that shows information
// lines sees a wrong service address or an unreachable service at once.
void logFetchFailure(const std::string& url, const NetworkError& error) {
    Logger::log("Config fetch from " + url + " failed: " + error.errorDescription(), Logger::publicInfoLevel);
}

}  // namespace

// One exchange: its own transport and its own completion. The transport's callbacks hold the
// exchange until the first outcome clears them.
class ConfigNetworkInterface::Exchange : public std::enable_shared_from_this<Exchange> {
public:
    Exchange(std::shared_ptr<NetworkServiceProvider> nsp, std::string url, Completion completion)
        : nsp_(std::move(nsp)), url_(std::move(url)), completion_(std::move(completion)) {}

    void start(std::shared_ptr<Request> request) {
        auto self = shared_from_this();
        nsp_->setDidGetResponse([self](const Response& response) { self->handle(response); });
        nsp_->setDidFailWithError([self](const NetworkError& error) { self->handle(error); });
        nsp_->send(std::move(request));
    }

    void handle(const Response& response) {
        std::optional<ConfigResponse> decoded;
        std::optional<NetworkError> error;
        std::string failure;
        try {
            const auto& body = response.responseBody;
            const std::string_view text = body ? std::string_view(reinterpret_cast<const char*>(body->data()), body->size())
                                               : std::string_view();
            decoded = ConfigResponse::fromBody(text);
        } catch (const std::exception& decodingError) {
            error = NetworkError::requestFailed(invalidConfigCode, std::string(invalidConfigMessage));
            failure = decodingError.what();
        }
        finish(std::move(decoded), std::move(error));
        if (!failure.empty()) {
            Logger::debug("Failed to parse or process Config Response");
            Logger::debug(failure);
        }
    }

    void handle(const NetworkError& error) {
        finish(std::nullopt, error);
        logFetchFailure(url_, error);
        Logger::debug("Failed to parse or process Config Response");
        Logger::debug(error.errorDescription());
    }

private:
    // Delivers the outcome once and releases the transport's hold on this exchange.
    void finish(std::optional<ConfigResponse> response, std::optional<NetworkError> error) {
        Completion completion;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            completion = std::move(completion_);
            completion_ = nullptr;
        }
        nsp_->setDidGetResponse(nullptr);
        nsp_->setDidFailWithError(nullptr);
        if (completion) {
            completion(std::move(response), std::move(error));
        }
    }

    std::shared_ptr<NetworkServiceProvider> nsp_;
    const std::string url_;
    std::mutex mutex_;
    Completion completion_;
};

ConfigNetworkInterface::ConfigNetworkInterface(RootConfigSource rootConfig, std::shared_ptr<platform::HttpSession> session)
    : rootConfig_(std::move(rootConfig)), session_(std::move(session)) {}

double ConfigNetworkInterface::timeoutSeconds(std::int64_t fetchTimeoutMs) {
    constexpr std::int64_t fallbackMs = 10000;
    return static_cast<double>(fetchTimeoutMs > 0 ? fetchTimeoutMs : fallbackMs) / 1000.0;
}

double ConfigNetworkInterface::retryIntervalSeconds(std::int64_t intervalMs) {
    return intervalMs > 0 ? static_cast<double>(intervalMs) / 1000.0 : 0.0;
}

void ConfigNetworkInterface::fetch(const ConfigRequest& configRequest, Completion completion) {
    const RootConfig root = rootConfig_();
    const auto url = platform::URL::parse(root.url);
    if (!url) {
        // No request can be sent; the caller still gets its outcome, never inside this call.
        const auto error = NetworkError::requestFailed(invalidConfigCode, std::string(invalidEndpointMessage));
        logFetchFailure(root.url, error);
        platform::DispatchQueue::global()->async([completion = std::move(completion), error] {
            if (completion) {
                completion(std::nullopt, error);
            }
        });
        return;
    }

    auto request = Request::create(*url, Request::HTTPMethod::post, Encodable(configRequest));
    if (const auto userAgent = Utilities::userAgent(); userAgent && !userAgent->empty()) {
        request->addHeaders({{"user-agent", *userAgent}});
    }
    request->setRetryCount(root.retry.count);
    request->setRetryInterval(retryIntervalSeconds(root.retry.interval));
    request->setTimeout(timeoutSeconds(root.fetchTimeout));
    request->setMaximumResponseBytes(Request::documentBodyLimit);

    auto exchange =
        std::make_shared<Exchange>(NetworkServiceProvider::create(session_), root.url, std::move(completion));
    exchange->start(std::move(request));
}

}  // namespace solen
