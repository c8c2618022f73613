#pragma once

#include "Commons/Json/JsonReader.h"
#include "Commons/Json/JsonWriter.h"
#include "Platform/Foundation/PropertyValue.h"

#include <optional>
#include <string>
#include <string_view>

namespace solen {

// A free-form JSON value whose shape the SDK does not fix (extensions, consent, adapter meta data,
// rewards, impression data): an object, an array or a scalar, nested to any depth. Despite the
// name it may hold any JSON value; member order is kept.
using AnyDictionary = Json;

// Contact text that ends the console lines of a failed free-form conversion.
inline constexpr std::string_view kAnyDictionarySupportContact = "support@solen.ai";

// Decodes a received free-form value. Numbers keep their kind: integers stay integers (an integer
// beyond the signed 64-bit range stays an unsigned 64-bit integer when it fits, else it was
// already read as a double; it never wraps), fractions stay doubles. A JSON null anywhere in the
// value makes the whole decode fail with "the container contains nothing serialisable" at the
// null's key path; a value with no JSON form at all fails with "Could not serialise". Both are
// logged. Throws JsonDecodingError.
AnyDictionary decodeAnyDictionary(const JsonReader& reader);
// The same without an exception: nothing when the value does not decode.
std::optional<AnyDictionary> tryDecodeAnyDictionary(const Json& value);

// Encodes a free-form value for sending. A member without a JSON form (null, a non-finite number,
// binary data) makes the whole encode fail with "The value is not encodable" at that member's key
// path; it is logged. Throws JsonEncodingError.
Json encodeAnyDictionary(const AnyDictionary& value, const std::string& path = {});
// A property-list value: dates and data have no JSON form and fail the same way.
Json encodeAnyDictionary(const platform::PropertyValue& value, const std::string& path = {});

}  // namespace solen
