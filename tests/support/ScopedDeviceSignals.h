#pragma once

#include "Platform/Device/CellularProvider.h"
#include "Platform/Device/NetworkReachability.h"
#include "Platform/Device/TrackingAuthorization.h"

#include <nlohmann/json.hpp>

#include <optional>
#include <string>

namespace solen::test {

// Fixed device, application and platform values for tests of the device signals and the bid
// request. The constructor installs `Values`; `apply` changes them; the destructor puts every
// platform default back (and clears the user agent, the consent dictionary and the cached
// SKAdNetwork list).
class ScopedDeviceSignals {
public:
    struct Values {
        std::string machineName = "iPhone15,2";
        std::string model = "iPhone";
        std::string osVersion = "17.2";
        std::optional<std::string> vendorIdentifier = "5A8C3C1E-1B6A-4F3B-9C0E-2D4F6A8B0C1D";
        std::string advertisingIdentifier = "0D1C2B3A-4F5E-4D6C-8B7A-9F0E1D2C3B4A";
        bool trackingEnabled = true;
        platform::TrackingAuthorization::Status trackingStatus = platform::TrackingAuthorization::Status::authorized;
        std::optional<platform::CellularProvider::Carrier> carrier =
            platform::CellularProvider::Carrier{"Carrier One", "310", "260"};
        std::optional<platform::NetworkReachability::Flags> reachabilityFlags = platform::NetworkReachability::reachable;
        std::optional<std::string> radioTechnology;
        double screenScale = 3;
        std::string locale = "en_US";
        int orientation = 1;
        std::optional<std::string> userAgent = "Mozilla/5.0 (Test)";
        nlohmann::ordered_json bundleInfo = {
            {"CFBundleIdentifier", "com.example.demo"},
            {"CFBundleDisplayName", "Demo"},
            {"CFBundleShortVersionString", "2.1.0"},
        };
    };

    ScopedDeviceSignals() : ScopedDeviceSignals(Values{}) {}
    explicit ScopedDeviceSignals(const Values& values);
    ~ScopedDeviceSignals();
    ScopedDeviceSignals(const ScopedDeviceSignals&) = delete;
    ScopedDeviceSignals& operator=(const ScopedDeviceSignals&) = delete;

    void apply(const Values& values);
    const Values& values() const { return values_; }

private:
    Values values_;
};

}  // namespace solen::test
