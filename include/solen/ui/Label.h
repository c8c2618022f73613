#pragma once

#include <solen/SolenExport.h>
#include <solen/ui/Color.h>
#include <solen/ui/View.h>

#include <memory>
#include <string>

namespace solen::platform {

// A view that shows a text. Nothing is rendered; a new text, colour, alignment or line count
// asks for drawing. Like on the platform, a label starts with user interaction off. Main thread
// only, like every view.
class SOLEN_EXPORT Label : public View {
public:
    enum class TextAlignment { left, center, right };

    static std::shared_ptr<Label> create(Rect frame = {});
    explicit Label(Rect frame = {});

    const std::string& text() const { return text_; }
    void setText(std::string text);
    Color textColor() const { return textColor_; }
    void setTextColor(Color color);
    TextAlignment textAlignment() const { return textAlignment_; }
    void setTextAlignment(TextAlignment alignment);
    // The most lines shown; 0 (or a negative count) means as many as the text needs.
    int numberOfLines() const { return numberOfLines_; }
    void setNumberOfLines(int lines);

private:
    std::string text_;
    Color textColor_ = Color::black();
    TextAlignment textAlignment_ = TextAlignment::left;
    int numberOfLines_ = 1;
};

}  // namespace solen::platform
