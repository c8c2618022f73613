#include "Platform/UI/StackView.h"

#include <algorithm>

namespace solen::platform {

std::shared_ptr<StackView> StackView::create(Rect frame) { return std::make_shared<StackView>(frame); }

std::vector<std::shared_ptr<View>> StackView::arrangedSubviews() const {
    std::vector<std::shared_ptr<View>> views;
    for (const std::weak_ptr<View>& entry : arranged_) {
        if (std::shared_ptr<View> view = entry.lock()) {
            views.push_back(std::move(view));
        }
    }
    return views;
}

void StackView::addArrangedSubview(const std::shared_ptr<View>& view) {
    if (!view || view.get() == this) {
        return;
    }
    removeArrangedSubview(view);
    addSubview(view);
    if (view->superview().get() == this) {
        arranged_.push_back(view);
    }
}

void StackView::removeArrangedSubview(const std::shared_ptr<View>& view) {
    std::erase_if(arranged_, [&view](const std::weak_ptr<View>& entry) {
        return entry.expired() || entry.lock() == view;
    });
}

void StackView::willRemoveSubview(const std::shared_ptr<View>& subview) {
    removeArrangedSubview(subview);
    View::willRemoveSubview(subview);
}

}  // namespace solen::platform
