#include "PageScripts.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>

namespace solen::scripted {

namespace {

std::string lowerCased(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

struct Attributes {
    bool hasSource = false;
    std::optional<std::string> type;
};

// Reads the attributes of a start tag from `position` (just after the tag name) to its '>';
// returns the position after the '>' (the text's end when there is none).
std::size_t readAttributes(std::string_view lower, std::size_t position, Attributes& attributes) {
    while (position < lower.size() && lower[position] != '>') {
        if (isSpace(lower[position]) || lower[position] == '/') {
            ++position;
            continue;
        }
        const std::size_t nameStart = position;
        while (position < lower.size() && !isSpace(lower[position]) && lower[position] != '=' && lower[position] != '>') {
            ++position;
        }
        const std::string_view name = lower.substr(nameStart, position - nameStart);
        std::string value;
        while (position < lower.size() && isSpace(lower[position])) {
            ++position;
        }
        if (position < lower.size() && lower[position] == '=') {
            ++position;
            while (position < lower.size() && isSpace(lower[position])) {
                ++position;
            }
            if (position < lower.size() && (lower[position] == '"' || lower[position] == '\'')) {
                const char quote = lower[position++];
                const std::size_t end = std::min(lower.find(quote, position), lower.size());
                value = lower.substr(position, end - position);
                position = std::min(end + 1, lower.size());
            } else {
                const std::size_t valueStart = position;
                while (position < lower.size() && !isSpace(lower[position]) && lower[position] != '>') {
                    ++position;
                }
                value = lower.substr(valueStart, position - valueStart);
            }
        }
        if (name == "src") {
            attributes.hasSource = true;
        } else if (name == "type") {
            attributes.type = value;
        }
    }
    return std::min(position + 1, lower.size());
}

bool isJavaScriptType(const std::optional<std::string>& type) {
    static constexpr std::array<std::string_view, 6> types{"",
                                                           "text/javascript",
                                                           "application/javascript",
                                                           "application/x-javascript",
                                                           "text/ecmascript",
                                                           "application/ecmascript"};
    if (!type) {
        return true;
    }
    std::string_view trimmed = *type;
    while (!trimmed.empty() && isSpace(trimmed.front())) {
        trimmed.remove_prefix(1);
    }
    while (!trimmed.empty() && isSpace(trimmed.back())) {
        trimmed.remove_suffix(1);
    }
    return std::find(types.begin(), types.end(), trimmed) != types.end();
}

}  // namespace

std::vector<std::string> inlineScripts(std::string_view html) {
    const std::string lower = lowerCased(html);
    std::vector<std::string> scripts;
    std::size_t position = 0;
    while (position < lower.size()) {
        const std::size_t comment = lower.find("<!--", position);
        std::size_t tag = lower.find("<script", position);
        while (tag != std::string::npos && tag + 7 < lower.size() && !isSpace(lower[tag + 7]) && lower[tag + 7] != '>' &&
               lower[tag + 7] != '/') {
            tag = lower.find("<script", tag + 7);  // "<scripts>" and the like are other elements
        }
        if (tag == std::string::npos) {
            break;
        }
        if (comment != std::string::npos && comment < tag) {
            const std::size_t end = lower.find("-->", comment + 4);
            if (end == std::string::npos) {
                break;
            }
            position = end + 3;
            continue;
        }
        Attributes attributes;
        const std::size_t contentStart = readAttributes(lower, tag + 7, attributes);
        const std::size_t close = lower.find("</script", contentStart);
        const std::size_t contentEnd = close == std::string::npos ? lower.size() : close;
        if (!attributes.hasSource && isJavaScriptType(attributes.type)) {
            scripts.emplace_back(html.substr(contentStart, contentEnd - contentStart));
        }
        if (close == std::string::npos) {
            break;
        }
        position = std::min(lower.find('>', close), lower.size());
    }
    return scripts;
}

}  // namespace solen::scripted
