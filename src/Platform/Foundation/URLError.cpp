#include "Platform/Foundation/URLError.h"

#include <string>

namespace solen::platform {

std::string_view URLError::description(URLErrorCode code) {
    switch (code) {
        case URLErrorCode::cancelled: return "cancelled";
        case URLErrorCode::badURL: return "bad URL";
        case URLErrorCode::timedOut: return "The request timed out.";
        case URLErrorCode::unsupportedURL: return "unsupported URL";
        case URLErrorCode::cannotFindHost: return "A server with the specified hostname could not be found.";
        case URLErrorCode::cannotConnectToHost: return "Could not connect to the server.";
        case URLErrorCode::networkConnectionLost: return "The network connection was lost.";
        case URLErrorCode::httpTooManyRedirects: return "too many HTTP redirects";
        case URLErrorCode::notConnectedToInternet: return "The Internet connection appears to be offline.";
        case URLErrorCode::badServerResponse: return "The server returned a bad response.";
        case URLErrorCode::cannotDecodeContentData: return "The response could not be decoded.";
        case URLErrorCode::cannotParseResponse: return "The response could not be parsed.";
        case URLErrorCode::dataLengthExceedsMaximum: return "The resource exceeds the maximum size.";
        case URLErrorCode::secureConnectionFailed:
            return "An SSL error has occurred and a secure connection to the server cannot be made.";
        case URLErrorCode::serverCertificateUntrusted: return "The certificate for this server is invalid.";
        case URLErrorCode::unknown: break;
    }
    return "An unknown error occurred.";
}

Error URLError::make(URLErrorCode code) {
    Error error;
    error.domain = std::string(errorDomain);
    error.code = static_cast<std::int64_t>(code);
    error.localizedDescription = std::string(description(code));
    return error;
}

}  // namespace solen::platform
