#include <solen/host/Device.h>

#include "Commons/Utilities/Logger.h"
#include "Platform/Device/AdvertisingIdentifierManager.h"
#include "Platform/Device/CellularProvider.h"
#include "Platform/Device/CurrentDevice.h"
#include "Platform/Device/LocationManager.h"
#include "Platform/Device/OperatingSystem.h"
#include "Platform/Device/TrackingAuthorization.h"
#include "Platform/Foundation/FileManager.h"
#include "Platform/Foundation/Locale.h"
#include "Platform/Foundation/UUID.h"
#include "Platform/Foundation/UserDefaults.h"
#include "Platform/UI/Screen.h"
#include "Public/Host/MainThreadCall.h"

#include <cerrno>
#include <cmath>
#include <regex>
#include <string>
#include <system_error>

#include <unistd.h>

namespace solen::host {

namespace fs = std::filesystem;

namespace {

bool matches(const std::string& text, const char* pattern) {
    return text.size() <= 64 && std::regex_match(text, std::regex(pattern));
}

// Empty when the value is acceptable, else why not.
using Problem = std::string;

// Sets a fact on the main thread, or refuses it with an error line and keeps the previous value.
void setFact(const char* call, const std::string& what, const Problem& problem, platform::DispatchBlock apply) {
    runOnMain(call, [what, problem, apply = std::move(apply)] {
        if (!problem.empty()) {
            Logger::applicationError("Refused " + what + ": " + problem + "; the previous value stays");
            return;
        }
        apply();
    });
}

Problem textProblem(const std::string& text) {
    if (text.empty()) {
        return "it is empty";
    }
    for (const char c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
            return "it holds control characters";
        }
    }
    return {};
}

template <class Enum>
Problem enumProblem(Enum value, int last) {
    const int raw = static_cast<int>(value);
    return raw >= 0 && raw <= last ? Problem{} : "there is no status " + std::to_string(raw);
}

bool positive(double value) { return std::isfinite(value) && value > 0; }

// The folder's creation is the install time. File systems without birth times give the folder's
// modification time instead (the SDK never writes into the documents folder).
std::optional<platform::Clock::WallTimePoint> installTime(const fs::path& path) {
    if (auto birth = platform::FileManager::fileSystemCreationDate(path)) {
        return birth;
    }
    std::error_code error;
    const auto written = fs::last_write_time(path, error);
    if (error) {
        return std::nullopt;
    }
    const auto system = std::chrono::file_clock::to_sys(written);
    return platform::Clock::WallTimePoint(
        std::chrono::duration_cast<platform::Clock::Duration>(system.time_since_epoch()));
}

}  // namespace

void Device::setSystemVersion(const std::string& version) {
    setFact("Device::setSystemVersion", "the system version \"" + version + "\"",
            matches(version, R"([0-9]{1,9}(\.[0-9]{1,9}){0,3})") ? Problem{} : "it is not dotted digits",
            [version] { platform::OperatingSystem::setVersionProvider([version] { return version; }); });
}

std::string Device::systemVersion() {
    return askMain("Device::systemVersion", [] { return platform::OperatingSystem::version(); });
}

void Device::setModel(const std::string& model) {
    setFact("Device::setModel", "the model \"" + model + "\"", textProblem(model),
            [model] { platform::CurrentDevice::setModelProvider([model] { return model; }); });
}

void Device::setMachineName(const std::string& machineName) {
    setFact("Device::setMachineName", "the machine name \"" + machineName + "\"", textProblem(machineName),
            [machineName] { platform::CurrentDevice::setMachineNameProvider([machineName] { return machineName; }); });
}

void Device::setAdvertisingIdentifier(const std::string& identifier) {
    const auto uuid = platform::UUID::fromString(identifier);
    setFact("Device::setAdvertisingIdentifier", "the advertising identifier \"" + identifier + "\"",
            uuid ? Problem{} : "it is not UUID text", [text = uuid ? uuid->uuidString() : std::string()] {
                // As on a phone: the identifier reads as zeros unless tracking is authorised, at
                // the moment it is read (the authorisation may come before or after it).
                platform::AdvertisingIdentifierManager::setAdvertisingIdentifierProvider([text] {
                    using Status = platform::TrackingAuthorization::Status;
                    return platform::TrackingAuthorization::trackingAuthorizationStatus() == Status::authorized
                               ? text
                               : std::string(platform::AdvertisingIdentifierManager::zeroIdentifier);
                });
            });
}

void Device::setTrackingAuthorization(TrackingAuthorization status) {
    setFact("Device::setTrackingAuthorization", "the tracking authorisation", enumProblem(status, 3), [status] {
        using Platform = platform::TrackingAuthorization;
        platform::TrackingAuthorization::setStatusProvider([status] { return static_cast<Platform::Status>(status); });
        platform::AdvertisingIdentifierManager::setTrackingEnabledProvider(
            [status] { return status == TrackingAuthorization::authorized; });
    });
}

void Device::setCarrier(const std::optional<Carrier>& carrier) {
    Problem problem;
    if (carrier) {
        problem = textProblem(carrier->name);
        if (problem.empty() && (!matches(carrier->mobileCountryCode, "[0-9]{3}") ||
                                !matches(carrier->mobileNetworkCode, "[0-9]{2,3}"))) {
            problem = "the country code needs three digits and the network code two or three";
        }
    }
    setFact("Device::setCarrier", "the carrier \"" + (carrier ? carrier->name : std::string()) + "\"", problem,
            [carrier] {
                if (!carrier) {
                    platform::CellularProvider::setProvider([] { return std::nullopt; });
                    return;
                }
                const platform::CellularProvider::Carrier value{carrier->name, carrier->mobileCountryCode,
                                                                carrier->mobileNetworkCode};
                platform::CellularProvider::setProvider([value] { return value; });
            });
}

void Device::setLocale(const std::string& identifier) {
    setFact("Device::setLocale", "the locale \"" + identifier + "\"",
            matches(identifier, "[A-Za-z]{2,8}([_-][A-Za-z0-9]{1,8}){0,3}") ? Problem{}
                                                                            : "it is not language[_Region]",
            [identifier] { platform::Locale::setCurrentOverride(identifier); });
}

void Device::setScreen(platform::Size size, double scale) {
    setFact("Device::setScreen",
            "the screen " + std::to_string(size.width) + " x " + std::to_string(size.height) + " at scale " +
                std::to_string(scale),
            positive(size.width) && positive(size.height) && positive(scale) ? Problem{} : "each figure must be positive",
            [size, scale] {
                platform::Screen::main().setBounds(platform::Rect(platform::Point{}, size));
                platform::Screen::main().setScale(scale);
            });
}

void Device::setLocationServicesEnabled(bool enabled) {
    setFact("Device::setLocationServicesEnabled", "location services", {},
            [enabled] { platform::LocationManager::setLocationServicesEnabled(enabled); });
}

void Device::setLocationAuthorization(LocationAuthorization status) {
    setFact("Device::setLocationAuthorization", "the location authorisation", enumProblem(status, 4), [status] {
        platform::LocationManager::setAuthorizationStatus(
            static_cast<platform::LocationManager::AuthorizationStatus>(status));
    });
}

void Device::updateLocation(const platform::Location& location) {
    const bool valid = platform::Location::isValidCoordinate(location.coordinate) &&
                       std::isfinite(location.altitude) && std::isfinite(location.horizontalAccuracy) &&
                       std::isfinite(location.verticalAccuracy);
    setFact("Device::updateLocation", "a location", valid ? Problem{} : "its coordinate or accuracy is out of range",
            [location] { platform::LocationManager::simulateLocations({location}); });
}

void Device::setDataFolder(const fs::path& folder) {
    setFact("Device::setDataFolder", "the data folder \"" + folder.string() + "\"",
            folder.empty() ? "it is empty" : Problem{}, [folder] {
                const fs::path documents = folder / "Documents";
                std::error_code error;
                fs::create_directories(documents, error);
                // An existing folder the process cannot write would lose every stored value.
                if (!error && (::access(folder.c_str(), W_OK | X_OK) != 0 ||
                               ::access(documents.c_str(), W_OK | X_OK) != 0)) {
                    error = std::error_code(errno, std::generic_category());
                }
                if (error) {
                    Logger::applicationError("Refused the data folder \"" + folder.string() + "\": " + error.message() +
                                             "; the SDK keeps its data in \"" +
                                             platform::UserDefaults::standardPath().parent_path().string() + "\"");
                    return;
                }
                platform::UserDefaults::setStandardPath(folder / "UserDefaults.json");
                auto& files = platform::FileManager::defaultManager();
                files.setDocumentDirectory(documents);
                files.setCreationDateProvider(installTime);
            });
}

}  // namespace solen::host
