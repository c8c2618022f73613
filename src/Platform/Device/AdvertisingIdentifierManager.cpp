#include "Platform/Device/AdvertisingIdentifierManager.h"

#include "Platform/Device/ProviderSlot.h"

namespace solen::platform {
namespace {

ProviderSlot<std::string>& identifierSlot() {
    static auto& slot = *new ProviderSlot<std::string>([] { return std::string(AdvertisingIdentifierManager::zeroIdentifier); });
    return slot;
}

ProviderSlot<bool>& trackingSlot() {
    static auto& slot = *new ProviderSlot<bool>([] { return false; });
    return slot;
}

}  // namespace

std::string AdvertisingIdentifierManager::advertisingIdentifier() { return identifierSlot().read(); }
bool AdvertisingIdentifierManager::isAdvertisingTrackingEnabled() { return trackingSlot().read(); }

void AdvertisingIdentifierManager::setAdvertisingIdentifierProvider(std::function<std::string()> provider) {
    identifierSlot().replace(std::move(provider));
}
void AdvertisingIdentifierManager::setTrackingEnabledProvider(std::function<bool()> provider) {
    trackingSlot().replace(std::move(provider));
}

}  // namespace solen::platform
