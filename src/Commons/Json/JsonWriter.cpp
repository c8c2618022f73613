#include "Commons/Json/JsonWriter.h"

namespace solen {

JsonEncodingError::JsonEncodingError(std::string path, const std::string& reason)
    : std::runtime_error(path.empty() ? reason : path + ": " + reason), path_(std::move(path)) {}

void JsonWriter::checkFinite(const Json& value, const std::string& path) {
    if (value.is_number_float()) {
        if (!std::isfinite(value.get<double>())) {
            throw JsonEncodingError(path, "number is not finite");
        }
    } else if (value.is_array()) {
        std::size_t index = 0;
        for (const auto& element : value) {
            checkFinite(element, path + "[" + std::to_string(index++) + "]");
        }
    } else if (value.is_object()) {
        for (auto it = value.begin(); it != value.end(); ++it) {
            checkFinite(it.value(), path.empty() ? it.key() : path + "." + it.key());
        }
    }
}

}  // namespace solen
