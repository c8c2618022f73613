#pragma once

#include "Commons/Json/JsonReader.h"

#include <cstdint>
#include <optional>

namespace solen {

// Case count of an integer-coded creative enumeration (raw values 0 ..< caseCount, 0 = default)
// and its name, the expected type of its decoding errors.
template <class E>
struct IntegerCodedEnumTraits;

// Raw value to case; values outside the range give no case.
template <class E>
std::optional<E> integerCodedEnumFromRaw(std::int64_t raw) {
    if (raw < 0 || raw >= IntegerCodedEnumTraits<E>::caseCount) {
        return std::nullopt;
    }
    return static_cast<E>(raw);
}

// Decodes a JSON value as an integer-coded enumeration. Integers outside the range (negative ones
// included) give the default case 0; anything that is not an integer (null included) fails with
// "Wrong type for MyValue", a type mismatch that names the enumeration as the expected type.
template <class E>
E decodeIntegerCodedEnum(const JsonReader& value) {
    std::int64_t raw = 0;
    try {
        raw = value.asInt64();
    } catch (const JsonDecodingError&) {
        value.reject("Wrong type for MyValue", JsonDecodingError::Kind::typeMismatch,
                     IntegerCodedEnumTraits<E>::name);
    }
    return integerCodedEnumFromRaw<E>(raw).value_or(static_cast<E>(0));
}

// A required enumeration member: a missing key fails as such; a present one (null included) is
// decoded by the enumeration's own rule.
template <class E>
E requireIntegerCodedEnum(const JsonReader& object, std::string_view key) {
    return decodeIntegerCodedEnum<E>(object.at(key));
}

// An optional enumeration member: absent or null gives no value.
template <class E>
std::optional<E> optionalIntegerCodedEnum(const JsonReader& object, std::string_view key) {
    if (!object.hasValue(key)) {
        object.requireObject();
        return std::nullopt;
    }
    return decodeIntegerCodedEnum<E>(object.at(key));
}

template <class E>
std::int64_t integerCodedEnumRaw(E value) {
    return static_cast<std::int64_t>(value);
}

}  // namespace solen
