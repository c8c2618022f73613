#include "Commons/Utilities/AnyDictionary.h"

#include "Commons/Utilities/Logger.h"

#include <cmath>
#include <limits>

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

AnyDictionary decodeValue(const Json& value, const std::string& path) {
    switch (value.type()) {
        case Json::value_t::object: {
            AnyDictionary result = AnyDictionary::object();
            for (auto it = value.begin(); it != value.end(); ++it) {
                result[it.key()] = decodeValue(it.value(), memberPath(path, it.key()));
            }
            return result;
        }
        case Json::value_t::array: {
            AnyDictionary result = AnyDictionary::array();
            std::size_t index = 0;
            for (const auto& element : value) {
                result.push_back(decodeValue(element, elementPath(path, index++)));
            }
            return result;
        }
        case Json::value_t::number_unsigned: {
            const auto number = value.get<std::uint64_t>();
            if (number <= static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
                return AnyDictionary(static_cast<std::int64_t>(number));
            }
            return value;
        }
        case Json::value_t::number_float:
            if (!std::isfinite(value.get<double>())) {
                failCouldNotSerialise(path);
            }
            return value;
        case Json::value_t::number_integer:
        case Json::value_t::boolean:
        case Json::value_t::string:
            return value;
        case Json::value_t::null:
            failNothingSerialisable(path);
        case Json::value_t::binary:
        case Json::value_t::discarded:
            failCouldNotSerialise(path);
    }
    failCouldNotSerialise(path);
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

AnyDictionary decodeAnyDictionary(const JsonReader& reader) { return decodeValue(reader.value(), reader.path()); }

std::optional<AnyDictionary> tryDecodeAnyDictionary(const Json& value) {
    try {
        return decodeValue(value, {});
    } catch (const JsonDecodingError&) {
        return std::nullopt;
    }
}

Json encodeAnyDictionary(const AnyDictionary& value, const std::string& path) { return encodeValue(value, path); }

Json encodeAnyDictionary(const platform::PropertyValue& value, const std::string& path) {
    return encodeProperty(value, path);
}

}  // namespace solen
