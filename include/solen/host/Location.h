#pragma once

#include <solen/SolenExport.h>

#include <chrono>

namespace solen::platform {

// A geographic position with its accuracy, as the platform's location services report it.
struct SOLEN_EXPORT Location {
    struct Coordinate {
        double latitude = 0;   // degrees
        double longitude = 0;  // degrees
    };
    using TimePoint = std::chrono::time_point<std::chrono::system_clock, std::chrono::nanoseconds>;

    Coordinate coordinate;
    double altitude = 0;             // metres
    double horizontalAccuracy = 0;   // metres; negative means invalid
    double verticalAccuracy = 0;     // metres
    TimePoint timestamp;             // when the position was determined

    // Latitude within -90...90 and longitude within -180...180 (NaN is outside).
    static bool isValidCoordinate(const Coordinate& coordinate) {
        return coordinate.latitude >= -90.0 && coordinate.latitude <= 90.0 && coordinate.longitude >= -180.0 &&
               coordinate.longitude <= 180.0;
    }
};

}  // namespace solen::platform
