#include "Commons/Network/Request.h"

namespace solen {

std::string_view Request::rawValue(HTTPMethod method) {
    switch (method) {
        case HTTPMethod::get: return "GET";
        case HTTPMethod::post: return "POST";
        case HTTPMethod::put: return "PUT";
        case HTTPMethod::head: return "HEAD";
    }
    return "GET";
}

std::optional<Request::HTTPMethod> Request::methodFromRawValue(std::string_view text) {
    for (const HTTPMethod method : {HTTPMethod::get, HTTPMethod::post, HTTPMethod::put, HTTPMethod::head}) {
        if (rawValue(method) == text) return method;
    }
    return std::nullopt;
}

Request::Request(platform::URL url, HTTPMethod method, std::optional<Encodable> requestParams)
    : url_(std::move(url)), method_(method), requestParams_(std::move(requestParams)) {}

std::shared_ptr<Request> Request::create(platform::URL url, HTTPMethod method, std::optional<Encodable> requestParams) {
    return std::make_shared<Request>(std::move(url), method, std::move(requestParams));
}

platform::URL Request::url() const {
    std::lock_guard lock(mutex_);
    return url_;
}

void Request::setUrl(platform::URL url) {
    std::lock_guard lock(mutex_);
    url_ = std::move(url);
}

std::optional<double> Request::timeout() const {
    std::lock_guard lock(mutex_);
    return timeout_;
}

void Request::setTimeout(std::optional<double> seconds) {
    std::lock_guard lock(mutex_);
    timeout_ = seconds;
}

std::optional<std::size_t> Request::maximumResponseBytes() const {
    std::lock_guard lock(mutex_);
    return maximumResponseBytes_;
}

void Request::setMaximumResponseBytes(std::optional<std::size_t> bytes) {
    std::lock_guard lock(mutex_);
    maximumResponseBytes_ = bytes;
}

std::optional<std::int64_t> Request::retryCount() const {
    std::lock_guard lock(mutex_);
    return retryCount_;
}

void Request::setRetryCount(std::optional<std::int64_t> count) {
    std::lock_guard lock(mutex_);
    retryCount_ = count;
}

std::optional<double> Request::retryInterval() const {
    std::lock_guard lock(mutex_);
    return retryInterval_;
}

void Request::setRetryInterval(std::optional<double> seconds) {
    std::lock_guard lock(mutex_);
    retryInterval_ = seconds;
}

Json Request::urlParams() const {
    std::lock_guard lock(mutex_);
    return urlParams_;
}

void Request::setUrlParams(Json parameters) {
    std::lock_guard lock(mutex_);
    urlParams_ = parameters.is_object() ? std::move(parameters) : Json::object();
}

std::map<std::string, std::string> Request::header() const {
    std::lock_guard lock(mutex_);
    return header_;
}

void Request::setHeader(std::map<std::string, std::string> header) {
    std::lock_guard lock(mutex_);
    header_ = std::move(header);
}

std::optional<Encodable> Request::requestParams() const {
    std::lock_guard lock(mutex_);
    return requestParams_;
}

void Request::setRequestParams(std::optional<Encodable> body) {
    std::lock_guard lock(mutex_);
    requestParams_ = std::move(body);
}

void Request::addHeaders(const std::map<std::string, std::string>& fields) {
    std::lock_guard lock(mutex_);
    for (const auto& [key, value] : fields) header_[key] = value;
}

bool Request::setJSONBody(platform::URLRequest& request, const Encodable& value, std::string* failure) {
    auto data = value.jsonData(failure);
    if (!data) return false;
    request.setHttpBody(std::move(data));
    if (!request.value("Content-Type")) request.setValue("application/json", "Content-Type");
    return true;
}

std::optional<platform::URLRequest> Request::urlRequest(std::string* failure) const {
    std::unique_lock lock(mutex_);
    const platform::URL url = url_;
    const std::optional<double> timeout = timeout_;
    const Json urlParams = urlParams_;
    const std::map<std::string, std::string> header = header_;
    const std::optional<Encodable> body = requestParams_;
    const std::optional<std::size_t> maximumResponseBytes = maximumResponseBytes_;
    lock.unlock();

    platform::URLRequest request(url, platform::URLRequest::defaultTimeoutInterval);
    if (timeout) request.setTimeoutInterval(*timeout);
    request.setMaximumResponseBytes(maximumResponseBytes);
    const std::string_view method = rawValue(method_);
    request.setHttpMethod(std::string(method));
    if ((method == "POST" || method == "PUT") && body) {
        if (!setJSONBody(request, *body, failure)) return std::nullopt;
    }
    if (method == "GET" || method == "HEAD") request.applyQueryParameters(urlParams);
    for (const auto& [key, value] : header) request.addValue(value, key);
    return request;
}

}  // namespace solen
