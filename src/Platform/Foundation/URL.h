#pragma once

#include "Platform/Foundation/URLComponents.h"

#include <nlohmann/json.hpp>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace solen::platform {

// A parsed, valid URL or relative reference; immutable. Made only through `parse`, so a URL in
// hand is always valid (see URLComponents for the rules).
class URL {
public:
    static std::optional<URL> parse(std::string_view text);

    // The text the URL was made from, unchanged.
    const std::string& absoluteString() const { return text_; }
    const URLComponents& components() const { return components_; }

    const std::optional<std::string>& scheme() const { return components_.scheme; }
    std::optional<std::string> host() const { return components_.host(); }
    const std::optional<int>& port() const { return components_.port; }
    std::string path() const;
    // The query as written (percent-encoded); absent when the URL has no "?".
    const std::optional<std::string>& query() const { return components_.percentEncodedQuery; }
    const std::optional<std::string>& fragment() const { return components_.percentEncodedFragment; }
    std::optional<std::vector<URLQueryItem>> queryItems() const { return components_.queryItems(); }
    // True when the URL has a scheme.
    bool isAbsolute() const { return components_.scheme.has_value(); }

    // Returns this URL with the parameters of a JSON object appended to its query, in the object's
    // order. The existing query text is kept verbatim first; each parameter is added once as
    // "name=value", both percent-encoded with `CharacterSet::urlQueryItemAllowed()`. A text value
    // is written as itself, any other value as its JSON text (2 -> "2", true -> "true").
    // An empty or non-object parameter set returns the URL unchanged.
    URL appendingQueryParameters(const nlohmann::ordered_json& parameters) const;

    friend bool operator==(const URL& a, const URL& b) { return a.text_ == b.text_; }

    // Opens the constructor to `parse` alone, which builds the URL in place inside its result.
    class Key {
        friend class URL;
        Key() = default;
    };
    explicit URL(Key) {}

private:
    std::string text_;
    URLComponents components_;
};

}  // namespace solen::platform
