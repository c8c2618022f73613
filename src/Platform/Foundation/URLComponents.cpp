#include "Platform/Foundation/URLComponents.h"

#include "Platform/Foundation/CharacterSet.h"
#include "Platform/Foundation/URL.h"

#include <array>

namespace solen::platform {

namespace {

bool isAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isHexDigit(char c) { return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

// What one byte of a URL text may be, as bits: one pass ORs them together, so that the checks and
// searches that follow run only for the kinds of byte the text holds. Brackets are allowed only
// inside an IP-literal host, which is checked separately; a '%' must start an escape.
enum UrlByte : unsigned char {
    urlPlain = 0,
    urlInvalid = 1,
    urlPercent = 2,
    urlBracket = 4,
    urlHash = 8,
    urlQuestion = 16,
    urlAt = 32,
};

constexpr std::array<unsigned char, 256> urlByteTable = [] {
    std::array<unsigned char, 256> table{};
    table.fill(urlInvalid);
    for (const char c :
         std::string_view("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-._~!$&'()*+,;=:/")) {
        table[static_cast<unsigned char>(c)] = urlPlain;
    }
    table['%'] = urlPercent;
    table['['] = urlBracket;
    table[']'] = urlBracket;
    table['#'] = urlHash;
    table['?'] = urlQuestion;
    table['@'] = urlAt;
    return table;
}();

bool isValidScheme(std::string_view text) {
    if (text.empty() || !isAlpha(text.front())) return false;
    for (const char c : text) {
        if (!isAlpha(c) && !isDigit(c) && c != '+' && c != '-' && c != '.') return false;
    }
    return true;
}

bool hasBracket(std::string_view text) {
    for (const char c : text) {
        if (c == '[' || c == ']') return true;
    }
    return false;
}

// Host: an IP literal in brackets, or a name without brackets or ':' (a ':' there would be read
// back as the start of a port). `brackets` is false when the whole text holds none.
bool isValidHost(std::string_view host, bool brackets) {
    if (host.empty() || host.front() != '[') {
        return !(brackets && hasBracket(host)) && host.find(':') == std::string_view::npos;
    }
    if (host.size() < 3 || host.back() != ']') return false;
    const std::string_view inside = host.substr(1, host.size() - 2);
    for (const char c : inside) {
        if (!isHexDigit(c) && c != ':' && c != '.' && c != 'v' && c != 'V' && !isAlpha(c) && c != '%' &&
            c != '-' && c != '_' && c != '~') {
            return false;
        }
    }
    return true;
}

std::optional<std::string> decoded(const std::optional<std::string>& text) {
    if (!text) return std::nullopt;
    return removingPercentEncoding(*text);
}

std::optional<std::string> owned(const std::optional<std::string_view>& text) {
    if (!text) return std::nullopt;
    return std::string(*text);
}

}  // namespace

std::vector<URLQueryItem> URLComponents::splitQuery(std::string_view query, bool decode) {
    std::vector<URLQueryItem> items;
    if (query.empty()) return items;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = query.find('&', start);
        const std::string_view piece = query.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
        URLQueryItem item;
        const std::size_t equals = piece.find('=');
        const std::string_view name = piece.substr(0, equals);
        auto decodeOrKeep = [decode](std::string_view text) {
            if (!decode) return std::string(text);
            auto value = removingPercentEncoding(text);
            return value ? *value : std::string(text);
        };
        item.name = decodeOrKeep(name);
        if (equals != std::string_view::npos) {
            item.value = decodeOrKeep(piece.substr(equals + 1));
        }
        items.push_back(std::move(item));
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    return items;
}

URLComponents::URLComponents(const URL& url) : URLComponents(url.components()) {}

std::optional<URLComponents> URLComponents::parse(std::string_view text) {
    Views parts;
    if (!read(text, parts)) return std::nullopt;
    return owning(parts);
}

URLComponents URLComponents::owning(const Views& parts) {
    URLComponents components;
    components.scheme = owned(parts.scheme);
    components.percentEncodedUser = owned(parts.percentEncodedUser);
    components.percentEncodedPassword = owned(parts.percentEncodedPassword);
    components.percentEncodedHost = owned(parts.percentEncodedHost);
    components.port = parts.port;
    components.percentEncodedPath.assign(parts.percentEncodedPath);
    components.percentEncodedQuery = owned(parts.percentEncodedQuery);
    components.percentEncodedFragment = owned(parts.percentEncodedFragment);
    return components;
}

bool URLComponents::read(std::string_view text, Views& parts) {
    if (text.empty()) return false;
    unsigned kinds = 0;
    for (const char c : text) {
        kinds |= urlByteTable[static_cast<unsigned char>(c)];
    }
    if ((kinds & urlInvalid) != 0) return false;
    if ((kinds & urlPercent) != 0) {
        for (std::size_t i = text.find('%'); i != std::string_view::npos; i = text.find('%', i + 1)) {
            if (i + 2 >= text.size() || !isHexDigit(text[i + 1]) || !isHexDigit(text[i + 2])) {
                return false;
            }
        }
    }
    // Bracket checks are needed only when the text holds a bracket at all.
    const bool brackets = (kinds & urlBracket) != 0;
    const auto bracketIn = [brackets](std::string_view part) { return brackets && hasBracket(part); };

    std::string_view rest = text;

    // Fragment: everything after the first '#'; a second '#' is not allowed.
    if (const std::size_t hash = (kinds & urlHash) != 0 ? rest.find('#') : std::string_view::npos;
        hash != std::string_view::npos) {
        const std::string_view fragment = rest.substr(hash + 1);
        if (fragment.find('#') != std::string_view::npos || bracketIn(fragment)) return false;
        parts.percentEncodedFragment = fragment;
        rest = rest.substr(0, hash);
    }
    // Query: everything after the first '?'.
    if (const std::size_t question = (kinds & urlQuestion) != 0 ? rest.find('?') : std::string_view::npos;
        question != std::string_view::npos) {
        const std::string_view query = rest.substr(question + 1);
        if (bracketIn(query)) return false;
        parts.percentEncodedQuery = query;
        rest = rest.substr(0, question);
    }
    // Scheme: the text before a ':' that comes before any '/'.
    const std::size_t colon = rest.find(':');
    const std::size_t slash = rest.find('/');
    if (colon != std::string_view::npos && (slash == std::string_view::npos || colon < slash)) {
        const std::string_view scheme = rest.substr(0, colon);
        if (!isValidScheme(scheme)) return false;
        parts.scheme = scheme;
        rest = rest.substr(colon + 1);
    }
    // Authority.
    if (rest.size() >= 2 && rest[0] == '/' && rest[1] == '/') {
        rest = rest.substr(2);
        const std::size_t end = rest.find('/');
        std::string_view authority = rest.substr(0, end);
        // Without a path, an empty view at the end of the text (views are read as positions in it).
        rest = rest.substr(end == std::string_view::npos ? rest.size() : end);

        if (const std::size_t at = (kinds & urlAt) != 0 ? authority.rfind('@') : std::string_view::npos;
            at != std::string_view::npos) {
            const std::string_view userInfo = authority.substr(0, at);
            if (bracketIn(userInfo)) return false;
            const std::size_t separator = userInfo.find(':');
            parts.percentEncodedUser = userInfo.substr(0, separator);
            if (separator != std::string_view::npos) {
                parts.percentEncodedPassword = userInfo.substr(separator + 1);
            }
            authority = authority.substr(at + 1);
        }
        // The port follows the last ':' that is not inside an IP literal.
        const std::size_t closing = brackets ? authority.rfind(']') : std::string_view::npos;
        const std::size_t portColon = authority.rfind(':');
        if (portColon != std::string_view::npos && (closing == std::string_view::npos || portColon > closing)) {
            const std::string_view portText = authority.substr(portColon + 1);
            if (!portText.empty()) {
                if (portText.size() > 5) return false;
                int port = 0;
                for (const char c : portText) {
                    if (!isDigit(c)) return false;
                    port = port * 10 + (c - '0');
                }
                if (port > 65535) return false;
                parts.port = port;
            }
            authority = authority.substr(0, portColon);
        }
        if (!isValidHost(authority, brackets)) return false;
        parts.percentEncodedHost = authority;
    }
    // Path.
    if (bracketIn(rest)) return false;
    parts.percentEncodedPath = rest;
    return true;
}

std::optional<std::string> URLComponents::host() const { return decoded(percentEncodedHost); }
std::optional<std::string> URLComponents::path() const { return removingPercentEncoding(percentEncodedPath); }
std::optional<std::string> URLComponents::query() const { return decoded(percentEncodedQuery); }
std::optional<std::string> URLComponents::fragment() const { return decoded(percentEncodedFragment); }

std::optional<std::vector<URLQueryItem>> URLComponents::queryItems() const {
    if (!percentEncodedQuery) return std::nullopt;
    return splitQuery(*percentEncodedQuery, true);
}

std::optional<std::vector<URLQueryItem>> URLComponents::percentEncodedQueryItems() const {
    if (!percentEncodedQuery) return std::nullopt;
    return splitQuery(*percentEncodedQuery, false);
}

void URLComponents::setQueryItems(const std::optional<std::vector<URLQueryItem>>& items) {
    if (!items) {
        percentEncodedQuery.reset();
        return;
    }
    const CharacterSet& allowed = CharacterSet::urlQueryItemAllowed();
    std::string query;
    for (std::size_t index = 0; index < items->size(); ++index) {
        const URLQueryItem& item = (*items)[index];
        if (index > 0) query.push_back('&');
        query += addingPercentEncoding(item.name, allowed);
        if (item.value) {
            query.push_back('=');
            query += addingPercentEncoding(*item.value, allowed);
        }
    }
    percentEncodedQuery = std::move(query);
}

std::string URLComponents::string() const {
    std::string text;
    if (scheme) {
        text += *scheme;
        text.push_back(':');
    }
    if (percentEncodedHost) {
        text += "//";
        if (percentEncodedUser) {
            text += *percentEncodedUser;
            if (percentEncodedPassword) {
                text.push_back(':');
                text += *percentEncodedPassword;
            }
            text.push_back('@');
        }
        text += *percentEncodedHost;
        if (port) {
            text.push_back(':');
            text += std::to_string(*port);
        }
    }
    text += percentEncodedPath;
    if (percentEncodedQuery) {
        text.push_back('?');
        text += *percentEncodedQuery;
    }
    if (percentEncodedFragment) {
        text.push_back('#');
        text += *percentEncodedFragment;
    }
    return text;
}

std::optional<URL> URLComponents::url() const { return URL::parse(string()); }

}  // namespace solen::platform
