#include "Ad/RenderEngine/Vast/Model/VastErrorMacro.h"

#include <optional>

namespace solen {

namespace {

constexpr std::string_view macroName = "ERRORCODE";

// Length of the macro written at `at` (plain or percent-encoded brackets), 0 when there is none.
std::size_t macroLengthAt(std::string_view text, std::size_t at) {
    const std::string_view rest = text.substr(at);
    if (rest.size() >= macroName.size() + 2 && rest.front() == '[' &&
        rest.substr(1, macroName.size()) == macroName && rest[macroName.size() + 1] == ']') {
        return macroName.size() + 2;
    }
    auto encodedBracket = [](std::string_view s, char hexLetter) {
        return s.size() >= 3 && s[0] == '%' && s[1] == '5' && (s[2] == hexLetter || s[2] == hexLetter + ('a' - 'A'));
    };
    if (rest.size() >= macroName.size() + 6 && encodedBracket(rest, 'B') &&
        rest.substr(3, macroName.size()) == macroName && encodedBracket(rest.substr(3 + macroName.size()), 'D')) {
        return macroName.size() + 6;
    }
    return 0;
}

}  // namespace

std::string VastErrorMacro::replacing(std::string_view text, std::string_view code) {
    std::string result;
    result.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == '[' || text[i] == '%') {
            const std::size_t length = macroLengthAt(text, i);
            if (length > 0) {
                result.append(code);
                i += length;
                continue;
            }
        }
        result.push_back(text[i]);
        ++i;
    }
    return result;
}

platform::URL VastErrorMacro::applying(const platform::URL& address, std::int64_t code) {
    const std::string replaced = replacing(address.absoluteString(), std::to_string(code));
    if (replaced == address.absoluteString()) {
        return address;
    }
    if (std::optional<platform::URL> parsed = platform::URL::parse(replaced)) {
        return *parsed;
    }
    return address;
}

}  // namespace solen
