#include "Commons/Network/ServerError.h"

namespace solen {

ServerError ServerError::decode(const JsonReader& reader) {
    ServerError error;
    error.errors = reader.optional<std::vector<std::string>>("errors");
    return error;
}

std::optional<ServerError> ServerError::fromData(const std::vector<std::uint8_t>& data) {
    try {
        return JsonReader::decode<ServerError>(
            std::string_view(reinterpret_cast<const char*>(data.data()), data.size()));
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

std::optional<std::string> ServerError::joinedMessage() const {
    if (!errors) return std::nullopt;
    std::string message;
    for (const std::string& text : *errors) message += text;
    if (message.empty()) return std::nullopt;
    return message;
}

}  // namespace solen
