#include "Platform/Device/TelephonyNetworkInfo.h"

#include "Platform/Device/ProviderSlot.h"

namespace solen::platform {

namespace {
ProviderSlot<std::optional<std::string>>& radioSlot() {
    static auto& instance = *new ProviderSlot<std::optional<std::string>>([] { return std::optional<std::string>(); });
    return instance;
}
}  // namespace

std::optional<std::string> TelephonyNetworkInfo::currentRadioAccessTechnology() const { return radioSlot().read(); }

void TelephonyNetworkInfo::setRadioAccessTechnologyProvider(std::function<std::optional<std::string>()> provider) {
    radioSlot().replace(std::move(provider));
}

}  // namespace solen::platform
