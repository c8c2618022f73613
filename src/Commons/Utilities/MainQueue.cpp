#include "Commons/Utilities/MainQueue.h"

#include "Platform/Dispatch/MainLoop.h"

namespace solen {

void performOnMainQueue(platform::DispatchBlock block) { platform::MainLoop::shared().async(std::move(block)); }

void wakeMainQueue() { platform::MainLoop::shared().wakeUp(); }

}  // namespace solen
