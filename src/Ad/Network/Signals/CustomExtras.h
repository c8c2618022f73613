#pragma once

#include "Commons/Utilities/AnyDictionary.h"

#include <optional>

namespace solen {

// The application's extras and custom user identifiers, and the user extension object ("user.ext")
// built from them and the publisher-provided id. Extras carrying a non-empty "qo_customIds" array
// are kept in memory only (guarded); all others are persisted under "customExtras".
class CustomExtras {
public:
    // An empty dictionary, or a value that is not an object, changes nothing.
    static void storeCustomExtras(const AnyDictionary& extras);
    // The persisted extras; none when nothing (or no object) is stored.
    static std::optional<AnyDictionary> loadCustomExtras();
    // The custom identifiers: the extras' own "customIds", then the in-memory "qo_customIds", then
    // {"idType": "PPID", "value": ppId}; none when empty.
    static std::optional<Json> requestExtras(const AnyDictionary& extras);
    // The persisted extras with "customIds" replaced by `requestExtras` and without "gender"; none
    // when empty.
    static std::optional<AnyDictionary> customUserExtras();

    // Forgets the in-memory extras (tests: relaunch).
    static void resetForTesting();
};

}  // namespace solen
