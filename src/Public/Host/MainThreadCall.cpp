#include "Public/Host/MainThreadCall.h"

#include "Commons/Utilities/Logger.h"

#include <string>

namespace solen::host {

bool offMainThread(std::string_view call) {
    if (platform::MainLoop::shared().isMainThread()) {
        return false;
    }
    Logger::applicationError(std::string(call) + " was called off the main thread; it runs on the main thread");
    return true;
}

void runOnMain(std::string_view call, platform::DispatchBlock block) {
    if (offMainThread(call)) {
        platform::MainLoop::shared().async(std::move(block));
    } else {
        block();
    }
}

}  // namespace solen::host
