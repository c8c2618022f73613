#pragma once

#include "Commons/Json/JsonReader.h"
#include "Commons/Network/Encodable.h"
#include "Platform/Foundation/URL.h"
#include "Platform/Foundation/URLRequest.h"

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace solen {

// One HTTP exchange before it is sent: target, method, time-out, retries, query parameters,
// header fields and JSON body. A reference type: owners configure it, hand it to
// NetworkServiceProvider::send and the transport keeps it until the exchange has ended, consuming
// `retryCount` as it retries. All accessors are thread-safe.
class Request {
public:
    enum class HTTPMethod { get, post, put, head };

    static std::string_view rawValue(HTTPMethod method);
    // Exactly "GET", "POST", "PUT" or "HEAD" (case-sensitive); nothing otherwise.
    static std::optional<HTTPMethod> methodFromRawValue(std::string_view text);

    Request(platform::URL url, HTTPMethod method, std::optional<Encodable> requestParams = std::nullopt);
    virtual ~Request() = default;
    Request(const Request&) = delete;
    Request& operator=(const Request&) = delete;

    static std::shared_ptr<Request> create(platform::URL url, HTTPMethod method,
                                           std::optional<Encodable> requestParams = std::nullopt);

    platform::URL url() const;
    void setUrl(platform::URL url);
    HTTPMethod method() const { return method_; }
    // Seconds; absent means 60.
    std::optional<double> timeout() const;
    void setTimeout(std::optional<double> seconds);
    // Further attempts the transport may make.
    std::optional<std::int64_t> retryCount() const;
    void setRetryCount(std::optional<std::int64_t> count);
    // Seconds (with fractions) before each retry; absent means 0.
    std::optional<double> retryInterval() const;
    void setRetryInterval(std::optional<double> seconds);
    // Query parameters (a JSON object), used for GET and HEAD only.
    Json urlParams() const;
    void setUrlParams(Json parameters);
    std::map<std::string, std::string> header() const;
    void setHeader(std::map<std::string, std::string> header);
    // JSON body, used for POST and PUT only.
    std::optional<Encodable> requestParams() const;
    void setRequestParams(std::optional<Encodable> body);

    // Largest answer body read for this exchange; a longer one fails it as a transport error
    // before anything decodes it. Absent means the session's limit.
    std::optional<std::size_t> maximumResponseBytes() const;
    void setMaximumResponseBytes(std::optional<std::size_t> bytes);
    // Configuration answers and ad responses.
    static constexpr std::size_t documentBodyLimit = std::size_t{4} << 20;
    // Analytics and tracker answers, which are never decoded.
    static constexpr std::size_t acknowledgementBodyLimit = std::size_t{64} << 10;

    // Merges fields into `header`; a key already present takes the new value.
    virtual void addHeaders(const std::map<std::string, std::string>& fields);

    // The platform request of one attempt: URL, 60 s or `timeout`, the method, the JSON body with
    // "Content-Type: application/json" for POST/PUT, the query parameters for GET/HEAD, then
    // every `header` field added (appended after a comma to a field already set). Nothing, with
    // the reason in `failure`, when the body cannot be encoded: such a request is never sent
    // without its body.
    std::optional<platform::URLRequest> urlRequest(std::string* failure = nullptr) const;

    // Puts the JSON encoding of `value` into the request's body and sets "Content-Type" to
    // "application/json" when the request has none. False (request unchanged) when encoding fails.
    static bool setJSONBody(platform::URLRequest& request, const Encodable& value, std::string* failure = nullptr);

private:
    mutable std::mutex mutex_;
    platform::URL url_;
    const HTTPMethod method_;
    std::optional<double> timeout_;
    std::optional<std::int64_t> retryCount_;
    std::optional<double> retryInterval_;
    Json urlParams_ = Json::object();
    std::map<std::string, std::string> header_;
    std::optional<Encodable> requestParams_;
    std::optional<std::size_t> maximumResponseBytes_;
};

}  // namespace solen
