#pragma once

#include <solen/ui/View.h>

#include <memory>
#include <vector>

namespace solen::platform {

// The edges, centres and sizes a constraint can relate.
enum class LayoutAttribute { left, right, top, bottom, centerX, centerY, width, height };

// How the first anchor relates to the second.
enum class LayoutRelation { equal, lessThanOrEqual, greaterThanOrEqual };

// The axis a content priority applies to.
enum class LayoutAxis { horizontal, vertical };

class LayoutConstraint;

// One attribute of one view, the start of an equality constraint.
struct LayoutAnchor {
    std::weak_ptr<View> view;
    LayoutAttribute attribute = LayoutAttribute::left;

    // An inactive constraint "this anchor equals `other` plus `constant`".
    std::shared_ptr<LayoutConstraint> constraintEqualTo(const LayoutAnchor& other, double constant = 0) const;
    // An inactive constraint "this anchor `relation` `other` times `multiplier` plus `constant`"
    // (the multiplier is for sizes).
    std::shared_ptr<LayoutConstraint> constraint(LayoutRelation relation, const LayoutAnchor& other,
                                                 double multiplier = 1, double constant = 0) const;
};

// A relation between two anchors, recorded so that tests can check it. Active constraints are
// kept in one list; the layout pass of every view (applyConstraints, run by layoutIfNeeded) gives
// each subview that is pinned to the view's four edges the view's bounds as its frame, and
// activating a constraint marks the constrained view's superview for layout. Other constraints
// are recorded only. Views are held weakly. Main thread only.
class LayoutConstraint {
public:
    LayoutConstraint(LayoutAnchor first, LayoutAnchor second, double constant);
    LayoutConstraint(LayoutAnchor first, LayoutRelation relation, LayoutAnchor second, double multiplier,
                     double constant);

    const LayoutAnchor& firstAnchor() const { return first_; }
    const LayoutAnchor& secondAnchor() const { return second_; }
    double constant() const { return constant_; }
    LayoutRelation relation() const { return relation_; }
    double multiplier() const { return multiplier_; }

    bool isActive() const { return active_; }
    void setActive(bool active);
    static void activate(const std::vector<std::shared_ptr<LayoutConstraint>>& constraints);
    static void deactivate(const std::vector<std::shared_ptr<LayoutConstraint>>& constraints);

    // The active constraints whose first anchor belongs to `view`, in activation order.
    static std::vector<std::shared_ptr<LayoutConstraint>> constraints(const View& view);
    // Deactivates every constraint whose first anchor belongs to `view`.
    static void removeConstraints(const View& view);
    // The layout pass: subviews pinned to all four edges of `superview` take its bounds.
    static void applyConstraints(View& superview);

    // Whether the view's autoresizing mask stands for constraints (true unless switched off).
    static bool translatesAutoresizingMaskIntoConstraints(const View& view);
    static void setTranslatesAutoresizingMaskIntoConstraints(const View& view, bool translates);

    // How strongly a view keeps to its content size along an axis: hugging resists growing
    // (250 unless set), compression resistance resists shrinking (750 unless set). Recorded only.
    static float contentHuggingPriority(const View& view, LayoutAxis axis);
    static void setContentHuggingPriority(const View& view, float priority, LayoutAxis axis);
    static float contentCompressionResistancePriority(const View& view, LayoutAxis axis);
    static void setContentCompressionResistancePriority(const View& view, float priority, LayoutAxis axis);

private:
    // Drops constraints and entries whose views are gone, so that the lists do not grow.
    static void purge();

    LayoutAnchor first_;
    LayoutAnchor second_;
    LayoutRelation relation_ = LayoutRelation::equal;
    double multiplier_ = 1;
    double constant_;
    bool active_ = false;
};

LayoutAnchor anchor(const std::shared_ptr<View>& view, LayoutAttribute attribute);

}  // namespace solen::platform
