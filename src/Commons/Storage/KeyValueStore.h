#pragma once

#include "Commons/Utilities/AnyDictionary.h"
#include "Platform/Foundation/PropertyValue.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace solen {

// The SDK's persistent storage over the standard user-defaults store. Every caller's key is stored
// under "com.solen_defaultStore_<key>"; values are property-list values. Nothing is cached here:
// each call goes to the store, which is thread-safe. Static operations only.
class KeyValueStore {
public:
    // "com.solen" + "_" + "defaultStore" + "_" + key.
    static std::string storeKey(std::string_view key);

    static std::optional<platform::PropertyValue> get(std::string_view key);
    // Stores the value; an absent value removes the entry.
    static void set(std::optional<platform::PropertyValue> value, std::string_view key);
    // Stores the map only when it is a valid JSON object (no dates, no data, finite numbers);
    // otherwise logs "is not a valid JsonObject" and leaves the entry as it was.
    static void setDictionary(const platform::PropertyValue::Dictionary& dictionary, std::string_view key);
    // The same for a free-form value: it must be a JSON object, valid, and free of nulls (the store
    // cannot hold a null); otherwise the same line is logged and nothing changes. Integers beyond
    // the signed 64-bit range are stored as doubles.
    static void setDictionary(const AnyDictionary& dictionary, std::string_view key);
    // Removes every entry of the whole store whose raw key begins with one of the prefixes.
    static void removeAll(const std::vector<std::string>& prefixes);
};

}  // namespace solen
