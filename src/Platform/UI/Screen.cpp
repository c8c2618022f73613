#include "Platform/UI/Screen.h"

namespace solen::platform {

Screen& Screen::main() {
    static Screen screen;
    return screen;
}

Rect Screen::bounds() const {
    std::lock_guard lock(mutex_);
    return bounds_;
}

void Screen::setBounds(Rect bounds) {
    std::lock_guard lock(mutex_);
    bounds_ = bounds;
}

double Screen::scale() const {
    std::lock_guard lock(mutex_);
    return scale_;
}

void Screen::setScale(double scale) {
    std::lock_guard lock(mutex_);
    scale_ = scale;
}

void Screen::reset() {
    std::lock_guard lock(mutex_);
    bounds_ = Rect(0, 0, 390, 844);
    scale_ = 3;
}

}  // namespace solen::platform
