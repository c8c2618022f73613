#pragma once

#include "Commons/Json/JsonReader.h"

namespace solen {

// Which device signals the SDK may collect. `expiry` is in milliseconds.
struct SignalsConfig {
    double expiry = 0;
    bool location = false;  // a device location fix may be taken and sent
    bool cell = false;      // carrier name and mobile codes may be read and sent

    static SignalsConfig decode(const JsonReader& reader);
    Json encode() const;
    bool operator==(const SignalsConfig&) const = default;
};

}  // namespace solen
