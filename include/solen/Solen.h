#pragma once

#include <solen/LogLevel.h>
#include <solen/SolenExport.h>
#include <solen/SolenSdkConfiguration.h>
#include <solen/SolenSdkError.h>
#include <solen/host/Location.h>

#include <nlohmann/json.hpp>

#include <functional>
#include <map>
#include <optional>
#include <string>

namespace solen {

// The application's entry point to the SDK as a whole: start-up, consent, version, log level and
// the publisher-provided user data. Static operations only; callable from any thread.
class SOLEN_EXPORT Solen {
public:
    // A dictionary from text keys to free-form JSON values (consent, extras).
    using Dictionary = std::map<std::string, nlohmann::ordered_json>;
    // Receives no error on success, else why the SDK could not start. It runs on the calling
    // thread when the SDK is already initialised or the id or system version is refused, and on a
    // background thread otherwise: hop to the main thread before touching the interface.
    using Completion = std::function<void(std::optional<SolenSdkError> error)>;

    Solen() = delete;

    // Starts the SDK: stores consent and build region, checks the system version (error 1004) and
    // the application id (error 1003), loads the cached configuration and fetches what expired.
    // Succeeds at once when a mediation document was received by an earlier launch; otherwise
    // waits for it and fails with 1001 (1002 without a network) when it does not arrive. Calling
    // it again after success only refreshes consent and build region. The first call starts the
    // HTTP library (and OpenSSL below it) on the calling thread, before any thread of the SDK or of
    // a network uses them; OpenSSL is started without its exit-time cleanup.
    static void initialize(const SolenSdkConfiguration& configuration, Completion completion = nullptr);
    static bool isInitialized();

    // Replaces the consent dictionary; none clears it.
    static void updateGDPRConsent(std::optional<Dictionary> consent);
    // "1.0.0-beta4".
    static std::string getSDKVersion();
    // The console level: none, error lines, or error and information lines (host::Console tells
    // where they go: standard error by default, and what the error level shows). A value outside
    // the three levels is ignored (and reported at the error level).
    static void setLogLevel(LogLevel level);

    // The user's location, sent with ad requests while the signals configuration allows it.
    static void setLocation(const platform::Location& location);
    // Extras sent with ad requests ("gender" 1 or 2 sets the user's gender). Extras that are not a
    // valid JSON object (a non-finite number, binary data) are refused with an error line.
    static void setExtras(const Dictionary& extras);
    // The stored extras; none when nothing is stored.
    static std::optional<Dictionary> getExtras();
    // The publisher-provided user id; with one set the SDK reports installs and app opens.
    static void setPPID(const std::string& ppid);
    static std::optional<std::string> getPPID();
    // Forgets the stored location, gender, extras and publisher-provided id.
    static void cleanUserInfo();

    // The foreground refresh the SDK runs when the application returns to the foreground (it
    // observes that itself once initialised).
    static void updateComponents();
};

}  // namespace solen
