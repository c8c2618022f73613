#include "Platform/Foundation/URLRequest.h"

namespace solen::platform {

URLRequest::URLRequest(std::optional<URL> url, double timeoutInterval)
    : url_(std::move(url)), timeoutInterval_(timeoutInterval) {}

void URLRequest::setValue(const std::optional<std::string>& value, std::string_view field) {
    if (value) {
        headers_.set(field, *value);
    } else {
        headers_.remove(field);
    }
}

void URLRequest::applyQueryParameters(const nlohmann::ordered_json& parameters) {
    if (!url_ || !parameters.is_object() || parameters.empty()) return;
    url_ = url_->appendingQueryParameters(parameters);
}

}  // namespace solen::platform
