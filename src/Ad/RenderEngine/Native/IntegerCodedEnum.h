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

template <class E>
std::int64_t integerCodedEnumRaw(E value) {
    return static_cast<std::int64_t>(value);
}

}  // namespace solen
