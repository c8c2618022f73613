#pragma once

#include "Platform/Foundation/URLComponents.h"

#include <nlohmann/json.hpp>

#include <cstdint>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace solen::platform {

// A parsed, valid URL or relative reference; immutable. Made only through `parse`, so a URL in
// hand is always valid (see URLComponents for the rules). It holds its text and where each part
// lies in it; the parts are read out of the text on request. A text of 4 GiB or more is refused.
class URL {
public:
    static std::optional<URL> parse(std::string_view text);
    // The same, keeping the given text itself as the URL's text instead of a copy.
    static std::optional<URL> parseOwned(std::string&& text);

    // The text the URL was made from, unchanged.
    const std::string& absoluteString() const { return text_; }
    URLComponents components() const;

    std::optional<std::string> scheme() const { return part(scheme_); }
    // Percent-decoded; absent without an authority or when it does not decode to UTF-8.
    std::optional<std::string> host() const;
    std::optional<int> port() const;
    // Percent-decoded, or as written when it does not decode.
    std::string path() const;
    // The query as written (percent-encoded); absent when the URL has no "?".
    std::optional<std::string> query() const { return part(query_); }
    std::optional<std::string> fragment() const { return part(fragment_); }
    std::optional<std::vector<URLQueryItem>> queryItems() const;
    // True when the URL has a scheme.
    bool isAbsolute() const { return scheme_.offset != absent; }

    // Returns this URL with the parameters of a JSON object appended to its query, in the object's
    // order. The existing query text is kept verbatim first; each parameter is added once as
    // "name=value", both percent-encoded with `CharacterSet::urlQueryItemAllowed()`. A text value
    // is written as itself, any other value as its JSON text (2 -> "2", true -> "true").
    // An empty or non-object parameter set returns the URL unchanged.
    URL appendingQueryParameters(const nlohmann::ordered_json& parameters) const;

    friend bool operator==(const URL& a, const URL& b) { return a.text_ == b.text_; }

private:
    static constexpr std::uint32_t absent = UINT32_MAX;
    // Where a part lies in the text; `offset` is `absent` for a part the text does not have.
    struct Span {
        std::uint32_t offset = absent;
        std::uint32_t length = 0;
    };

    URL() = default;
    // Parses `text`; the URL's text is then `owned`, moved, when given (it holds `text`), else a copy.
    static std::optional<URL> make(std::string_view text, std::string* owned);
    std::optional<std::string_view> view(Span span) const;
    std::optional<std::string> part(Span span) const;
    URLComponents::Views views() const;

    std::string text_;
    Span scheme_;
    Span user_;
    Span password_;
    Span host_;
    Span path_;
    Span query_;
    Span fragment_;
    // Negative when the text has no port.
    std::int32_t port_ = -1;
};

}  // namespace solen::platform
