#include <solen/adapters/SolenBaseNativeAdapter.h>

namespace solen {

void SolenBaseNativeAdapter::adViewFrameUpdated(platform::Rect) {}

}  // namespace solen
