#include "Commons/Network/NetworkError.h"

#include <cstdio>

namespace solen {

namespace {

// A text written as a quoted literal, with quotes, backslashes and control characters escaped.
std::string quotedText(std::string_view text) {
    std::string result = "\"";
    for (const char c : text) {
        switch (c) {
            case '"': result += "\\\""; break;
            case '\\': result += "\\\\"; break;
            case '\n': result += "\\n"; break;
            case '\r': result += "\\r"; break;
            case '\t': result += "\\t"; break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u{%x}", static_cast<unsigned>(c));
                    result += escaped;
                } else {
                    result.push_back(c);
                }
        }
    }
    result.push_back('"');
    return result;
}

}  // namespace

NetworkError NetworkError::requestFailed(std::int64_t code, std::string message) {
    return NetworkError(Kind::requestFailed, code, std::move(message));
}

NetworkError NetworkError::clientError(std::string message) {
    return NetworkError(Kind::clientError, 2001, std::move(message));
}

NetworkError NetworkError::serverError(std::string message) {
    return NetworkError(Kind::serverError, 2002, std::move(message));
}

NetworkError NetworkError::networkNotAvailable(std::string message) {
    return NetworkError(Kind::networkNotAvailable, 2003, std::move(message));
}

std::int64_t NetworkError::errorCode() const { return code_; }

Json NetworkError::errorUserInfo() const {
    Json info = Json::object();
    if (kind_ == Kind::requestFailed) info["responseCode"] = code_;
    info["Info"] = message_;
    return info;
}

std::string NetworkError::errorDescription() const {
    std::string text = std::string(errorDomain) + " " + std::to_string(code_) + " [";
    if (kind_ == Kind::requestFailed) text += "\"responseCode\": " + std::to_string(code_) + ", ";
    text += "\"Info\": " + quotedText(message_) + "]";
    return text;
}

platform::Error NetworkError::toError() const {
    platform::Error error;
    error.domain = std::string(errorDomain);
    error.code = code_;
    error.localizedDescription = errorDescription();
    error.userInfo = errorUserInfo();
    return error;
}

}  // namespace solen
