#pragma once

#include "Platform/Dispatch/Clock.h"

namespace solen::platform {

// A geographic position with its accuracy, as the platform's location services report it.
struct Location {
    struct Coordinate {
        double latitude = 0;   // degrees
        double longitude = 0;  // degrees
    };

    Coordinate coordinate;
    double altitude = 0;             // metres
    double horizontalAccuracy = 0;   // metres; negative means invalid
    double verticalAccuracy = 0;     // metres
    Clock::WallTimePoint timestamp;  // when the position was determined

    // Latitude within -90...90 and longitude within -180...180 (NaN is outside).
    static bool isValidCoordinate(const Coordinate& coordinate) {
        return coordinate.latitude >= -90.0 && coordinate.latitude <= 90.0 && coordinate.longitude >= -180.0 &&
               coordinate.longitude <= 180.0;
    }
};

}  // namespace solen::platform
