#include "Commons/Utilities/PublisherProvidedInfo.h"

#include "Commons/Storage/KeyValueStore.h"
#include "Platform/Dispatch/Clock.h"

#include <atomic>
#include <mutex>

namespace solen {
namespace {

using platform::PropertyValue;

constexpr std::string_view kLocationKey = "location";
constexpr std::string_view kGenderKey = "gender";

std::atomic<std::int64_t> gCurrentBuildType{0};

struct ConsentCell {
    std::mutex mutex;
    std::optional<AnyDictionary> value;
};

ConsentCell& consentCell() {
    static auto& cell = *new ConsentCell;
    return cell;
}

}  // namespace

std::int64_t PublisherProvidedInfo::currentBuildType() { return gCurrentBuildType.load(); }

void PublisherProvidedInfo::setCurrentBuildType(std::int64_t rawValue) { gCurrentBuildType.store(rawValue); }

std::optional<AnyDictionary> PublisherProvidedInfo::consent() {
    auto& cell = consentCell();
    std::lock_guard<std::mutex> lock(cell.mutex);
    return cell.value;
}

void PublisherProvidedInfo::setConsent(std::optional<AnyDictionary> consent) {
    auto& cell = consentCell();
    std::lock_guard<std::mutex> lock(cell.mutex);
    cell.value = std::move(consent);
}

void PublisherProvidedInfo::setLocation(const platform::Location& location) {
    if (!platform::Location::isValidCoordinate(location.coordinate)) {
        return;
    }
    PropertyValue::Dictionary stored;
    stored.emplace("longitude", location.coordinate.longitude);
    stored.emplace("latitude", location.coordinate.latitude);
    stored.emplace("accuracy", location.horizontalAccuracy);
    KeyValueStore::setDictionary(stored, kLocationKey);
}

std::optional<platform::Location> PublisherProvidedInfo::location() {
    const auto stored = KeyValueStore::get(kLocationKey);
    if (!stored || !stored->isDictionary()) {
        return std::nullopt;
    }
    const auto number = [&](std::string_view key) -> std::optional<double> {
        const auto* member = stored->find(key);
        return member ? member->number() : std::nullopt;
    };
    const auto latitude = number("latitude");
    const auto longitude = number("longitude");
    const auto accuracy = number("accuracy");
    if (!latitude || !longitude || !accuracy) {
        return std::nullopt;
    }
    platform::Location result;
    result.coordinate = {*latitude, *longitude};
    result.altitude = 0;
    result.horizontalAccuracy = *accuracy;
    result.verticalAccuracy = 0;
    result.timestamp = platform::Clock::shared()->wallNow();
    return result;
}

void PublisherProvidedInfo::setGender(const AnyDictionary& extras) {
    if (!extras.is_object()) {
        return;
    }
    const auto it = extras.find(kGenderKey);
    if (it == extras.end() || !it->is_number_integer()) {
        return;
    }
    // An unsigned value is compared as unsigned so that a huge number never wraps onto 1 or 2.
    const bool isOne = it->is_number_unsigned() ? it->get<std::uint64_t>() == 1 : it->get<std::int64_t>() == 1;
    const bool isTwo = it->is_number_unsigned() ? it->get<std::uint64_t>() == 2 : it->get<std::int64_t>() == 2;
    if (isOne || isTwo) {
        KeyValueStore::set(PropertyValue(static_cast<std::int64_t>(isOne ? 1 : 2)), kGenderKey);
    }
}

std::optional<std::int64_t> PublisherProvidedInfo::gender() {
    const auto stored = KeyValueStore::get(kGenderKey);
    if (!stored) {
        return std::nullopt;
    }
    return stored->wholeNumber();
}

}  // namespace solen
