#include "Platform/Foundation/PropertyValue.h"

#include <charconv>
#include <cmath>

namespace solen::platform {
namespace {

using Json = nlohmann::ordered_json;

std::string shortestDouble(double value) {
    if (std::isnan(value)) {
        return "nan";
    }
    if (std::isinf(value)) {
        return value > 0 ? "inf" : "-inf";
    }
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

bool isValidJSONLeaf(const PropertyValue& value) {
    switch (value.kind()) {
        case PropertyValue::Kind::text:
        case PropertyValue::Kind::integer:
        case PropertyValue::Kind::boolean:
            return true;
        case PropertyValue::Kind::real:
            return std::isfinite(*value.real());
        case PropertyValue::Kind::data:
        case PropertyValue::Kind::date:
            return false;
        case PropertyValue::Kind::array:
            for (const auto& element : *value.array()) {
                if (!isValidJSONLeaf(element)) {
                    return false;
                }
            }
            return true;
        case PropertyValue::Kind::dictionary:
            for (const auto& [key, element] : *value.dictionary()) {
                if (!isValidJSONLeaf(element)) {
                    return false;
                }
            }
            return true;
    }
    return false;
}

bool isValidJSONMember(const Json& json) {
    switch (json.type()) {
        case Json::value_t::null:
        case Json::value_t::string:
        case Json::value_t::boolean:
        case Json::value_t::number_integer:
        case Json::value_t::number_unsigned:
            return true;
        case Json::value_t::number_float:
            return std::isfinite(json.get<double>());
        case Json::value_t::array:
        case Json::value_t::object:
            for (const auto& element : json) {
                if (!isValidJSONMember(element)) {
                    return false;
                }
            }
            return true;
        case Json::value_t::binary:
        case Json::value_t::discarded:
            return false;
    }
    return false;
}

}  // namespace

PropertyValue::PropertyValue() : storage_(Text()) {}
PropertyValue::PropertyValue(Text value) : storage_(std::move(value)) {}
PropertyValue::PropertyValue(const char* value) : storage_(Text(value ? value : "")) {}
PropertyValue::PropertyValue(std::string_view value) : storage_(Text(value)) {}
PropertyValue::PropertyValue(bool value) : storage_(value) {}
PropertyValue::PropertyValue(double value) : storage_(value) {}
PropertyValue::PropertyValue(float value) : storage_(static_cast<Real>(value)) {}
PropertyValue::PropertyValue(Data value) : storage_(std::move(value)) {}
PropertyValue::PropertyValue(Date value) : storage_(value) {}
PropertyValue::PropertyValue(Array value) : storage_(std::move(value)) {}
PropertyValue::PropertyValue(Dictionary value) : storage_(std::move(value)) {}

PropertyValue::Kind PropertyValue::kind() const { return static_cast<Kind>(storage_.index()); }

const PropertyValue::Text* PropertyValue::text() const { return std::get_if<Text>(&storage_); }

std::optional<PropertyValue::Integer> PropertyValue::integer() const {
    if (const auto* value = std::get_if<Integer>(&storage_)) {
        return *value;
    }
    return std::nullopt;
}

std::optional<PropertyValue::Real> PropertyValue::real() const {
    if (const auto* value = std::get_if<Real>(&storage_)) {
        return *value;
    }
    return std::nullopt;
}

std::optional<bool> PropertyValue::boolean() const {
    if (const auto* value = std::get_if<bool>(&storage_)) {
        return *value;
    }
    return std::nullopt;
}

const PropertyValue::Data* PropertyValue::data() const { return std::get_if<Data>(&storage_); }

std::optional<PropertyValue::Date> PropertyValue::date() const {
    if (const auto* value = std::get_if<Date>(&storage_)) {
        return *value;
    }
    return std::nullopt;
}

const PropertyValue::Array* PropertyValue::array() const { return std::get_if<Array>(&storage_); }

const PropertyValue::Dictionary* PropertyValue::dictionary() const { return std::get_if<Dictionary>(&storage_); }

std::optional<double> PropertyValue::number() const {
    if (const auto* value = std::get_if<Integer>(&storage_)) {
        return static_cast<double>(*value);
    }
    return real();
}

std::optional<PropertyValue::Integer> PropertyValue::wholeNumber() const {
    if (const auto* value = std::get_if<Integer>(&storage_)) {
        return *value;
    }
    if (const auto* value = std::get_if<Real>(&storage_)) {
        // 2^63 is exactly representable; anything at or above it does not fit.
        if (std::isfinite(*value) && std::trunc(*value) == *value && *value >= -9223372036854775808.0 &&
            *value < 9223372036854775808.0) {
            return static_cast<Integer>(*value);
        }
    }
    return std::nullopt;
}

const PropertyValue* PropertyValue::find(std::string_view key) const {
    const auto* members = dictionary();
    if (!members) {
        return nullptr;
    }
    const auto it = members->find(key);
    return it == members->end() ? nullptr : &it->second;
}

bool operator==(const PropertyValue& lhs, const PropertyValue& rhs) { return lhs.storage_ == rhs.storage_; }

std::string PropertyValue::description() const {
    switch (kind()) {
        case Kind::text:
            return Json(*text()).dump();
        case Kind::integer:
            return std::to_string(*integer());
        case Kind::real:
            return shortestDouble(*real());
        case Kind::boolean:
            return *boolean() ? "true" : "false";
        case Kind::data:
            return "<data " + std::to_string(data()->size()) + " bytes>";
        case Kind::date: {
            const auto nanoseconds = date()->time_since_epoch().count();
            return "<date " + std::to_string(nanoseconds) + " ns since 1970>";
        }
        case Kind::array: {
            std::string text = "[";
            bool first = true;
            for (const auto& element : *array()) {
                text += first ? "" : ",";
                text += element.description();
                first = false;
            }
            return text + "]";
        }
        case Kind::dictionary: {
            std::string text = "{";
            bool first = true;
            for (const auto& [key, element] : *dictionary()) {
                text += first ? "" : ",";
                text += Json(key).dump() + ":" + element.description();
                first = false;
            }
            return text + "}";
        }
    }
    return {};
}

std::optional<nlohmann::ordered_json> PropertyValue::toJson() const {
    switch (kind()) {
        case Kind::text:
            return Json(*text());
        case Kind::integer:
            return Json(*integer());
        case Kind::real:
            if (!std::isfinite(*real())) {
                return std::nullopt;
            }
            return Json(*real());
        case Kind::boolean:
            return Json(*boolean());
        case Kind::data:
        case Kind::date:
            return std::nullopt;
        case Kind::array: {
            Json result = Json::array();
            for (const auto& element : *array()) {
                auto converted = element.toJson();
                if (!converted) {
                    return std::nullopt;
                }
                result.push_back(std::move(*converted));
            }
            return result;
        }
        case Kind::dictionary: {
            Json result = Json::object();
            for (const auto& [key, element] : *dictionary()) {
                auto converted = element.toJson();
                if (!converted) {
                    return std::nullopt;
                }
                result[key] = std::move(*converted);
            }
            return result;
        }
    }
    return std::nullopt;
}

std::optional<PropertyValue> PropertyValue::fromJson(const nlohmann::ordered_json& json) {
    switch (json.type()) {
        case Json::value_t::string:
            return PropertyValue(json.get_ref<const std::string&>());
        case Json::value_t::boolean:
            return PropertyValue(json.get<bool>());
        case Json::value_t::number_integer:
            return PropertyValue(json.get<std::int64_t>());
        case Json::value_t::number_unsigned:
            return PropertyValue(json.get<std::uint64_t>());
        case Json::value_t::number_float:
            return PropertyValue(json.get<double>());
        case Json::value_t::array: {
            Array elements;
            elements.reserve(json.size());
            for (const auto& element : json) {
                auto converted = fromJson(element);
                if (!converted) {
                    return std::nullopt;
                }
                elements.push_back(std::move(*converted));
            }
            return PropertyValue(std::move(elements));
        }
        case Json::value_t::object: {
            Dictionary members;
            for (auto it = json.begin(); it != json.end(); ++it) {
                auto converted = fromJson(it.value());
                if (!converted) {
                    return std::nullopt;
                }
                members.insert_or_assign(it.key(), std::move(*converted));
            }
            return PropertyValue(std::move(members));
        }
        case Json::value_t::null:
        case Json::value_t::binary:
        case Json::value_t::discarded:
            return std::nullopt;
    }
    return std::nullopt;
}

bool PropertyValue::isValidJSONObject(const PropertyValue& value) {
    return (value.isArray() || value.isDictionary()) && isValidJSONLeaf(value);
}

bool PropertyValue::isValidJSONObject(const nlohmann::ordered_json& json) {
    return (json.is_array() || json.is_object()) && isValidJSONMember(json);
}

}  // namespace solen::platform
