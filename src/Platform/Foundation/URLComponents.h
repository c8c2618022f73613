#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace solen::platform {

class URL;

// One "name=value" item of a URL query. `value` is absent for an item written without "=".
struct URLQueryItem {
    std::string name;
    std::optional<std::string> value;

    friend bool operator==(const URLQueryItem&, const URLQueryItem&) = default;
};

// The parts of a URL text, percent-encoded as written: owned texts, or views into the text.
template <class Text>
struct URLParts {
    std::optional<Text> scheme;
    std::optional<Text> percentEncodedUser;
    std::optional<Text> percentEncodedPassword;
    // Present when the text has an authority ("//host"); may be empty ("file:///x").
    std::optional<Text> percentEncodedHost;
    std::optional<int> port;
    Text percentEncodedPath;
    std::optional<Text> percentEncodedQuery;
    std::optional<Text> percentEncodedFragment;

    friend bool operator==(const URLParts&, const URLParts&) = default;
};

// The parts of a URL or relative reference, kept percent-encoded as written.
//
// Parsing only checks validity, it never repairs: empty text, spaces, control characters,
// characters outside ASCII, characters the URL grammar never allows ('"', '<', '>', '\', '^',
// '`', '{', '|', '}'), brackets outside an IP-literal host, a ':' in a host outside brackets, a
// second '#', a '%' not followed by two hex digits, a malformed scheme or a port that is not
// digits only up to 65535 make the text invalid (an empty port after the ':' is allowed and
// reads as no port). Relative references ("/path?x=1", "page.html") are valid.
class URLComponents : public URLParts<std::string> {
public:
    URLComponents() = default;
    explicit URLComponents(const URL& url);

    static std::optional<URLComponents> parse(std::string_view text);

    // Percent-decoded views; absent when the part is absent or does not decode to UTF-8.
    std::optional<std::string> host() const;
    std::optional<std::string> path() const;
    std::optional<std::string> query() const;
    std::optional<std::string> fragment() const;

    // The query split at "&" and at the first "=" of each item, decoded (an item that does not
    // decode keeps its encoded text). Absent when there is no query; empty for an empty query.
    std::optional<std::vector<URLQueryItem>> queryItems() const;
    std::optional<std::vector<URLQueryItem>> percentEncodedQueryItems() const;
    // Replaces the query. Names and values are encoded with `CharacterSet::urlQueryItemAllowed()`,
    // so "&", "=", "+", "#" and "%" inside them survive. Absent removes the query.
    void setQueryItems(const std::optional<std::vector<URLQueryItem>>& items);

    // The text of the parts put back together.
    std::string string() const;
    // The URL of `string()`; absent when that text is not valid.
    std::optional<URL> url() const;

    friend bool operator==(const URLComponents&, const URLComponents&) = default;

private:
    friend class URL;
    // The parts of a valid text as views into it.
    using Views = URLParts<std::string_view>;
    // Finds the parts of `text` into `parts`, which must be empty; false when the text is not valid
    // (`parts` then holds whatever was read before the fault).
    static bool read(std::string_view text, Views& parts);
    static URLComponents owning(const Views& parts);
    // The query split into items, decoded or as written.
    static std::vector<URLQueryItem> splitQuery(std::string_view query, bool decode);
};

}  // namespace solen::platform
