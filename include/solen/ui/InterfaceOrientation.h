#pragma once

namespace solen::platform {

// Interface orientations with the platform's raw values.
enum class InterfaceOrientation : int {
    unknown = 0,
    portrait = 1,
    portraitUpsideDown = 2,
    landscapeRight = 3,
    landscapeLeft = 4,
};

}  // namespace solen::platform
