#pragma once

#include "Ad/Network/AdError.h"
#include "Ad/Network/Models/AdResponse.h"
#include "Ad/Network/Models/ImpressionInfo.h"
#include "Commons/Network/NetworkError.h"
#include "Commons/Network/NetworkServiceProvider.h"
#include "Commons/Network/Request.h"
#include "Commons/Network/Response.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <variant>
#include <string>

namespace solen {

// The ad-server client of one ad manager: sends one bid request per load and turns its outcome
// into an AdResponse or an AdError.
//
// Every request has its own outcome context (its own transport callbacks): its outcome is
// delivered once, tagged with its own request id, and dropped when a newer `getAd` has superseded
// it or the client is gone. Outcomes are delivered on the HTTP session's queue without a hop; the
// owner moves to the main thread where it needs to. Thread-safe.
class AdNetworkInterface : public std::enable_shared_from_this<AdNetworkInterface> {
public:
    // The decoded answer is handed over: the owner keeps it without a copy.
    using ResponseCallback = std::function<void(AdResponse response, const std::string& requestId)>;
    using FailureCallback = std::function<void(const AdError& error, const std::string& requestId)>;
    // Told that an answer to the latest request arrived, before it is decoded.
    using ArrivalCallback = std::function<void()>;
    // Builds the bid request of one load; nothing when it cannot be built.
    using RequestBuilder =
        std::function<std::shared_ptr<Request>(const std::string& adUnitId, const ImpressionInfo& impressionInfo)>;

    static constexpr std::int64_t badResponseCode = 2000;
    static constexpr const char* badResponseMessage = "Bad response";

    // `session` replaces the process-wide HTTP session and `builder` the bid request assembly
    // (tests); empty ones keep the defaults.
    static std::shared_ptr<AdNetworkInterface> create(std::shared_ptr<platform::HttpSession> session = nullptr,
                                                      RequestBuilder builder = nullptr);
    virtual ~AdNetworkInterface() = default;
    AdNetworkInterface(const AdNetworkInterface&) = delete;
    AdNetworkInterface& operator=(const AdNetworkInterface&) = delete;

    // The owner's callbacks; assign them before each `getAd`.
    void setDidGetAdResponse(ResponseCallback callback);
    void setDidFailToGetAdResponseWithError(FailureCallback callback);
    // Called on the session's queue when an answer to the latest request has arrived, before it is
    // decoded: an owner that hops to another thread can wake that thread now, so that its wake-up
    // overlaps the decode. Neither outcome depends on it.
    void setWillDecodeAdResponse(ArrivalCallback callback);

    // Id of the latest request; empty at creation.
    std::string requestId() const;
    // Send time of the latest request (seconds since 1970 with fraction); none at creation.
    std::optional<double> timeStamp() const;

    // Sends the bid request of one load. When the request cannot be built, logs "Incorrect
    // AdRequest params are passed " and neither callback is called (the owner's fetch time-out ends
    // the load). Stamps the process-wide last-activity time.
    virtual void getAd(const std::string& requestId, const std::string& adUnitId, const ImpressionInfo& impressionInfo);

    // The outcome of an answer or a failure, as delivered to the owner (exposed for tests).
    static std::variant<AdResponse, AdError> outcome(const Response& response);
    static AdError outcome(const NetworkError& error);

protected:
    AdNetworkInterface(std::shared_ptr<platform::HttpSession> session, RequestBuilder builder);

private:
    void willDecode(std::uint64_t sequence) const;
    void deliver(std::uint64_t sequence, const std::string& requestId, std::variant<AdResponse, AdError> result);

    const std::shared_ptr<platform::HttpSession> session_;
    const RequestBuilder builder_;
    mutable std::mutex mutex_;
    ResponseCallback didGetAdResponse_;
    FailureCallback didFailToGetAdResponseWithError_;
    ArrivalCallback willDecodeAdResponse_;
    std::string requestId_;
    std::optional<double> timeStamp_;
    // Sequence number of the latest request; an outcome of an older one is dropped.
    std::uint64_t sequence_ = 0;
};

}  // namespace solen
