#include "Platform/UI/LayoutConstraint.h"

#include <algorithm>
#include <array>

namespace solen::platform {
namespace {

std::vector<std::shared_ptr<LayoutConstraint>>& activeList() {
    static auto& list = *new std::vector<std::shared_ptr<LayoutConstraint>>;
    return list;
}

std::vector<std::weak_ptr<const View>>& nonTranslatingViews() {
    static auto& views = *new std::vector<std::weak_ptr<const View>>;
    return views;
}

// Content priorities set on views, per axis: hugging and compression resistance.
struct ContentPriorities {
    std::weak_ptr<const View> view;
    float hugging[2] = {250, 250};
    float compressionResistance[2] = {750, 750};
};

std::vector<ContentPriorities>& contentPriorities() {
    static auto& list = *new std::vector<ContentPriorities>;
    return list;
}

ContentPriorities* prioritiesOf(const View& view) {
    for (ContentPriorities& entry : contentPriorities()) {
        if (entry.view.lock().get() == &view) {
            return &entry;
        }
    }
    return nullptr;
}

ContentPriorities& prioritiesFor(const View& view) {
    if (ContentPriorities* found = prioritiesOf(view)) {
        return *found;
    }
    std::erase_if(contentPriorities(), [](const ContentPriorities& entry) { return entry.view.expired(); });
    contentPriorities().push_back(ContentPriorities{view.weak_from_this()});
    return contentPriorities().back();
}

bool belongsTo(const LayoutAnchor& anchor, const View& view) {
    const std::shared_ptr<View> owner = anchor.view.lock();
    return owner.get() == &view;
}

}  // namespace

void LayoutConstraint::purge() {
    std::erase_if(activeList(), [](const std::shared_ptr<LayoutConstraint>& constraint) {
        if (constraint->first_.view.expired() || constraint->second_.view.expired()) {
            constraint->active_ = false;
            return true;
        }
        return false;
    });
    std::erase_if(nonTranslatingViews(), [](const std::weak_ptr<const View>& view) { return view.expired(); });
}

LayoutAnchor anchor(const std::shared_ptr<View>& view, LayoutAttribute attribute) { return {view, attribute}; }

std::shared_ptr<LayoutConstraint> LayoutAnchor::constraintEqualTo(const LayoutAnchor& other, double constant) const {
    return std::make_shared<LayoutConstraint>(*this, other, constant);
}

std::shared_ptr<LayoutConstraint> LayoutAnchor::constraint(LayoutRelation relation, const LayoutAnchor& other,
                                                         double multiplier, double constant) const {
    return std::make_shared<LayoutConstraint>(*this, relation, other, multiplier, constant);
}

LayoutConstraint::LayoutConstraint(LayoutAnchor first, LayoutAnchor second, double constant)
    : first_(std::move(first)), second_(std::move(second)), constant_(constant) {}

LayoutConstraint::LayoutConstraint(LayoutAnchor first, LayoutRelation relation, LayoutAnchor second,
                                   double multiplier, double constant)
    : first_(std::move(first)), second_(std::move(second)), relation_(relation), multiplier_(multiplier),
      constant_(constant) {}

void LayoutConstraint::setActive(bool active) {
    if (active_ == active) {
        return;
    }
    active_ = active;
    auto& list = activeList();
    if (!active) {
        std::erase_if(list, [this](const std::shared_ptr<LayoutConstraint>& item) { return item.get() == this; });
    }
}

void LayoutConstraint::activate(const std::vector<std::shared_ptr<LayoutConstraint>>& constraints) {
    purge();
    for (const auto& constraint : constraints) {
        if (!constraint->active_) {
            constraint->active_ = true;
            activeList().push_back(constraint);
            // The constrained view's superview lays it out again on its next pass.
            const std::shared_ptr<View> view = constraint->first_.view.lock();
            if (const std::shared_ptr<View> superview = view ? view->superview() : nullptr) {
                superview->setNeedsLayout();
            }
        }
    }
}

void LayoutConstraint::deactivate(const std::vector<std::shared_ptr<LayoutConstraint>>& constraints) {
    for (const auto& constraint : constraints) {
        constraint->setActive(false);
    }
}

std::vector<std::shared_ptr<LayoutConstraint>> LayoutConstraint::constraints(const View& view) {
    std::vector<std::shared_ptr<LayoutConstraint>> result;
    for (const auto& constraint : activeList()) {
        if (belongsTo(constraint->firstAnchor(), view)) {
            result.push_back(constraint);
        }
    }
    return result;
}

void LayoutConstraint::removeConstraints(const View& view) { deactivate(constraints(view)); }

void LayoutConstraint::applyConstraints(View& superview) {
    constexpr std::array edges{LayoutAttribute::left, LayoutAttribute::right, LayoutAttribute::top,
                               LayoutAttribute::bottom};
    for (const std::shared_ptr<View>& subview : superview.subviews()) {
        unsigned pinned = 0;
        for (const auto& constraint : constraints(*subview)) {
            const LayoutAnchor& first = constraint->firstAnchor();
            const LayoutAnchor& second = constraint->secondAnchor();
            if (belongsTo(second, superview) && first.attribute == second.attribute && constraint->constant() == 0 &&
                constraint->relation() == LayoutRelation::equal && constraint->multiplier() == 1 &&
                std::ranges::find(edges, first.attribute) != edges.end()) {
                pinned |= 1u << static_cast<unsigned>(first.attribute);
            }
        }
        if (pinned == 0b1111) {
            subview->setFrame(superview.bounds());
        }
    }
}

bool LayoutConstraint::translatesAutoresizingMaskIntoConstraints(const View& view) {
    return std::ranges::none_of(nonTranslatingViews(), [&view](const std::weak_ptr<const View>& item) {
        return item.lock().get() == &view;
    });
}

void LayoutConstraint::setTranslatesAutoresizingMaskIntoConstraints(const View& view, bool translates) {
    purge();
    auto& views = nonTranslatingViews();
    std::erase_if(views, [&view](const std::weak_ptr<const View>& item) { return item.lock().get() == &view; });
    if (!translates) {
        views.push_back(view.weak_from_this());
    }
}

float LayoutConstraint::contentHuggingPriority(const View& view, LayoutAxis axis) {
    const ContentPriorities* entry = prioritiesOf(view);
    return entry ? entry->hugging[static_cast<int>(axis)] : ContentPriorities{}.hugging[0];
}

void LayoutConstraint::setContentHuggingPriority(const View& view, float priority, LayoutAxis axis) {
    prioritiesFor(view).hugging[static_cast<int>(axis)] = priority;
}

float LayoutConstraint::contentCompressionResistancePriority(const View& view, LayoutAxis axis) {
    const ContentPriorities* entry = prioritiesOf(view);
    return entry ? entry->compressionResistance[static_cast<int>(axis)] : ContentPriorities{}.compressionResistance[0];
}

void LayoutConstraint::setContentCompressionResistancePriority(const View& view, float priority, LayoutAxis axis) {
    prioritiesFor(view).compressionResistance[static_cast<int>(axis)] = priority;
}

}  // namespace solen::platform
