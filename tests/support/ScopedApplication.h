#pragma once

#include "Platform/UI/Application.h"

#include <solen/ui/Rect.h>
#include <solen/ui/Window.h>

#include <memory>

namespace solen::test {

// Puts the application and the main screen in their launch state for the life of the object
// (active, no key window, default status bar and screen) and again when destroyed, so that tests
// of one program do not see each other's windows or states.
class ScopedApplication {
public:
    ScopedApplication();
    ~ScopedApplication();
    ScopedApplication(const ScopedApplication&) = delete;
    ScopedApplication& operator=(const ScopedApplication&) = delete;

    platform::Application& application() const { return platform::Application::shared(); }
    // A window over the main screen (or `frame`), made key and visible.
    std::shared_ptr<platform::Window> showKeyWindow() const;
    std::shared_ptr<platform::Window> showKeyWindow(platform::Rect frame) const;
    // Moves the application to the state; the lifecycle notifications are posted before it returns
    // (main thread).
    void moveTo(platform::Application::State state) const { application().moveTo(state); }
};

}  // namespace solen::test
