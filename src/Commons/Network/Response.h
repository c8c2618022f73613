#pragma once

#include "Platform/Foundation/HTTPHeaderFields.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace solen {

// A successful HTTP exchange: status below 400, every header field, the body as received.
struct Response {
    std::int64_t statusCode = 0;
    std::optional<platform::HTTPHeaderFields> header;
    std::optional<std::vector<std::uint8_t>> responseBody;
};

}  // namespace solen
