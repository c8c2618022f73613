#pragma once

namespace solen::platform {

// Sets of interface orientations with the platform's raw bit values.
enum class InterfaceOrientationMask : unsigned {
    portrait = 2,
    portraitUpsideDown = 4,
    landscapeRight = 8,
    landscapeLeft = 16,
    landscape = 24,
    allButUpsideDown = 26,
    all = 30,
};

constexpr InterfaceOrientationMask operator|(InterfaceOrientationMask a, InterfaceOrientationMask b) {
    return static_cast<InterfaceOrientationMask>(static_cast<unsigned>(a) | static_cast<unsigned>(b));
}

}  // namespace solen::platform
