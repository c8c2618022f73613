#include "Platform/Device/CurrentDevice.h"

#include "Platform/Device/ProviderSlot.h"

#include <sys/utsname.h>

namespace solen::platform {
namespace {

ProviderSlot<std::string>& machineNameSlot() {
    static auto& slot = *new ProviderSlot<std::string>(&CurrentDevice::systemMachineName);
    return slot;
}

ProviderSlot<std::string>& modelSlot() {
    static auto& slot = *new ProviderSlot<std::string>(&CurrentDevice::systemModel);
    return slot;
}

ProviderSlot<std::optional<std::string>>& vendorSlot() {
    static auto& slot = *new ProviderSlot<std::optional<std::string>>([] { return std::optional<std::string>(); });
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

namespace {

// The kernel's names do not change while the process runs: asked once.
const utsname& systemNames() {
    static const utsname names = [] {
        struct utsname read {};
        if (uname(&read) != 0) {
            read = utsname{};
        }
        return read;
    }();
    return names;
}

}  // namespace

std::string CurrentDevice::systemMachineName() { return std::string(systemNames().machine); }

std::string CurrentDevice::systemModel() { return std::string(systemNames().sysname); }

}  // namespace solen::platform
