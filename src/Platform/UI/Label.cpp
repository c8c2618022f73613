#include <solen/ui/Label.h>

namespace solen::platform {

std::shared_ptr<Label> Label::create(Rect frame) { return std::make_shared<Label>(frame); }

Label::Label(Rect frame) : View(frame) { setUserInteractionEnabled(false); }

void Label::setText(std::string text) {
    text_ = std::move(text);
    setNeedsDisplay();
}

void Label::setTextColor(Color color) {
    textColor_ = color;
    setNeedsDisplay();
}

void Label::setTextAlignment(TextAlignment alignment) {
    textAlignment_ = alignment;
    setNeedsDisplay();
}

void Label::setNumberOfLines(int lines) {
    numberOfLines_ = lines < 0 ? 0 : lines;
    setNeedsDisplay();
}

}  // namespace solen::platform
