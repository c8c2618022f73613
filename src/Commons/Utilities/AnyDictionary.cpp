#include "Commons/Utilities/AnyDictionary.h"

#include "Commons/Utilities/Logger.h"

#include <cmath>
#include <limits>
#include <utility>
#include <vector>

namespace solen {
namespace {

std::string describePath(const std::string& path) { return path.empty() ? "value at the root" : "value at " + path; }

std::string elementPath(const std::string& path, std::size_t index) {
    return path + "[" + std::to_string(index) + "]";
}

std::string memberPath(const std::string& path, const std::string& key) {
    return path.empty() ? key : path + "." + key;
}

[[noreturn]] void failNothingSerialisable(const std::string& path) {
    const std::string what = "The " + describePath(path) + " contains nothing serialisable";
    Logger::log(what + ", Please contact " + std::string(kAnyDictionarySupportContact), 2);
    Logger::error(what);
    throw JsonDecodingError(path, "the container contains nothing serialisable");
}

[[noreturn]] void failCouldNotSerialise(const std::string& path) {
    Logger::log("Could not serialise, Please contact " + std::string(kAnyDictionarySupportContact), 2);
    Logger::error("Could not serialise");
    throw JsonDecodingError(path, "Could not serialise");
}

[[noreturn]] void failNotEncodable(const std::string& description, const std::string& path) {
    Logger::error("The " + description + " value is not encodable");
    Logger::log("The " + description + " value encoding fails, Please contact " +
                    std::string(kAnyDictionarySupportContact),
                2);
    throw JsonEncodingError(path, "The value is not encodable");
}

// The key path below a free-form value being checked, kept as segments and turned into text only
// when a member fails.
struct Trail {
    const JsonReader* reader = nullptr;  // where the value sits in its document, if read from one
    std::vector<std::pair<const std::string*, std::size_t>> segments;  // a key, or an element index

    std::string text() const {
        std::string path = reader ? reader->path() : std::string();
        for (const auto& [key, index] : segments) {
            path = key ? memberPath(path, *key) : elementPath(path, index);
        }
        return path;
    }
};

// Checks a received free-form value in place: integers that fit become signed, a null anywhere
// or a value without a JSON form fails at its key path.
void normaliseValue(Json& value, Trail& trail) {
    switch (value.type()) {
        case Json::value_t::object:
            for (auto it = value.begin(); it != value.end(); ++it) {
                trail.segments.emplace_back(&it.key(), 0);
                normaliseValue(it.value(), trail);
                trail.segments.pop_back();
            }
            return;
        case Json::value_t::array: {
            std::size_t index = 0;
            for (auto& element : value) {
                trail.segments.emplace_back(nullptr, index++);
                normaliseValue(element, trail);
                trail.segments.pop_back();
            }
            return;
        }
        case Json::value_t::number_unsigned: {
            const auto number = value.get<std::uint64_t>();
            if (number <= static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
                value = static_cast<std::int64_t>(number);
            }
            return;
        }
        case Json::value_t::number_float:
            if (!std::isfinite(value.get<double>())) {
                failCouldNotSerialise(trail.text());
            }
            return;
        case Json::value_t::number_integer:
        case Json::value_t::boolean:
        case Json::value_t::string:
            return;
        case Json::value_t::null:
            failNothingSerialisable(trail.text());
        case Json::value_t::binary:
        case Json::value_t::discarded:
            failCouldNotSerialise(trail.text());
    }
    failCouldNotSerialise(trail.text());
}

Json encodeValue(const Json& value, const std::string& path) {
    switch (value.type()) {
        case Json::value_t::object: {
            Json result = Json::object();
            for (auto it = value.begin(); it != value.end(); ++it) {
                result[it.key()] = encodeValue(it.value(), memberPath(path, it.key()));
            }
            return result;
        }
        case Json::value_t::array: {
            Json result = Json::array();
            std::size_t index = 0;
            for (const auto& element : value) {
                result.push_back(encodeValue(element, elementPath(path, index++)));
            }
            return result;
        }
        case Json::value_t::number_float:
            if (!std::isfinite(value.get<double>())) {
                failNotEncodable(value.dump(), path);
            }
            return value;
        case Json::value_t::number_integer:
        case Json::value_t::number_unsigned:
        case Json::value_t::boolean:
        case Json::value_t::string:
            return value;
        case Json::value_t::null:
            failNotEncodable("null", path);
        case Json::value_t::binary:
            failNotEncodable("<binary>", path);
        case Json::value_t::discarded:
            failNotEncodable("<discarded>", path);
    }
    failNotEncodable("<unknown>", path);
}

Json encodeProperty(const platform::PropertyValue& value, const std::string& path) {
    using Kind = platform::PropertyValue::Kind;
    switch (value.kind()) {
        case Kind::array: {
            Json result = Json::array();
            std::size_t index = 0;
            for (const auto& element : *value.array()) {
                result.push_back(encodeProperty(element, elementPath(path, index++)));
            }
            return result;
        }
        case Kind::dictionary: {
            Json result = Json::object();
            for (const auto& [key, element] : *value.dictionary()) {
                result[key] = encodeProperty(element, memberPath(path, key));
            }
            return result;
        }
        default:
            if (auto json = value.toJson()) {
                return *json;
            }
            failNotEncodable(value.description(), path);
    }
}

}  // namespace

AnyDictionary decodeAnyDictionary(const JsonReader& reader) {
    bool holdsNull = false;
    AnyDictionary value = reader.freeFormValue(&holdsNull);
    // A value built from a parse holds only signed integers where they fit and finite numbers;
    // only a null (unless a repeated key replaced it) can fail it.
    if (holdsNull) {
        Trail trail{&reader, {}};
        normaliseValue(value, trail);
    }
    return value;
}

std::optional<AnyDictionary> tryDecodeAnyDictionary(const Json& value) {
    try {
        AnyDictionary copy = value;
        Trail trail;
        normaliseValue(copy, trail);
        return copy;
    } catch (const JsonDecodingError&) {
        return std::nullopt;
    }
}

Json encodeAnyDictionary(const AnyDictionary& value, const std::string& path) { return encodeValue(value, path); }

Json encodeAnyDictionary(const platform::PropertyValue& value, const std::string& path) {
    return encodeProperty(value, path);
}

}  // namespace solen
