#include "Platform/Foundation/URL.h"

#include "Platform/Foundation/CharacterSet.h"

namespace solen::platform {

std::optional<URL> URL::parse(std::string_view text) {
    // Parsed straight into the result: a URL is parsed for every tracking address of a document,
    // and moving its parts from one object to the next costs as much as reading them.
    std::optional<URL> url;
    url.emplace(Key());
    if (!URLComponents::read(text, url->components_)) return std::nullopt;
    url->text_.assign(text);
    return url;
}

std::string URL::path() const {
    auto decodedPath = components_.path();
    return decodedPath ? *decodedPath : components_.percentEncodedPath;
}

URL URL::appendingQueryParameters(const nlohmann::ordered_json& parameters) const {
    if (!parameters.is_object() || parameters.empty()) return *this;

    const CharacterSet& allowed = CharacterSet::urlQueryItemAllowed();
    URLComponents components = components_;
    std::string query = components.percentEncodedQuery.value_or(std::string());
    for (const auto& [name, value] : parameters.items()) {
        const std::string text = value.is_string()
                                     ? value.get_ref<const std::string&>()
                                     : value.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
        if (!query.empty()) query.push_back('&');
        query += addingPercentEncoding(name, allowed);
        query.push_back('=');
        query += addingPercentEncoding(text, allowed);
    }
    components.percentEncodedQuery = std::move(query);
    auto result = components.url();
    return result ? *result : *this;
}

}  // namespace solen::platform
