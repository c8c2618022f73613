#pragma once

#include "Platform/Foundation/HTTPHeaderFields.h"
#include "Platform/Foundation/URL.h"

#include <cstdint>
#include <optional>

namespace solen::platform {

// The response of a URL load. A session over HTTP always delivers an HTTP response
// (`isHTTP` true) with the final status and the header fields of the final response after
// redirects; fields repeated in the response are joined with ", ".
struct URLResponse {
    std::optional<URL> url;
    bool isHTTP = true;
    std::int64_t statusCode = 0;
    HTTPHeaderFields allHeaderFields;
};

}  // namespace solen::platform
