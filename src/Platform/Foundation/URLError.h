#pragma once

#include <solen/ui/Error.h>

#include <cstdint>
#include <string_view>

namespace solen::platform {

// Codes of failed URL loads (negative, as the platform reports them).
enum class URLErrorCode : std::int64_t {
    unknown = -1,
    cancelled = -999,
    badURL = -1000,
    timedOut = -1001,
    unsupportedURL = -1002,
    cannotFindHost = -1003,
    cannotConnectToHost = -1004,
    networkConnectionLost = -1005,
    httpTooManyRedirects = -1007,
    notConnectedToInternet = -1009,
    badServerResponse = -1011,
    cannotDecodeContentData = -1015,
    cannotParseResponse = -1017,
    dataLengthExceedsMaximum = -1103,
    secureConnectionFailed = -1200,
    serverCertificateUntrusted = -1202,
};

// Error objects of failed URL loads.
class URLError {
public:
    static constexpr std::string_view errorDomain = "solen.platform.URLError";

    static Error make(URLErrorCode code);
    static std::string_view description(URLErrorCode code);
};

}  // namespace solen::platform
