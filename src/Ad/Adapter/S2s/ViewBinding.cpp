#include "Ad/Adapter/S2s/ViewBinding.h"

#include "Commons/Utilities/Logger.h"
#include "Platform/UI/LayoutConstraint.h"

namespace solen {

void bindFrameToSuperviewBounds(const std::shared_ptr<platform::View>& view) {
    const std::shared_ptr<platform::View> superview = view ? view->superview() : nullptr;
    if (!superview) {
        Logger::error("Error! `superview` was nil \u2013 call `addSubview(view: UIView)` before calling "
                      "`bindFrameToSuperviewBounds()` to fix this.");
        return;
    }
    using platform::LayoutAttribute;
    platform::LayoutConstraint::setTranslatesAutoresizingMaskIntoConstraints(*view, false);
    const auto pin = [&](LayoutAttribute edge) {
        return platform::anchor(view, edge).constraintEqualTo(platform::anchor(superview, edge));
    };
    platform::LayoutConstraint::activate(
        {pin(LayoutAttribute::top), pin(LayoutAttribute::bottom), pin(LayoutAttribute::left), pin(LayoutAttribute::right)});
}

}  // namespace solen
