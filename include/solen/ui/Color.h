#pragma once

#include <solen/SolenExport.h>

namespace solen::platform {

// An RGBA colour with components from 0 to 1.
struct SOLEN_EXPORT Color {
    double red = 0;
    double green = 0;
    double blue = 0;
    double alpha = 1;

    static Color clear() { return {0, 0, 0, 0}; }
    static Color black() { return {0, 0, 0, 1}; }
    static Color white() { return {1, 1, 1, 1}; }

    // The form layers take. Colours and layer colours are one type here.
    Color cgColor() const { return *this; }

    friend bool operator==(const Color&, const Color&) = default;
};

}  // namespace solen::platform
