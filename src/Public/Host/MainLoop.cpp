#include <solen/host/MainLoop.h>

#include "Commons/Utilities/Logger.h"
#include "Platform/Dispatch/MainLoop.h"

namespace solen::host {

namespace {

platform::MainLoop& loop() { return platform::MainLoop::shared(); }

}  // namespace

void MainLoop::bindToCurrentThread() { loop().bindToCurrentThread(); }

bool MainLoop::isMainThread() { return loop().isMainThread(); }

void MainLoop::post(std::function<void()> block) {
    if (!block) {
        Logger::applicationError("An empty block cannot be posted to the main loop");
        return;
    }
    loop().async(std::move(block));
}

void MainLoop::run() { loop().run(); }

void MainLoop::stop() { loop().stop(); }

bool MainLoop::runUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    if (!condition || timeout.count() < 0) {
        Logger::applicationError("The main loop runs until a condition within a time-out that is not negative");
        return condition && condition();
    }
    return loop().runUntil(condition, timeout);
}

void MainLoop::runFor(std::chrono::milliseconds duration) {
    runUntil([] { return false; }, duration);
}

std::size_t MainLoop::runOnce() { return loop().runUntilIdle(); }

}  // namespace solen::host
