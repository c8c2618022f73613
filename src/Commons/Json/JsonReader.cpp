#include "Commons/Json/JsonReader.h"

#include <cmath>
#include <limits>

namespace solen {

JsonDecodingError::JsonDecodingError(std::string path, const std::string& reason)
    : std::runtime_error(path.empty() ? reason : path + ": " + reason), path_(std::move(path)), reason_(reason) {}

JsonReader::JsonReader(const Json& value, std::string path) : value_(&value), path_(std::move(path)) {}

namespace {

struct DepthExceeded {};

}  // namespace

Json JsonReader::parse(std::string_view text, std::size_t maxDepth) {
    Json result;
    try {
        result = Json::parse(
            text.begin(), text.end(),
            [maxDepth](int depth, Json::parse_event_t event, Json& parsed) {
                if ((event == Json::parse_event_t::object_start || event == Json::parse_event_t::array_start) &&
                    static_cast<std::size_t>(depth) >= maxDepth) {
                    throw DepthExceeded{};
                }
                if (event == Json::parse_event_t::value && parsed.is_number_float() &&
                    !std::isfinite(parsed.get<double>())) {
                    throw JsonDecodingError({}, "number is not finite");
                }
                return true;
            });
    } catch (const DepthExceeded&) {
        fail({}, "nesting is too deep");
    } catch (const Json::exception& error) {
        fail({}, std::string("malformed JSON: ") + error.what());
    }
    return result;
}

std::string JsonReader::childPath(std::string_view key) const {
    if (path_.empty()) {
        return std::string(key);
    }
    std::string path = path_;
    path += '.';
    path += key;
    return path;
}

void JsonReader::fail(const std::string& path, const std::string& reason) { throw JsonDecodingError(path, reason); }

std::string JsonReader::typeName() const { return value_->type_name(); }

const Json& JsonReader::requireObject() const {
    if (!value_->is_object()) {
        fail(path_, "expected an object, found " + typeName());
    }
    return *value_;
}

const Json& JsonReader::requireArray() const {
    if (!value_->is_array()) {
        fail(path_, "expected an array, found " + typeName());
    }
    return *value_;
}

bool JsonReader::contains(std::string_view key) const { return value_->is_object() && value_->contains(key); }

bool JsonReader::hasValue(std::string_view key) const {
    if (!value_->is_object()) {
        return false;
    }
    const auto it = value_->find(key);
    return it != value_->end() && !it->is_null();
}

JsonReader JsonReader::at(std::string_view key) const {
    const Json& object = requireObject();
    const auto it = object.find(key);
    if (it == object.end()) {
        fail(childPath(key), "required key is missing");
    }
    return JsonReader(*it, childPath(key));
}

std::size_t JsonReader::size() const { return requireArray().size(); }

JsonReader JsonReader::element(std::size_t index) const {
    const Json& array = requireArray();
    if (index >= array.size()) {
        fail(path_, "index out of range");
    }
    return JsonReader(array[index], path_ + "[" + std::to_string(index) + "]");
}

std::vector<std::string> JsonReader::keys() const {
    const Json& object = requireObject();
    std::vector<std::string> result;
    result.reserve(object.size());
    for (auto it = object.begin(); it != object.end(); ++it) {
        result.push_back(it.key());
    }
    return result;
}

std::string JsonReader::asString() const {
    if (!value_->is_string()) {
        fail(path_, "expected a string, found " + typeName());
    }
    return value_->get_ref<const std::string&>();
}

bool JsonReader::asBool() const {
    if (!value_->is_boolean()) {
        fail(path_, "expected a boolean, found " + typeName());
    }
    return value_->get<bool>();
}

double JsonReader::asDouble() const {
    if (!value_->is_number()) {
        fail(path_, "expected a number, found " + typeName());
    }
    const double value = value_->get<double>();
    if (!std::isfinite(value)) {
        fail(path_, "number is not finite");
    }
    return value;
}

std::int64_t JsonReader::asInt64() const {
    if (value_->is_number_integer() && !value_->is_number_unsigned()) {
        return value_->get<std::int64_t>();
    }
    if (value_->is_number_unsigned()) {
        const auto value = value_->get<std::uint64_t>();
        if (value > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
            fail(path_, "integer out of range");
        }
        return static_cast<std::int64_t>(value);
    }
    if (value_->is_number_float()) {
        // A whole number written with a fraction or exponent ("5.0", "1e3") is an integer.
        const double value = value_->get<double>();
        if (!std::isfinite(value) || std::trunc(value) != value) {
            fail(path_, "expected an integer, found a fractional number");
        }
        if (value < -9223372036854775808.0 || value >= 9223372036854775808.0) {
            fail(path_, "integer out of range");
        }
        return static_cast<std::int64_t>(value);
    }
    fail(path_, "expected an integer, found " + typeName());
}

std::uint64_t JsonReader::asUInt64() const {
    if (value_->is_number_unsigned()) {
        return value_->get<std::uint64_t>();
    }
    if (value_->is_number_integer()) {
        const auto value = value_->get<std::int64_t>();
        if (value < 0) {
            fail(path_, "integer out of range");
        }
        return static_cast<std::uint64_t>(value);
    }
    if (value_->is_number_float()) {
        const double value = value_->get<double>();
        if (!std::isfinite(value) || std::trunc(value) != value) {
            fail(path_, "expected an integer, found a fractional number");
        }
        if (value < 0 || value >= 18446744073709551616.0) {
            fail(path_, "integer out of range");
        }
        return static_cast<std::uint64_t>(value);
    }
    fail(path_, "expected an integer, found " + typeName());
}

}  // namespace solen
