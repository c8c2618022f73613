#pragma once

#include <solen/ui/View.h>

#include <memory>

namespace solen {

// Pins `view` to its superview's four edges: autoresizing-mask translation off, then one
// activation of top, bottom, leading and trailing constraints equal to the superview's, with no
// offset. Without a superview it logs an error line and changes nothing. Main thread only.
void bindFrameToSuperviewBounds(const std::shared_ptr<platform::View>& view);

}  // namespace solen
