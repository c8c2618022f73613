#include "Ad/Network/Signals/Device.h"

#include "Ad/Network/Signals/TimeConversion.h"
#include "Platform/Device/CurrentDevice.h"
#include "Platform/Foundation/FileManager.h"

#include <cstdlib>

namespace solen {

std::string Device::modelIdentifier() {
    std::string machine = platform::CurrentDevice::machineName();
    if (machine == "x86_64" || machine == "i386") {
        if (const char* simulated = std::getenv("SIMULATOR_MODEL_IDENTIFIER"); simulated != nullptr) {
            return simulated;
        }
    }
    return machine;
}

int Device::deviceType() {
    const std::string model = modelIdentifier();
    if (model.find("iPhone") != std::string::npos) {
        return 4;
    }
    if (model.find("iPad") != std::string::npos) {
        return 5;
    }
    return 0;
}

std::optional<std::int64_t> Device::appInstallTimestamp() {
    auto& files = platform::FileManager::defaultManager();
    const auto directories = files.documentDirectoryURLs();
    if (directories.empty()) {
        return std::nullopt;
    }
    const auto created = files.creationDate(directories.front());
    if (!created) {
        return std::nullopt;
    }
    return TimeConversion::milliseconds(*created);
}

}  // namespace solen
