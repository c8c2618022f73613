#include <solen/adapters/SolenAdapterError.h>

#include "Platform/Foundation/CharacterSet.h"

#include <cstdio>

namespace solen {

namespace {

struct KindEntry {
    std::string_view rawValue;
    std::int64_t code;
};

// Indexed by the case's position; the codes do not follow it.
constexpr std::array<KindEntry, SolenAdapterError::kindCount> kindTable = {{
    {"AdapterInitializationFailed", 8001},
    {"InvalidLineItemConfig", 8002},
    {"ObjectCreationFailed", 8003},
    {"InvalidAdMarkup", 8004},
    {"NoFill", 8005},
    {"FailedToShow", 8006},
    {"AdapterError", 8009},
    {"LineItemTimeout", 8007},
    {"AdapterNotFound", 8008},
    {"ObjectDeallocated", 8010},
    {"AuctionTimeout", 8011},
    {"S2sRenderError", 8012},
}};

const KindEntry& entry(SolenAdapterError::Kind kind) { return kindTable.at(static_cast<std::size_t>(kind)); }

// A quoted text: `"` and `\` escaped, control characters as \t \n \r \0 or \u{hex}. The text is
// valid UTF-8 (the error data repairs it), so other characters are copied as they are.
void appendQuoted(std::string& out, std::string_view text) {
    out.push_back('"');
    for (std::size_t i = 0; i < text.size();) {
        // Printable ASCII that needs no escape goes over in one run.
        std::size_t plain = i;
        while (plain < text.size()) {
            const auto byte = static_cast<unsigned char>(text[plain]);
            if (byte < 0x20 || byte >= 0x7F || byte == '"' || byte == '\\') {
                break;
            }
            ++plain;
        }
        out.append(text.substr(i, plain - i));
        i = plain;
        if (i == text.size()) {
            break;
        }
        const std::size_t start = i;
        const char32_t scalar = platform::nextUtf8Scalar(text, i).value_or(U'\uFFFD');
        switch (scalar) {
        case U'"': out.append("\\\""); break;
        case U'\\': out.append("\\\\"); break;
        case U'\t': out.append("\\t"); break;
        case U'\n': out.append("\\n"); break;
        case U'\r': out.append("\\r"); break;
        case U'\0': out.append("\\0"); break;
        default:
            if (scalar < 0x20 || (scalar >= 0x7F && scalar <= 0x9F)) {
                char escaped[16];
                std::snprintf(escaped, sizeof escaped, "\\u{%X}", static_cast<unsigned>(scalar));
                out.append(escaped);
            } else {
                out.append(text.substr(start, i - start));
            }
        }
    }
    out.push_back('"');
}

// One `"key": value` entry of the printed user info.
void appendEntry(std::string& out, std::string_view key, std::string_view value, bool quote) {
    if (out.size() > 1) {
        out += ", ";
    }
    appendQuoted(out, key);
    out += ": ";
    if (quote) {
        appendQuoted(out, value);
    } else {
        out += value;
    }
}

}  // namespace

std::string_view SolenAdapterError::rawValue(Kind kind) { return entry(kind).rawValue; }

std::int64_t SolenAdapterError::errorCode(Kind kind) { return entry(kind).code; }

nlohmann::ordered_json SolenAdapterError::errorUserInfo() const {
    nlohmann::ordered_json info = nlohmann::ordered_json::object();
    info["domain"] = std::string(domainPrefix) + "." + data_.className();
    info["errorCode"] = errorCode();
    info["dropDescription"] = data_.failureReason();
    info["recoverySuggestion"] = data_.recoverySuggestion();
    info["dropReason"] = std::string(rawValue());
    return info;
}

std::string SolenAdapterError::errorUserInfoDescription() const {
    // `errorUserInfo()` printed, written straight from the fields (in its key order): every
    // failed line item prints one for its trackers.
    std::string out = "[";
    appendEntry(out, "domain", std::string(domainPrefix) + "." + data_.className(), true);
    appendEntry(out, "errorCode", std::to_string(errorCode()), false);
    appendEntry(out, "dropDescription", data_.failureReason(), true);
    appendEntry(out, "recoverySuggestion", data_.recoverySuggestion(), true);
    appendEntry(out, "dropReason", rawValue(), true);
    out += "]";
    return out;
}

platform::Error SolenAdapterError::toError() const {
    platform::Error error;
    error.domain = errorDomain;
    error.code = errorCode();
    error.localizedDescription = "The operation couldn\u2019t be completed. (" + std::string(errorDomain) + " error " +
                                 std::to_string(errorCode()) + ".)";
    error.userInfo = errorUserInfo();
    return error;
}

}  // namespace solen
