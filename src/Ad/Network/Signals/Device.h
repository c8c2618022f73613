#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace solen {

// Hardware model, device type and install time of the device the SDK runs on.
class Device {
public:
    // The kernel's machine name; on a simulator ("x86_64" or "i386") the model it simulates,
    // taken from the environment variable "SIMULATOR_MODEL_IDENTIFIER" when present.
    static std::string modelIdentifier();
    // 4 for a phone ("iPhone" in the model identifier), 5 for a tablet ("iPad"), 0 otherwise.
    static int deviceType();
    // Creation time of the application's documents folder in milliseconds since 1970; none when
    // the folder or its creation time is unknown.
    static std::optional<std::int64_t> appInstallTimestamp();
};

}  // namespace solen
