#include "Platform/Foundation/UUID.h"

#include <uuid/uuid.h>

namespace solen::platform {

UUID::UUID() : bytes_{} { uuid_generate_random(bytes_.data()); }

std::string UUID::uuidString() const {
    char text[37];
    uuid_unparse_upper(bytes_.data(), text);
    return std::string(text, 36);
}

std::optional<UUID> UUID::fromString(std::string_view text) {
    if (text.size() != 36) {
        return std::nullopt;
    }
    const std::string terminated(text);
    Bytes bytes{};
    if (uuid_parse(terminated.c_str(), bytes.data()) != 0) {
        return std::nullopt;
    }
    return UUID(bytes);
}

}  // namespace solen::platform
