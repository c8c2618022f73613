#pragma once

#include "Commons/Json/JsonTypeTraits.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace solen {

using Json = nlohmann::ordered_json;

// A document failed to decode; `path` is the key path of the offending value ("adUnits[2].id").
class JsonDecodingError : public std::runtime_error {
public:
    JsonDecodingError(std::string path, const std::string& reason);
    const std::string& path() const { return path_; }
    const std::string& reason() const { return reason_; }

private:
    std::string path_;
    std::string reason_;
};

class JsonReader;

template <class T>
concept JsonDecodableRecord = requires(const JsonReader& reader) {
    { T::decode(reader) } -> std::same_as<T>;
};

// Strict, typed reading of a received JSON document. Every `require` fails when the key is absent,
// null or of another type; `optional` accepts absent or null as "no value" and fails on another
// type. Integers accept only whole numbers within range (10000.5 and "5" are refused); booleans
// accept only true/false; text accepts only strings; nothing is converted silently.
class JsonReader {
public:
    explicit JsonReader(const Json& value, std::string path = {});

    // Parses text into a value; refuses malformed text, non-finite numbers and nesting deeper than
    // `maxDepth`. Throws JsonDecodingError.
    static Json parse(std::string_view text, std::size_t maxDepth = 256);

    const Json& value() const { return *value_; }
    const std::string& path() const { return path_; }

    bool isObject() const { return value_->is_object(); }
    bool isArray() const { return value_->is_array(); }
    bool isNull() const { return value_->is_null(); }

    // True when the key is present (null counts as present).
    bool contains(std::string_view key) const;
    // True when the key is present and not null.
    bool hasValue(std::string_view key) const;

    JsonReader at(std::string_view key) const;  // requires the key (null allowed)
    std::size_t size() const;                   // array length; fails on a non-array
    JsonReader element(std::size_t index) const;
    std::vector<std::string> keys() const;      // object keys in document order

    template <class T>
    T require(std::string_view key) const {
        if (!requireObject().contains(key)) {
            fail(childPath(key), "required key is missing");
        }
        return at(key).as<T>();
    }

    template <class T>
    std::optional<T> optional(std::string_view key) const {
        const Json& object = requireObject();
        const auto it = object.find(key);
        if (it == object.end() || it->is_null()) {
            return std::nullopt;
        }
        return JsonReader(*it, childPath(key)).as<T>();
    }

    // Decodes this value as T: std::string, bool, double, float, integral types, Json (any value),
    // std::vector<U>, std::map<std::string, U>, std::optional<U> (null -> empty), or a record type
    // with `static T decode(const JsonReader&)`.
    template <class T>
    T as() const {
        if constexpr (std::is_same_v<T, std::string>) {
            return asString();
        } else if constexpr (std::is_same_v<T, bool>) {
            return asBool();
        } else if constexpr (std::is_floating_point_v<T>) {
            return static_cast<T>(asDouble());
        } else if constexpr (std::is_integral_v<T>) {
            return asInteger<T>();
        } else if constexpr (std::is_same_v<T, Json>) {
            return *value_;
        } else if constexpr (json_detail::IsOptional<T>::value) {
            if (value_->is_null()) {
                return T{};
            }
            return T{as<typename T::value_type>()};
        } else if constexpr (json_detail::IsVector<T>::value) {
            const Json& array = requireArray();
            T result;
            result.reserve(array.size());
            for (std::size_t i = 0; i < array.size(); ++i) {
                result.push_back(element(i).template as<typename T::value_type>());
            }
            return result;
        } else if constexpr (json_detail::IsStringMap<T>::value) {
            const Json& object = requireObject();
            T result;
            for (auto it = object.begin(); it != object.end(); ++it) {
                result.emplace(it.key(),
                               JsonReader(it.value(), childPath(it.key())).template as<typename T::mapped_type>());
            }
            return result;
        } else {
            static_assert(JsonDecodableRecord<T>, "type has no JSON decoding");
            requireObject();
            return T::decode(*this);
        }
    }

    std::string asString() const;
    bool asBool() const;
    double asDouble() const;
    std::int64_t asInt64() const;
    std::uint64_t asUInt64() const;

    template <class T>
    T asInteger() const {
        if constexpr (std::is_signed_v<T>) {
            const std::int64_t value = asInt64();
            if (value < static_cast<std::int64_t>(std::numeric_limits<T>::min()) ||
                value > static_cast<std::int64_t>(std::numeric_limits<T>::max())) {
                fail(path_, "integer out of range");
            }
            return static_cast<T>(value);
        } else {
            const std::uint64_t value = asUInt64();
            if (value > static_cast<std::uint64_t>(std::numeric_limits<T>::max())) {
                fail(path_, "integer out of range");
            }
            return static_cast<T>(value);
        }
    }

    const Json& requireObject() const;
    const Json& requireArray() const;

    [[noreturn]] static void fail(const std::string& path, const std::string& reason);
    std::string childPath(std::string_view key) const;

private:

    std::string typeName() const;

    const Json* value_;
    std::string path_;
};

}  // namespace solen
