#pragma once

#include "Platform/Dispatch/Clock.h"

#include <nlohmann/json.hpp>

#include <concepts>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace solen::platform {

// A property-list value: text, 64-bit integer, double, boolean, raw bytes, date, array, or
// dictionary with text keys, nested to any depth. Integers and doubles are distinct kinds (1 and
// 1.0 are not equal). There is no null: a property list cannot hold one.
class PropertyValue {
public:
    using Text = std::string;
    using Integer = std::int64_t;
    using Real = double;
    using Data = std::vector<std::uint8_t>;
    using Date = Clock::WallTimePoint;
    using Array = std::vector<PropertyValue>;
    using Dictionary = std::map<std::string, PropertyValue, std::less<>>;

    enum class Kind { text, integer, real, boolean, data, date, array, dictionary };

    // An empty text.
    PropertyValue();
    PropertyValue(Text value);
    PropertyValue(const char* value);
    PropertyValue(std::string_view value);
    PropertyValue(bool value);
    // Integers of any width; an unsigned value beyond the 64-bit signed range becomes a double
    // rather than wrapping.
    template <std::integral T>
        requires(!std::same_as<T, bool> && !std::same_as<T, char>)
    PropertyValue(T value) : PropertyValue(fromIntegral(value)) {}
    PropertyValue(double value);
    PropertyValue(float value);
    PropertyValue(Data value);
    PropertyValue(Date value);
    PropertyValue(Array value);
    PropertyValue(Dictionary value);

    Kind kind() const;
    bool isText() const { return kind() == Kind::text; }
    bool isInteger() const { return kind() == Kind::integer; }
    bool isReal() const { return kind() == Kind::real; }
    bool isBoolean() const { return kind() == Kind::boolean; }
    bool isData() const { return kind() == Kind::data; }
    bool isDate() const { return kind() == Kind::date; }
    bool isArray() const { return kind() == Kind::array; }
    bool isDictionary() const { return kind() == Kind::dictionary; }

    // Typed access: a pointer/value when the value is of that kind, else null/empty.
    const Text* text() const;
    std::optional<Integer> integer() const;
    std::optional<Real> real() const;
    std::optional<bool> boolean() const;
    const Data* data() const;
    std::optional<Date> date() const;
    const Array* array() const;
    const Dictionary* dictionary() const;

    // Numeric reads across the two number kinds: `number()` gives an integer or a double as a
    // double; `wholeNumber()` gives an integer, or a double that holds an exact whole value in the
    // 64-bit range, as an integer.
    std::optional<double> number() const;
    std::optional<Integer> wholeNumber() const;

    // Member of a dictionary value (null when this is not a dictionary or the key is absent).
    const PropertyValue* find(std::string_view key) const;

    friend bool operator==(const PropertyValue& lhs, const PropertyValue& rhs);

    // Short human-readable form for log lines (JSON-like; dates and data in angle brackets).
    std::string description() const;

    // JSON conversion. A date, data, or a non-finite double has no JSON form: toJson() then gives
    // nothing. fromJson() refuses null, binary and discarded values; an integer beyond the 64-bit
    // signed range becomes a double.
    std::optional<nlohmann::ordered_json> toJson() const;
    static std::optional<PropertyValue> fromJson(const nlohmann::ordered_json& json);

    // The JSON-validity check: a top-level dictionary or array whose leaves are texts, numbers,
    // booleans (or null, for JSON input) and whose numbers are all finite.
    static bool isValidJSONObject(const PropertyValue& value);
    static bool isValidJSONObject(const nlohmann::ordered_json& json);

private:
    using Storage = std::variant<Text, Integer, Real, bool, Data, Date, Array, Dictionary>;

    template <class T>
    static PropertyValue fromIntegral(T value) {
        if constexpr (std::is_unsigned_v<T> && sizeof(T) >= sizeof(Integer)) {
            if (value > static_cast<T>(INT64_MAX)) {
                return PropertyValue(static_cast<Real>(value));
            }
        }
        PropertyValue result;
        result.storage_ = static_cast<Integer>(value);
        return result;
    }

    Storage storage_;
};

}  // namespace solen::platform
