#include "Ad/Network/Signals/Identifiers.h"

#include "Ad/Network/Signals/TimeConversion.h"
#include "Commons/Configs/ConfigManager.h"
#include "Commons/Json/JsonReader.h"
#include "Commons/Json/JsonTextWriter.h"
#include "Commons/Storage/KeyValueStore.h"
#include "Platform/Device/AdvertisingIdentifierManager.h"
#include "Platform/Device/CurrentDevice.h"
#include "Platform/Foundation/UUID.h"

#include <cmath>
#include <mutex>

namespace solen {
namespace {

constexpr const char* lastActivityKey = "lastActivityTs";
constexpr const char* sessionKey = "sessionIdentifier";

struct SessionState {
    std::mutex mutex;
    std::optional<double> lastActivityTs;
    std::optional<std::string> sessionIdentifier;

    double& lastActivityLocked() {
        if (!lastActivityTs) {
            const auto stored = KeyValueStore::get(lastActivityKey);
            const auto number = stored ? stored->number() : std::nullopt;
            // A stored value that is not a finite number would stop the session from ever rolling
            // over; it counts as none.
            lastActivityTs = number && std::isfinite(*number) ? *number : TimeConversion::seconds(TimeConversion::now());
        }
        return *lastActivityTs;
    }

    std::string& sessionLocked() {
        if (!sessionIdentifier) {
            const auto stored = KeyValueStore::get(sessionKey);
            const std::string* text = stored ? stored->text() : nullptr;
            sessionIdentifier = text && !text->empty() ? *text : platform::UUID().uuidString();
        }
        return *sessionIdentifier;
    }

    void writeLastActivityLocked(double seconds) {
        lastActivityTs = seconds;
        KeyValueStore::set(platform::PropertyValue(seconds), lastActivityKey);
    }

    void writeSessionLocked(const std::string& identifier) {
        sessionIdentifier = identifier;
        KeyValueStore::set(platform::PropertyValue(identifier), sessionKey);
    }
};

// The "idmap" text: each identifier the root configuration allows, in this order.
struct IdentifierMap {
    std::optional<std::string> ida;
    std::optional<std::string> idv;

    template <class Writer>
    void encodeMembers(Writer& writer) const {
        writer.set("IDA", ida).set("IDV", idv);
    }
};

SessionState& state() {
    // Never destroyed: start-up and analytics work on background queues may still read the session
    // while the process exits.
    static SessionState& instance = *new SessionState;
    return instance;
}

}  // namespace

std::optional<std::string> Identifiers::getIdentifiers() {
    const auto document = ConfigManager::shared()->getConfig(ConfigType::root);
    const RootConfig* found = document ? std::get_if<RootConfig>(&*document) : nullptr;
    if (found == nullptr) {
        return std::nullopt;
    }
    const RootConfig& root = *found;
    IdentifierMap map;
    if (root.ids.ida) {
        map.ida = platform::AdvertisingIdentifierManager::advertisingIdentifier();
    }
    if (root.ids.idv) {
        map.idv = vendorIdentifier();
    }
    // Written straight as text: the bytes of the same map built as a JSON value and dumped.
    std::string text;
    JsonTextWriter(text).writeRecord(map);
    return text;
}

std::optional<std::string> Identifiers::vendorIdentifier() { return platform::CurrentDevice::identifierForVendor(); }

double Identifiers::lastActivityTs() {
    SessionState& s = state();
    std::lock_guard lock(s.mutex);
    return s.lastActivityLocked();
}

std::string Identifiers::sessionIdentifier() {
    SessionState& s = state();
    std::lock_guard lock(s.mutex);
    return s.sessionLocked();
}

void Identifiers::setLastActivityTs(double seconds) {
    SessionState& s = state();
    std::lock_guard lock(s.mutex);
    s.writeLastActivityLocked(seconds);
}

void Identifiers::setSessionIdentifier(const std::string& identifier) {
    SessionState& s = state();
    std::lock_guard lock(s.mutex);
    s.writeSessionLocked(identifier);
}

double Identifiers::markActivity() {
    SessionState& s = state();
    std::lock_guard lock(s.mutex);
    const double now = TimeConversion::seconds(TimeConversion::now());
    s.writeLastActivityLocked(now);
    return now;
}

std::string Identifiers::rollSessionIfIdle(double sessionLengthSeconds) {
    SessionState& s = state();
    std::lock_guard lock(s.mutex);
    const double now = TimeConversion::seconds(TimeConversion::now());
    if (now - s.lastActivityLocked() > sessionLengthSeconds) {
        s.writeSessionLocked(platform::UUID().uuidString());
        s.writeLastActivityLocked(TimeConversion::seconds(TimeConversion::now()));
    }
    return s.sessionLocked();
}

void Identifiers::resetForTesting() {
    SessionState& s = state();
    std::lock_guard lock(s.mutex);
    s.lastActivityTs.reset();
    s.sessionIdentifier.reset();
}

}  // namespace solen
