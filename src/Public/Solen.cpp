
#include "Ad/Network/Signals/CustomExtras.h"
#include "Commons/Configs/ConfigDefaults.h"
#include "Commons/Storage/KeyValueStore.h"
#include "Commons/Utilities/Logger.h"
#include "Commons/Utilities/PublicInfo.h"
#include "Commons/Utilities/PublisherProvidedInfo.h"
#include "Platform/Foundation/HttpSession.h"
#include "Public/SdkStartup.h"

#include <solen/Solen.h>
#include <solen/host/Location.h>

#include <cmath>

namespace solen {
namespace {

constexpr std::string_view ppIdKey = "ppId";

// What the platform's JSON serialiser accepts: no non-finite number, no binary value.
bool isValidJsonValue(const nlohmann::ordered_json& value) {
    switch (value.type()) {
        case nlohmann::ordered_json::value_t::number_float: return std::isfinite(value.get_ref<const double&>());
        case nlohmann::ordered_json::value_t::binary:
        case nlohmann::ordered_json::value_t::discarded: return false;
        case nlohmann::ordered_json::value_t::object:
        case nlohmann::ordered_json::value_t::array:
            for (const auto& element : value) {
                if (!isValidJsonValue(element)) {
                    return false;
                }
            }
            return true;
        default: return true;
    }
}

}  // namespace

void Solen::initialize(const SolenSdkConfiguration& configuration, Completion completion) {
    // The HTTP and TLS libraries start here, on the host's thread, before the SDK or a network it
    // starts (a cached mediation document starts them at once) makes a thread that uses them.
    platform::HttpSession::globalInitialize();
    SdkStartup::shared()->initialize(configuration, std::move(completion));
}

bool Solen::isInitialized() { return SdkStartup::shared()->isInitialized(); }

void Solen::updateGDPRConsent(std::optional<Dictionary> consent) {
    if (!consent) {
        PublisherProvidedInfo::setConsent(std::nullopt);
        return;
    }
    PublisherProvidedInfo::setConsent(SdkStartup::jsonObject(*consent));
}

std::string Solen::getSDKVersion() { return std::string(ConfigDefaults::sdkVersion); }

void Solen::setLogLevel(LogLevel level) {
    const std::int64_t raw = rawValue(level);
    if (!logLevelFromRawValue(raw)) {
        Logger::log("Ignoring log level " + std::to_string(raw) + ": the levels are 0, 1 and 2", 1);
        return;
    }
    Logger::setLogLevel(static_cast<std::uint8_t>(raw));
}

void Solen::setLocation(const platform::Location& location) { PublisherProvidedInfo::setLocation(location); }

void Solen::setExtras(const Dictionary& extras) {
    const AnyDictionary object = SdkStartup::jsonObject(extras);
    if (!isValidJsonValue(object)) {
        Logger::log("Extras is not a valid JSONObject, Please pass valid JSONObject \n " +
                        object.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace),
                    1);
        return;
    }
    CustomExtras::storeCustomExtras(object);
}

std::optional<Solen::Dictionary> Solen::getExtras() {
    const auto stored = CustomExtras::loadCustomExtras();
    if (!stored || !stored->is_object()) {
        return std::nullopt;
    }
    Dictionary extras;
    for (const auto& [key, value] : stored->items()) {
        extras.emplace(key, value);
    }
    return extras;
}

void Solen::setPPID(const std::string& ppid) { KeyValueStore::set(platform::PropertyValue(ppid), ppIdKey); }

std::optional<std::string> Solen::getPPID() {
    const auto stored = KeyValueStore::get(ppIdKey);
    const std::string* text = stored ? stored->text() : nullptr;
    if (text == nullptr) {
        return std::nullopt;
    }
    return *text;
}

void Solen::cleanUserInfo() {
    for (const PublicInfo info : kAllPublicInfoCases) {
        KeyValueStore::set(std::nullopt, keyValueKey(info));
    }
}

void Solen::updateComponents() { SdkStartup::shared()->updateComponents(); }

}  // namespace solen
