#pragma once

#include <solen/SolenExport.h>
#include <solen/host/Location.h>
#include <solen/ui/Size.h>

#include <filesystem>
#include <optional>
#include <string>

namespace solen::host {

// The device's facts, as the operating system of a phone would give them to the SDK. A fact the
// host does not give keeps its Linux default: the kernel's release as the system version, the
// machine's name as the model, the all-zero advertising identifier with tracking not determined,
// no carrier, the locale of the environment, a 390 x 844 point screen at scale 3, location
// services off, and the data under $XDG_DATA_HOME/solen.
//
// Give the facts before initialising the SDK; the system version decides whether it starts
// (at least 10.0.0). A value that is empty or malformed is refused with an error line and the
// previous value stays.
//
// Main thread: from another thread a call is logged and moved to the main thread (it takes
// effect on a later turn of the loop); `systemVersion` then waits for the main thread's answer.
class SOLEN_EXPORT Device {
public:
    enum class TrackingAuthorization { notDetermined = 0, restricted = 1, denied = 2, authorized = 3 };
    enum class LocationAuthorization {
        notDetermined = 0,
        restricted = 1,
        denied = 2,
        authorizedAlways = 3,
        authorizedWhenInUse = 4,
    };
    struct Carrier {
        std::string name;
        std::string mobileCountryCode;  // three digits
        std::string mobileNetworkCode;  // two or three digits
    };

    Device() = delete;

    // Dotted digits, one to four parts ("17", "17.4", "17.4.1").
    static void setSystemVersion(const std::string& version);
    static std::string systemVersion();
    // The model name ("Tablet") and the hardware identifier ("Tablet13,1"); neither may be empty.
    static void setModel(const std::string& model);
    static void setMachineName(const std::string& machineName);
    // UUID text ("6D92078A-8246-4BA4-AE5B-76104861E7DC"). The SDK reads it as the all-zero
    // identifier unless the tracking authorisation is `authorized`, whichever is given first.
    static void setAdvertisingIdentifier(const std::string& identifier);
    static void setTrackingAuthorization(TrackingAuthorization status);
    // None: the device has no SIM.
    static void setCarrier(const std::optional<Carrier>& carrier);
    // "language[_Region]", letters and digits ("en_US", "de", "zh_Hans_CN").
    static void setLocale(const std::string& identifier);
    // The main screen in points, and its pixels per point; all positive.
    static void setScreen(platform::Size size, double scale);
    // Location services: whether they are on, the application's authorisation, and each new
    // position (delivered to the SDK on the main thread while it is listening).
    static void setLocationServicesEnabled(bool enabled);
    static void setLocationAuthorization(LocationAuthorization status);
    static void updateLocation(const platform::Location& location);
    // The folder of the application's data: the SDK keeps its stored values in it and its
    // documents under "Documents". Created when missing; its creation is the install time.
    static void setDataFolder(const std::filesystem::path& folder);
};

}  // namespace solen::host
