#include "support/ScopedDeviceSignals.h"

#include "Ad/Network/BidRequestAssembler.h"
#include "Commons/Utilities/PublisherProvidedInfo.h"
#include "Commons/Utilities/Utilities.h"
#include "Platform/Device/AdvertisingIdentifierManager.h"
#include "Platform/Device/CurrentDevice.h"
#include "Platform/Device/OperatingSystem.h"
#include "Platform/Device/TelephonyNetworkInfo.h"
#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/Locale.h"
#include "Platform/UI/Application.h"
#include "Platform/UI/Screen.h"

namespace solen::test {

ScopedDeviceSignals::ScopedDeviceSignals(const Values& values) { apply(values); }

void ScopedDeviceSignals::apply(const Values& values) {
    using namespace platform;
    values_ = values;
    CurrentDevice::setMachineNameProvider([v = values.machineName] { return v; });
    CurrentDevice::setModelProvider([v = values.model] { return v; });
    CurrentDevice::setIdentifierForVendorProvider([v = values.vendorIdentifier] { return v; });
    OperatingSystem::setVersionProvider([v = values.osVersion] { return v; });
    AdvertisingIdentifierManager::setAdvertisingIdentifierProvider([v = values.advertisingIdentifier] { return v; });
    AdvertisingIdentifierManager::setTrackingEnabledProvider([v = values.trackingEnabled] { return v; });
    TrackingAuthorization::setStatusProvider([v = values.trackingStatus] { return v; });
    CellularProvider::setProvider([v = values.carrier] { return v; });
    NetworkReachability::setProvider([v = values.reachabilityFlags] { return v; });
    TelephonyNetworkInfo::setRadioAccessTechnologyProvider([v = values.radioTechnology] { return v; });
    Screen::main().setScale(values.screenScale);
    Locale::setCurrentOverride(values.locale);
    Application::shared().setStatusBarOrientation(static_cast<InterfaceOrientation>(values.orientation));
    Bundle::main().setInfoDictionary(values.bundleInfo);
    Utilities::setUserAgent(values.userAgent);
    BidRequestAssembler::resetSkAdNetworkIdentifiers();
}

ScopedDeviceSignals::~ScopedDeviceSignals() {
    using namespace platform;
    CurrentDevice::setMachineNameProvider({});
    CurrentDevice::setModelProvider({});
    CurrentDevice::setIdentifierForVendorProvider({});
    OperatingSystem::setVersionProvider({});
    AdvertisingIdentifierManager::setAdvertisingIdentifierProvider({});
    AdvertisingIdentifierManager::setTrackingEnabledProvider({});
    TrackingAuthorization::setStatusProvider({});
    CellularProvider::setProvider({});
    NetworkReachability::setProvider({});
    TelephonyNetworkInfo::setRadioAccessTechnologyProvider({});
    Screen::main().reset();
    Locale::setCurrentOverride(std::nullopt);
    Application::shared().setStatusBarOrientation(InterfaceOrientation::portrait);
    Bundle::main().setInfoDictionary(std::nullopt);
    Utilities::setUserAgent(std::nullopt);
    PublisherProvidedInfo::setConsent(std::nullopt);
    BidRequestAssembler::resetSkAdNetworkIdentifiers();
    BidRequestAssembler::setNetworkSdkDataProvider({});
}

}  // namespace solen::test
