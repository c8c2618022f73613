#pragma once

#include "Ad/RenderEngine/Protocols/RenderStatusDelegate.h"

namespace solen {

// What a server-to-server facade reports to its adapter: the render view's reports, passed on
// unchanged. Main thread only.
class AdStatusDelegate : public RenderStatusDelegate {};

}  // namespace solen
