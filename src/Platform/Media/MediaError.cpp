#include "Platform/Media/MediaError.h"

namespace solen::platform {

Error MediaError::make(Code code, std::string message) {
    Error error;
    error.domain = std::string(errorDomain);
    error.code = static_cast<std::int64_t>(code);
    error.localizedDescription = std::move(message);
    return error;
}

}  // namespace solen::platform
