#pragma once

#include <solen/ui/InterfaceOrientation.h>
#include <solen/ui/InterfaceOrientationMask.h>

namespace solen::platform {

// Turns the simulated device, as a host or a test would: the application's status-bar
// orientation follows only when the top-most controller over the key window (its root
// controller followed through what it presents) allows rotation and its mask holds the new
// orientation; without a key window or root controller the device turns freely. Main thread only.
class OrientationDriver {
public:
    // Whether the device turned.
    static bool rotate(InterfaceOrientation orientation);
    // Whether `mask` holds `orientation` (unknown is never held).
    static bool allows(InterfaceOrientationMask mask, InterfaceOrientation orientation);
};

}  // namespace solen::platform
