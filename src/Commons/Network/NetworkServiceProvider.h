#pragma once

#include "Commons/Network/NetworkError.h"
#include "Commons/Network/Request.h"
#include "Commons/Network/Response.h"
#include "Platform/Foundation/HttpSession.h"

#include <functional>
#include <memory>
#include <mutex>
#include <optional>

namespace solen {

// The SDK's HTTP client. Sends a Request on the process-wide session, sorts the outcome into a
// Response or a NetworkError, retries while the request's `retryCount` allows it (after
// `retryInterval` seconds, from the global queue; never an answer over the size limit, which would
// recur), and reports through the callbacks set on the provider. Every callback runs on the
// session's serial queue, never on the caller's thread.
//
// Each send is one chain (attempt, completion, maybe a delayed resend of the same Request) that
// keeps the provider and the request alive until it ends, even when the owner has let go.
class NetworkServiceProvider : public std::enable_shared_from_this<NetworkServiceProvider> {
public:
    using ResponseCallback = std::function<void(const Response&)>;
    using HeaderCallback = std::function<void(const platform::HTTPHeaderFields&)>;
    using FailureCallback = std::function<void(const NetworkError&)>;

    static constexpr std::string_view noDataMessage = "Response returned with no data to decode.";
    static constexpr std::string_view badResponseMessage = "Bad Response";
    static constexpr std::string_view clientErrorMessage = "Client Error";
    static constexpr std::string_view serverErrorMessage = "Service Returned An Error";
    static constexpr std::string_view networkNotAvailableMessage = "Network not available. Please try again";
    // The platform's code for a device without a network connection.
    static constexpr std::int64_t notConnectedCode = -1009;
    // The platform's code for an answer over the request's size limit: it would be as large again.
    static constexpr std::int64_t tooLargeCode = -1103;

    // `session` replaces the process-wide session for this provider (tests).
    static std::shared_ptr<NetworkServiceProvider> create(std::shared_ptr<platform::HttpSession> session = nullptr);
    virtual ~NetworkServiceProvider() = default;

    // Called once for a successful exchange.
    ResponseCallback didGetResponse() const;
    void setDidGetResponse(ResponseCallback callback);
    // Called with the header fields of every HTTP answer, before it is classified.
    HeaderCallback didGetHeader() const;
    void setDidGetHeader(HeaderCallback callback);
    // Called once when the exchange fails for good.
    FailureCallback didFailWithError() const;
    void setDidFailWithError(FailureCallback callback);

    virtual void send(std::shared_ptr<Request> request);
    // Gives up (reports) or retries.
    virtual void handleError(const NetworkError& error, std::shared_ptr<Request> request);
    // Sends the same request again after its retry interval, one retry fewer.
    virtual void retry(std::shared_ptr<Request> request);

    // The session every provider uses unless it was given its own: made on first use and kept
    // until the process ends.
    static std::shared_ptr<platform::HttpSession> session();
    // Replaces the process-wide session (tests); nullptr restores the default one.
    static void setSession(std::shared_ptr<platform::HttpSession> session);

protected:
    explicit NetworkServiceProvider(std::shared_ptr<platform::HttpSession> session);

    void handle(std::optional<platform::HttpSession::Data> data, std::optional<platform::URLResponse> response,
                std::optional<platform::Error> error, const std::shared_ptr<Request>& request);
    void report(const NetworkError& error) const;
    std::shared_ptr<platform::HttpSession> sessionForSend() const;

private:
    static bool mayRetry(const Request& request);

    const std::shared_ptr<platform::HttpSession> session_;
    mutable std::mutex mutex_;
    ResponseCallback didGetResponse_;
    HeaderCallback didGetHeader_;
    FailureCallback didFailWithError_;
};

}  // namespace solen
