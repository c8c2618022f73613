#pragma once

#include "Platform/Foundation/HTTPHeaderFields.h"
#include "Platform/Foundation/URL.h"

#include <nlohmann/json.hpp>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace solen::platform {

// One HTTP request as the session sends it: URL, method, time-out, header fields and body.
class URLRequest {
public:
    using Data = std::vector<std::uint8_t>;
    static constexpr double defaultTimeoutInterval = 60.0;

    URLRequest() = default;
    explicit URLRequest(std::optional<URL> url, double timeoutInterval = defaultTimeoutInterval);

    const std::optional<URL>& url() const { return url_; }
    void setUrl(std::optional<URL> url) { url_ = std::move(url); }

    // "GET" unless set.
    const std::string& httpMethod() const { return httpMethod_; }
    void setHttpMethod(std::string method) { httpMethod_ = std::move(method); }

    // Seconds, with fractions.
    double timeoutInterval() const { return timeoutInterval_; }
    void setTimeoutInterval(double seconds) { timeoutInterval_ = seconds; }

    // Absent means no body (as opposed to an empty one).
    const std::optional<Data>& httpBody() const { return httpBody_; }
    void setHttpBody(std::optional<Data> body) { httpBody_ = std::move(body); }

    const HTTPHeaderFields& allHTTPHeaderFields() const { return headers_; }
    std::optional<std::string> value(std::string_view field) const { return headers_.value(field); }
    // Replaces the field's value; an absent value removes the field.
    void setValue(const std::optional<std::string>& value, std::string_view field);
    // Appends after a comma when the field already has a value.
    void addValue(std::string_view value, std::string_view field) { headers_.add(field, value, ","); }

    // Largest response body read for this request: a longer one fails the exchange (code -1103).
    // Absent means the session's own limit, which also applies when it is lower.
    const std::optional<std::size_t>& maximumResponseBytes() const { return maximumResponseBytes_; }
    void setMaximumResponseBytes(std::optional<std::size_t> bytes) { maximumResponseBytes_ = bytes; }

    // Appends query parameters to the URL (see URL::appendingQueryParameters). Nothing changes
    // when the parameters are empty or the request has no URL.
    void applyQueryParameters(const nlohmann::ordered_json& parameters);

private:
    std::optional<URL> url_;
    std::string httpMethod_ = "GET";
    double timeoutInterval_ = defaultTimeoutInterval;
    std::optional<Data> httpBody_;
    HTTPHeaderFields headers_;
    std::optional<std::size_t> maximumResponseBytes_;
};

}  // namespace solen::platform
