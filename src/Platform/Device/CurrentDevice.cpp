#include "Platform/Device/CurrentDevice.h"

#include "Platform/Device/ProviderSlot.h"

#include <sys/utsname.h>

namespace solen::platform {
namespace {

ProviderSlot<std::string>& machineNameSlot() {
    static ProviderSlot<std::string> slot(&CurrentDevice::systemMachineName);
    return slot;
}

ProviderSlot<std::string>& modelSlot() {
    static ProviderSlot<std::string> slot(&CurrentDevice::systemModel);
    return slot;
}

ProviderSlot<std::optional<std::string>>& vendorSlot() {
    static ProviderSlot<std::optional<std::string>> slot([] { return std::optional<std::string>(); });
    return slot;
}

}  // namespace

std::string CurrentDevice::machineName() { return machineNameSlot().read(); }
std::string CurrentDevice::model() { return modelSlot().read(); }
std::optional<std::string> CurrentDevice::identifierForVendor() { return vendorSlot().read(); }

void CurrentDevice::setMachineNameProvider(std::function<std::string()> provider) {
    machineNameSlot().replace(std::move(provider));
}
void CurrentDevice::setModelProvider(std::function<std::string()> provider) { modelSlot().replace(std::move(provider)); }
void CurrentDevice::setIdentifierForVendorProvider(std::function<std::optional<std::string>()> provider) {
    vendorSlot().replace(std::move(provider));
}

std::string CurrentDevice::systemMachineName() {
    struct utsname names {};
    if (uname(&names) != 0) {
        return {};
    }
    return std::string(names.machine);
}

std::string CurrentDevice::systemModel() {
    struct utsname names {};
    if (uname(&names) != 0) {
        return {};
    }
    return std::string(names.sysname);
}

}  // namespace solen::platform
