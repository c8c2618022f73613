#include "Ad/Network/BidRequestAssembler.h"

#include "Ad/Adapter/AdapterUtils.h"
#include "Ad/Network/Signals/CarrierInfo.h"
#include "Ad/Network/Signals/ConsentSignals.h"
#include "Ad/Network/Signals/CustomExtras.h"
#include "Ad/Network/Signals/Device.h"
#include "Ad/Network/Signals/GeoLocation.h"
#include "Ad/Network/Signals/Identifiers.h"
#include "Ad/Network/Signals/TimeConversion.h"
#include "Commons/Configs/ConfigManager.h"
#include "Commons/Configs/ConfigUtil.h"
#include "Commons/Utilities/Logger.h"
#include "Commons/Utilities/PublisherProvidedInfo.h"
#include "Commons/Utilities/Reachability.h"
#include "Commons/Utilities/Utilities.h"
#include "Platform/Device/AdvertisingIdentifierManager.h"
#include "Platform/Device/CurrentDevice.h"
#include "Platform/Device/NetworkReachability.h"
#include "Platform/Device/OperatingSystem.h"
#include "Platform/Device/ProviderSlot.h"
#include "Platform/Device/TrackingAuthorization.h"
#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/FileManager.h"
#include "Platform/Foundation/PropertyValue.h"
#include "Platform/Foundation/UUID.h"
#include "Platform/UI/Screen.h"

#include <filesystem>
#include <limits>
#include <mutex>

namespace solen {
namespace {

platform::ProviderSlot<BidRequestAssembler::NetworkSdkDataProvider>& networkSdkDataSlot() {
    static auto& slot = *new platform::ProviderSlot<BidRequestAssembler::NetworkSdkDataProvider>([] {
        return BidRequestAssembler::NetworkSdkDataProvider(
            [](const std::string& adUnitId) { return AdapterUtils::fetchTPSdksData(adUnitId); });
    });
    return slot;
}

struct SkAdNetworkCache {
    std::mutex mutex;
    std::optional<std::vector<std::string>> identifiers;
};

SkAdNetworkCache& skAdNetworkCache() {
    static auto& cache = *new SkAdNetworkCache;
    return cache;
}

// The name the user sees for the application: the bundle's display name or name, else the name of
// the running program.
std::string applicationDisplayName() {
    auto& bundle = platform::Bundle::main();
    for (const char* key : {"CFBundleDisplayName", "CFBundleName"}) {
        if (auto value = bundle.objectForInfoDictionaryKey(key); value && value->is_string()) {
            return value->get<std::string>();
        }
    }
    // The running program stays the same for the life of the process: its name is read once.
    static const auto& programName = *new std::string([] {
        std::error_code error;
        const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
        return error ? std::string() : platform::FileManager::displayName(executable);
    }());
    return programName;
}

// Tracking authorisation and the SKAdNetwork identifiers exist from system version 14 on.
bool isSystem14OrLater() { return platform::OperatingSystem::isAtLeast(14, 0); }

int clampToInt(std::int64_t value) {
    if (value > std::numeric_limits<int>::max()) {
        return std::numeric_limits<int>::max();
    }
    if (value < std::numeric_limits<int>::min()) {
        return std::numeric_limits<int>::min();
    }
    return static_cast<int>(value);
}

}  // namespace

AdRequestParam BidRequestAssembler::assemble(const std::string& adUnitId, const ImpressionInfo& impressionInfo) {
    AdRequestParam document;
    document.device = deviceInfo();
    document.app = appInfo();
    document.ext.sdk = sdkExtrasInfo(adUnitId);
    if (isSystem14OrLater()) {
        if (auto identifiers = skAdNetworkIdentifiers(); !identifiers.empty()) {
            document.ext.skadn = SKAdNetworkInfo{SKAdNetworkInfo::currentVersion, std::move(identifiers)};
        }
    }
    const auto provider = networkSdkDataSlot().read();
    if (auto data = provider(adUnitId); data && !data->empty()) {
        document.ext.tpnsdks = std::move(data);
    }
    document.imp = impressionInfo;
    document.user = userInfo();
    document.regs = regsInfo();
    return document;
}

AdRequestParam::TextResult BidRequestAssembler::assembleBody(const std::string& adUnitId,
                                                             const ImpressionInfo& impressionInfo) {
    auto result = assemble(adUnitId, impressionInfo).tryEncodeText();
    if (!result) {
        Logger::error(result.error);
    }
    return result;
}

DeviceInfo BidRequestAssembler::deviceInfo() {
    DeviceInfo info;
    info.lmt = platform::AdvertisingIdentifierManager::isAdvertisingTrackingEnabled() ? 1 : 0;
    if (isSystem14OrLater()) {
        info.att = std::to_string(static_cast<int>(platform::TrackingAuthorization::trackingAuthorizationStatus()));
    }
    info.screendensity = platform::Screen::main().scale();
    info.localization = Utilities::localeIdentifier();
    info.orientation = Utilities::interfaceOrientation();
    if (const auto flags = platform::NetworkReachability::internetFlags()) {
        info.connectiontype = static_cast<int>(Reachability::currentConnectionType(*flags)) - 1;
    } else {
        info.connectiontype = -1;
    }
    info.ua = Utilities::userAgent();
    info.make = deviceMake;
    info.model = platform::CurrentDevice::model();
    info.osv = platform::OperatingSystem::version();
    info.hwv = Device::modelIdentifier();
    info.devicetype = Device::deviceType();
    info.carrier = CarrierInfo::carrierName();
    info.mccmnc = CarrierInfo::mccMnc();
    info.geo = geoInfo();
    return info;
}

std::optional<GeoInfo> BidRequestAssembler::geoInfo() {
    if (!ConfigUtil::signalsConfig().location) {
        return std::nullopt;
    }
    int source = GeoInfo::sourceDeviceLookup;
    auto location = GeoLocation::shared()->deviceLocation();
    if (!location) {
        source = GeoInfo::sourcePublisher;
        location = PublisherProvidedInfo::location();
    }
    if (!location) {
        return std::nullopt;
    }
    return GeoInfo{location->coordinate.latitude, location->coordinate.longitude, source,
                   location->horizontalAccuracy};
}

AppInfo BidRequestAssembler::appInfo() {
    AppInfo info;
    info.bundle = platform::Bundle::main().bundleIdentifier();
    info.name = applicationDisplayName();
    info.ver = Utilities::appVersion();
    return info;
}

SdkExtrasInfo BidRequestAssembler::sdkExtrasInfo(const std::string& adUnitId) {
    SdkExtrasInfo info;
    info.idmap = Identifiers::getIdentifiers();
    const double sessionLengthSeconds = ConfigUtil::analyticsConfig().sessionLength / 1000.0;
    info.sid = Identifiers::rollSessionIfIdle(sessionLengthSeconds);
    info.rid = platform::UUID().uuidString();
    info.ts = TimeConversion::milliseconds(TimeConversion::now());
    info.mediationconfigts = TimeConversion::truncateToInt64(ConfigManager::storedValue(ConfigManager::StoredValueKey::lastUpdatedTs, ConfigType::primeMediation));
    // The serialiser takes only a top-level map or array of JSON-valid members; anything else
    // (a bare text or boolean, a non-finite number, text that is not UTF-8) leaves `ats` out.
    if (const auto ats = Utilities::appTransportSecurity(); ats && platform::PropertyValue::isValidJSONObject(*ats)) {
        try {
            info.ats = ats->dump();
        } catch (const Json::exception&) {
        }
    }
    info.ver = SdkExtrasInfo::sdkVersion;
    info.adUnitId = adUnitId;
    return info;
}

UserInfo BidRequestAssembler::makeUserInfo() {
    UserInfo info;
    if (const auto gender = PublisherProvidedInfo::gender()) {
        info.gender = clampToInt(*gender);
    }
    if (auto extension = CustomExtras::customUserExtras(); extension && !extension->empty()) {
        info.ext = std::move(extension);
    }
    return info;
}

std::optional<UserInfo> BidRequestAssembler::userInfo() {
    UserInfo info = makeUserInfo();
    if (!info.gender && !info.ext) {
        return std::nullopt;
    }
    return info;
}

std::optional<RegsInfo> BidRequestAssembler::regsInfo() {
    auto consent = ConsentSignals::selectConsent();
    if (!consent) {
        return std::nullopt;
    }
    return RegsInfo{std::move(consent)};
}

std::vector<std::string> BidRequestAssembler::skAdNetworkIdentifiers() {
    SkAdNetworkCache& cache = skAdNetworkCache();
    std::lock_guard lock(cache.mutex);
    if (!cache.identifiers) {
        const auto items = platform::Bundle::main().objectForInfoDictionaryKey("SKAdNetworkItems");
        cache.identifiers = items ? skAdNetworkIdentifiers(*items) : std::vector<std::string>();
    }
    return *cache.identifiers;
}

std::vector<std::string> BidRequestAssembler::skAdNetworkIdentifiers(const Json& items) {
    std::vector<std::string> identifiers;
    if (!items.is_array()) {
        return identifiers;
    }
    for (const auto& item : items) {
        if (!item.is_object()) {
            continue;
        }
        bool allText = true;
        for (const auto& value : item) {
            allText = allText && value.is_string();
        }
        if (!allText) {
            continue;
        }
        if (const auto it = item.find("SKAdNetworkIdentifier"); it != item.end()) {
            identifiers.push_back(it->get<std::string>());
        }
    }
    return identifiers;
}

void BidRequestAssembler::resetSkAdNetworkIdentifiers() {
    SkAdNetworkCache& cache = skAdNetworkCache();
    std::lock_guard lock(cache.mutex);
    cache.identifiers.reset();
}

void BidRequestAssembler::setNetworkSdkDataProvider(NetworkSdkDataProvider provider) {
    if (!provider) {
        networkSdkDataSlot().replace({});
        return;
    }
    networkSdkDataSlot().replace([provider = std::move(provider)] { return provider; });
}

}  // namespace solen
