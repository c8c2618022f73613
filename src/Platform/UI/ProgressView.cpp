#include "Platform/UI/ProgressView.h"

#include <algorithm>
#include <cmath>

namespace solen::platform {

std::shared_ptr<ProgressView> ProgressView::create(Style style) { return std::make_shared<ProgressView>(style); }

ProgressView::ProgressView(Style style) : style_(style) {}

void ProgressView::setProgress(float progress, bool animated) {
    progress_ = std::isnan(progress) ? progress : std::clamp(progress, 0.0f, 1.0f);
    lastChangeAnimated_ = animated;
    setNeedsDisplay();
}

}  // namespace solen::platform
