#include "Commons/Json/JsonWriter.h"

namespace solen {

JsonEncodingError::JsonEncodingError(std::string path, const std::string& reason)
    : std::runtime_error(path.empty() ? reason : path + ": " + reason), path_(std::move(path)) {}

namespace {

bool allFinite(const Json& value) {
    if (value.is_number_float()) {
        return std::isfinite(value.get<double>());
    }
    if (value.is_structured()) {
        for (const auto& element : value) {
            if (!allFinite(element)) {
                return false;
            }
        }
    }
    return true;
}

// Path of the first non-finite number; only walked once a failure is known, so the common case
// builds no strings.
std::string firstNonFinitePath(const Json& value, const std::string& path) {
    if (value.is_array()) {
        std::size_t index = 0;
        for (const auto& element : value) {
            if (!allFinite(element)) {
                return firstNonFinitePath(element, path + "[" + std::to_string(index) + "]");
            }
            ++index;
        }
    } else if (value.is_object()) {
        for (auto it = value.begin(); it != value.end(); ++it) {
            if (!allFinite(it.value())) {
                return firstNonFinitePath(it.value(), path.empty() ? it.key() : path + "." + it.key());
            }
        }
    }
    return path;
}

}  // namespace

void JsonWriter::checkFinite(const Json& value, const std::string& path) {
    if (!allFinite(value)) {
        throw JsonEncodingError(firstNonFinitePath(value, path), "number is not finite");
    }
}

}  // namespace solen
