#pragma once

#include "Commons/Json/JsonReader.h"

#include <solen/ui/Error.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace solen {

// Why an HTTP exchange failed for good.
class NetworkError {
public:
    enum class Kind { requestFailed, clientError, serverError, networkNotAvailable };

    static constexpr std::string_view errorDomain = "ai.solen.networkError";
    // Code of `requestFailed` when the request body could not be encoded.
    static constexpr std::int64_t bodyEncodingFailedCode = 4866;

    // The transport failed (the platform's code and description).
    static NetworkError requestFailed(std::int64_t code, std::string message);
    // 4xx answer.
    static NetworkError clientError(std::string message);
    // 5xx answer, or an answer without body or not over HTTP.
    static NetworkError serverError(std::string message);
    // The device has no network connection.
    static NetworkError networkNotAvailable(std::string message);

    Kind kind() const { return kind_; }
    const std::string& message() const { return message_; }

    // The carried code for `requestFailed`; 2001, 2002, 2003 for the others.
    std::int64_t errorCode() const;
    // {"responseCode": code, "Info": message} for `requestFailed`, {"Info": message} otherwise.
    Json errorUserInfo() const;
    // "ai.solen.networkError <code> [\"responseCode\": <code>, \"Info\": \"<message>\"]".
    std::string errorDescription() const;
    platform::Error toError() const;

    friend bool operator==(const NetworkError&, const NetworkError&) = default;

private:
    NetworkError(Kind kind, std::int64_t code, std::string message)
        : kind_(kind), code_(code), message_(std::move(message)) {}

    Kind kind_;
    std::int64_t code_;
    std::string message_;
};

}  // namespace solen
