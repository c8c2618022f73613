#pragma once

#include <solen/ui/View.h>

#include <memory>
#include <vector>

namespace solen::platform {

// Space kept inside a view's edges.
struct EdgeInsets {
    double top = 0;
    double left = 0;
    double bottom = 0;
    double right = 0;

    friend bool operator==(const EdgeInsets&, const EdgeInsets&) = default;
};

// A view that lines up its arranged views along one axis. The arrangement (axis, spacing,
// alignment, distribution, margins) is recorded; layout does not position the views. Every
// arranged view is also a subview; a view that leaves the stack view's subviews leaves the
// arranged views too. Main thread only.
class StackView : public View {
public:
    enum class Axis { horizontal, vertical };
    enum class Alignment { fill, leading, firstBaseline, center, trailing, lastBaseline };
    enum class Distribution { fill, fillEqually, fillProportionally, equalSpacing, equalCentering };

    static std::shared_ptr<StackView> create(Rect frame = {});
    explicit StackView(Rect frame = {}) : View(frame) {}

    Axis axis() const { return axis_; }
    void setAxis(Axis axis) { axis_ = axis; }
    double spacing() const { return spacing_; }
    void setSpacing(double spacing) { spacing_ = spacing; }
    Alignment alignment() const { return alignment_; }
    void setAlignment(Alignment alignment) { alignment_ = alignment; }
    Distribution distribution() const { return distribution_; }
    void setDistribution(Distribution distribution) { distribution_ = distribution; }
    EdgeInsets layoutMargins() const { return layoutMargins_; }
    void setLayoutMargins(EdgeInsets margins) { layoutMargins_ = margins; }
    bool isLayoutMarginsRelativeArrangement() const { return marginsRelative_; }
    void setLayoutMarginsRelativeArrangement(bool relative) { marginsRelative_ = relative; }

    // In order along the axis.
    std::vector<std::shared_ptr<View>> arrangedSubviews() const;
    // Appends the view to the arranged views (moving it to the end when it is one already) and
    // makes it a subview.
    void addArrangedSubview(const std::shared_ptr<View>& view);
    // Takes the view out of the arrangement; it stays a subview.
    void removeArrangedSubview(const std::shared_ptr<View>& view);

    void willRemoveSubview(const std::shared_ptr<View>& subview) override;

private:
    Axis axis_ = Axis::horizontal;
    double spacing_ = 0;
    Alignment alignment_ = Alignment::fill;
    Distribution distribution_ = Distribution::fill;
    EdgeInsets layoutMargins_{8, 8, 8, 8};
    bool marginsRelative_ = false;
    std::vector<std::weak_ptr<View>> arranged_;
};

}  // namespace solen::platform
