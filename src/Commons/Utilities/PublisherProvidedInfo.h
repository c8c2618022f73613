#pragma once

#include "Commons/Utilities/AnyDictionary.h"

#include <solen/host/Location.h>

#include <cstdint>
#include <optional>

namespace solen {

// What the application tells the SDK about its build and its user: the build region and the
// consent dictionary in memory, the user's gender and location in the key-value store ("gender",
// "location"). Static members only. Every value is guarded; readers get copies.
class PublisherProvidedInfo {
public:
    // Raw value of the build region (0 global, 1 China); 0 until initialisation sets it.
    static std::int64_t currentBuildType();
    static void setCurrentBuildType(std::int64_t rawValue);

    // The consent dictionary exactly as the application passed it; none clears it.
    static std::optional<AnyDictionary> consent();
    static void setConsent(std::optional<AnyDictionary> consent);

    // Stores {"longitude", "latitude", "accuracy"} under "location" when the coordinate is valid;
    // an invalid coordinate leaves any earlier location in place.
    static void setLocation(const platform::Location& location);
    // The stored location (altitude 0, vertical accuracy 0, timestamp = now), or none when nothing
    // of the right form is stored.
    static std::optional<platform::Location> location();

    // Takes "gender" from the application's extras when it is the integer 1 or 2; anything else
    // leaves the stored gender unchanged.
    static void setGender(const AnyDictionary& extras);
    // The stored gender's raw value, or none.
    static std::optional<std::int64_t> gender();
};

}  // namespace solen
