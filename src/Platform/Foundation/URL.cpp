#include "Platform/Foundation/URL.h"

#include "Platform/Foundation/CharacterSet.h"

#include <utility>

namespace solen::platform {

std::optional<URL> URL::parse(std::string_view text) { return make(text, nullptr); }

std::optional<URL> URL::parseOwned(std::string&& text) { return make(text, &text); }

std::optional<URL> URL::make(std::string_view text, std::string* owned) {
    if (text.size() >= absent) return std::nullopt;
    URLComponents::Views parts;
    if (!URLComponents::read(text, parts)) return std::nullopt;
    // Parsed straight into the result: a URL is parsed for every tracking address of a document,
    // and one allocation (its text) is all it takes.
    std::optional<URL> url(URL{});
    const auto spanOf = [text](const std::optional<std::string_view>& part) {
        Span span;
        if (part) {
            span.offset = part->empty() ? 0 : static_cast<std::uint32_t>(part->data() - text.data());
            span.length = static_cast<std::uint32_t>(part->size());
        }
        return span;
    };
    url->scheme_ = spanOf(parts.scheme);
    url->user_ = spanOf(parts.percentEncodedUser);
    url->password_ = spanOf(parts.percentEncodedPassword);
    url->host_ = spanOf(parts.percentEncodedHost);
    url->path_ = spanOf(parts.percentEncodedPath);
    url->query_ = spanOf(parts.percentEncodedQuery);
    url->fragment_ = spanOf(parts.percentEncodedFragment);
    url->port_ = parts.port.value_or(-1);
    // The offsets were taken from `text`; they hold for the same bytes moved or copied.
    if (owned != nullptr) {
        url->text_ = std::move(*owned);
    } else {
        url->text_.assign(text);
    }
    return url;
}

std::optional<std::string_view> URL::view(Span span) const {
    if (span.offset == absent) return std::nullopt;
    return std::string_view(text_).substr(span.offset, span.length);
}

std::optional<std::string> URL::part(Span span) const {
    if (span.offset == absent) return std::nullopt;
    return text_.substr(span.offset, span.length);
}

URLComponents::Views URL::views() const {
    URLComponents::Views parts;
    parts.scheme = view(scheme_);
    parts.percentEncodedUser = view(user_);
    parts.percentEncodedPassword = view(password_);
    parts.percentEncodedHost = view(host_);
    parts.port = port();
    parts.percentEncodedPath = view(path_).value_or(std::string_view());
    parts.percentEncodedQuery = view(query_);
    parts.percentEncodedFragment = view(fragment_);
    return parts;
}

URLComponents URL::components() const { return URLComponents::owning(views()); }

std::optional<std::string> URL::host() const {
    const auto text = view(host_);
    return text ? removingPercentEncoding(*text) : std::nullopt;
}

std::optional<int> URL::port() const { return port_ < 0 ? std::nullopt : std::optional<int>(port_); }

std::string URL::path() const {
    const std::string_view text = view(path_).value_or(std::string_view());
    auto decodedPath = removingPercentEncoding(text);
    return decodedPath ? std::move(*decodedPath) : std::string(text);
}

std::optional<std::vector<URLQueryItem>> URL::queryItems() const {
    const auto text = view(query_);
    if (!text) return std::nullopt;
    return URLComponents::splitQuery(*text, true);
}

URL URL::appendingQueryParameters(const nlohmann::ordered_json& parameters) const {
    if (!parameters.is_object() || parameters.empty()) return *this;

    const CharacterSet& allowed = CharacterSet::urlQueryItemAllowed();
    URLComponents components = this->components();
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
