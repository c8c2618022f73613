#include "support/ScopedApplication.h"

#include "Platform/UI/Screen.h"

namespace solen::test {

ScopedApplication::ScopedApplication() {
    platform::Screen::main().reset();
    platform::Application::shared().reset();
}

ScopedApplication::~ScopedApplication() {
    platform::Screen::main().reset();
    platform::Application::shared().reset();
}

std::shared_ptr<platform::Window> ScopedApplication::showKeyWindow() const {
    return showKeyWindow(platform::Screen::main().bounds());
}

std::shared_ptr<platform::Window> ScopedApplication::showKeyWindow(platform::Rect frame) const {
    auto window = platform::Window::create(frame);
    window->makeKeyAndVisible();
    return window;
}

}  // namespace solen::test
