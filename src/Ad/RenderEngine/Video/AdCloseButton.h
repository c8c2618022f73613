#pragma once

#include "Platform/UI/Button.h"

namespace solen {

// The close control over an ad or its video: a custom button that, while `graphics` is on, draws
// its own glyph — a white disc with a black disc inside and a white cross over it, filling the
// middle half of the button. Main thread only.
class AdCloseButton final : public platform::Button {
public:
    explicit AdCloseButton(platform::Rect frame = {}) : Button(ButtonType::custom, frame) {}

    bool graphics() const { return graphics_; }
    void setGraphics(bool graphics) { graphics_ = graphics; }

    // Draws into the current drawing context; without one, or with graphics off, nothing.
    void draw(platform::Rect rect) override;

private:
    bool graphics_ = false;
};

}  // namespace solen
