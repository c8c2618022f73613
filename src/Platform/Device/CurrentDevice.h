#pragma once

#include <functional>
#include <optional>
#include <string>

namespace solen::platform {

// Facts about the device the SDK runs on. Linux defaults are what the machine can tell: the
// kernel's machine name ("x86_64"), the system name as the model, and no vendor identifier.
// Tests and hosts replace any of them; an empty function restores the default. Thread-safe.
class CurrentDevice {
public:
    // The hardware model string the kernel reports (the machine field of uname).
    static std::string machineName();
    // The device's localised model name ("iPhone", "iPad", ...).
    static std::string model();
    // The identifier for vendor as UUID text; absent when the platform gives none.
    static std::optional<std::string> identifierForVendor();

    static void setMachineNameProvider(std::function<std::string()> provider);
    static void setModelProvider(std::function<std::string()> provider);
    static void setIdentifierForVendorProvider(std::function<std::optional<std::string>()> provider);

    // The defaults read from this machine (once: they do not change while the process runs).
    static std::string systemMachineName();
    static std::string systemModel();
};

}  // namespace solen::platform
