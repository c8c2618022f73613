#pragma once

#include <solen/ui/Rect.h>

#include <mutex>

namespace solen::platform {

// The device's main screen. Readable from any thread (device signals are gathered on
// background queues); the host or a test sets the figures.
class Screen {
public:
    static Screen& main();

    Rect bounds() const;
    void setBounds(Rect bounds);
    double scale() const;
    void setScale(double scale);

    // Back to the defaults: a 390 x 844 point screen at scale 3.
    void reset();

private:
    Screen() = default;
    mutable std::mutex mutex_;
    Rect bounds_{0, 0, 390, 844};
    double scale_ = 3;
};

}  // namespace solen::platform
