#pragma once

#include <solen/ui/Color.h>
#include <solen/ui/View.h>

#include <memory>
#include <optional>

namespace solen::platform {

// A bar that shows how far something has come, from 0 to 1. Finite values are clamped to that
// range; a value that is not a number is kept as it is (nothing to clamp). Records whether the
// last change asked for animation. Main thread only.
class ProgressView : public View {
public:
    enum class Style { default_, bar };

    static std::shared_ptr<ProgressView> create(Style style = Style::default_);
    explicit ProgressView(Style style);

    Style progressViewStyle() const { return style_; }
    float progress() const { return progress_; }
    void setProgress(float progress, bool animated = false);
    bool lastChangeAnimated() const { return lastChangeAnimated_; }

    std::optional<Color> progressTintColor() const { return progressTintColor_; }
    void setProgressTintColor(std::optional<Color> color) { progressTintColor_ = color; }
    std::optional<Color> trackTintColor() const { return trackTintColor_; }
    void setTrackTintColor(std::optional<Color> color) { trackTintColor_ = color; }

private:
    Style style_;
    float progress_ = 0;
    bool lastChangeAnimated_ = false;
    std::optional<Color> progressTintColor_;
    std::optional<Color> trackTintColor_;
};

}  // namespace solen::platform
