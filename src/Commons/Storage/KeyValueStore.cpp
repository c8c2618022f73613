#include "Commons/Storage/KeyValueStore.h"

#include "Commons/Utilities/Logger.h"
#include "Platform/Foundation/UserDefaults.h"

namespace solen {

using platform::PropertyValue;
using platform::UserDefaults;

std::string KeyValueStore::storeKey(std::string_view key) {
    std::string composed = "com.solen";
    composed += '_';
    composed += "defaultStore";
    composed += '_';
    composed += key;
    return composed;
}

std::optional<PropertyValue> KeyValueStore::get(std::string_view key) {
    return UserDefaults::standard()->get(storeKey(key));
}

void KeyValueStore::set(std::optional<PropertyValue> value, std::string_view key) {
    const auto defaults = UserDefaults::standard();
    if (value) {
        defaults->set(std::move(*value), storeKey(key));
    } else {
        defaults->remove(storeKey(key));
    }
}

void KeyValueStore::setDictionary(const PropertyValue::Dictionary& dictionary, std::string_view key) {
    PropertyValue value(dictionary);
    if (!PropertyValue::isValidJSONObject(value)) {
        Logger::error("is not a valid JsonObject");
        return;
    }
    set(std::move(value), key);
}

void KeyValueStore::setDictionary(const AnyDictionary& dictionary, std::string_view key) {
    std::optional<PropertyValue> value;
    if (dictionary.is_object() && PropertyValue::isValidJSONObject(dictionary)) {
        value = PropertyValue::fromJson(dictionary);
    }
    if (!value) {
        Logger::error("is not a valid JsonObject");
        return;
    }
    set(std::move(value), key);
}

void KeyValueStore::removeAll(const std::vector<std::string>& prefixes) {
    if (prefixes.empty()) {
        return;
    }
    const auto defaults = UserDefaults::standard();
    const auto entries = defaults->snapshot();
    for (const auto& prefix : prefixes) {
        std::vector<std::string> matching;
        for (const auto& [rawKey, value] : entries) {
            if (rawKey.starts_with(prefix)) {
                matching.push_back(rawKey);
            }
        }
        for (const auto& rawKey : matching) {
            defaults->remove(rawKey);
        }
    }
}

}  // namespace solen
