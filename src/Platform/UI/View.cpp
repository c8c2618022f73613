#include <solen/ui/View.h>

#include "Commons/Utilities/Logger.h"
#include "Platform/UI/Layer.h"
#include "Platform/UI/LayoutConstraint.h"

#include <solen/ui/GestureRecognizer.h>
#include <solen/ui/ViewAnimation.h>
#include <solen/ui/ViewController.h>
#include <solen/ui/Window.h>

#include <algorithm>

namespace solen::platform {

std::shared_ptr<View> View::create(Rect frame) { return std::make_shared<View>(frame); }

View::View(Rect frame) : View(frame, nullptr) {}

View::View(Rect frame, std::shared_ptr<Layer> layer)
    : frame_(frame), bounds_(Point{}, frame.size), layer_(layer ? std::move(layer) : Layer::create()) {
    layer_->setFrame(frame);
}

View::~View() {
    // Subviews outlive their superview only through other owners; they no longer have one.
    for (const auto& subview : subviews_) {
        subview->superview_.reset();
    }
}

std::shared_ptr<View> View::self() const {
    return std::const_pointer_cast<View>(weak_from_this().lock());
}

void View::setFrame(Rect frame) {
    const bool resized = !(frame.size == frame_.size);
    frame_ = frame;
    bounds_.size = frame.size;
    layer_->setFrame(frame);
    if (resized) {
        setNeedsLayout();
        setNeedsDisplay();
    }
}

void View::setBounds(Rect bounds) {
    const Point middle = center();
    const bool resized = !(bounds.size == bounds_.size);
    bounds_ = bounds;
    frame_ = Rect(Point{middle.x - bounds.size.width / 2, middle.y - bounds.size.height / 2}, bounds.size);
    layer_->setFrame(frame_);
    if (resized) {
        setNeedsLayout();
        setNeedsDisplay();
    }
}

Point View::center() const {
    return Point{frame_.origin.x + frame_.size.width / 2, frame_.origin.y + frame_.size.height / 2};
}

void View::setCenter(Point center) {
    Rect frame = frame_;
    frame.origin = Point{center.x - frame.size.width / 2, center.y - frame.size.height / 2};
    setFrame(frame);
}

void View::setBackgroundColor(std::optional<Color> color) {
    backgroundColor_ = color;
    layer_->setBackgroundColor(color);
}

void View::addSubview(const std::shared_ptr<View>& view) {
    insertSubview(view, subviews_.size());
}

void View::insertSubview(const std::shared_ptr<View>& view, std::size_t index) {
    if (!view) {
        return;
    }
    if (isDescendantOf(*view)) {
        Logger::error("A view cannot be added to itself or to one of its subviews");
        return;
    }
    const std::shared_ptr<View> me = self();
    if (!me) {
        Logger::error("A view must be owned by a std::shared_ptr to take subviews");
        return;
    }
    const std::shared_ptr<View> child = view;
    const std::shared_ptr<View> oldSuperview = child->superview();
    if (oldSuperview.get() == this) {
        // Only the order changes.
        subviews_.erase(std::find(subviews_.begin(), subviews_.end(), child));
        index = std::min(index, subviews_.size());
        subviews_.insert(subviews_.begin() + static_cast<std::ptrdiff_t>(index), child);
        ViewAnimation::recordSubviewChange(*this, ViewAnimation::SubviewChange::add, *child);
        return;
    }

    const std::shared_ptr<Window> oldWindow = child->window();
    const std::shared_ptr<Window> newWindow = window();
    const bool windowChanges = oldWindow != newWindow;

    child->willMoveToSuperview(me);
    if (windowChanges) {
        child->notifyWillMoveToWindow(newWindow);
    }
    if (const std::shared_ptr<View> current = child->superview()) {
        current->willRemoveSubview(child);
        auto& siblings = current->subviews_;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), child), siblings.end());
        ViewAnimation::recordSubviewChange(*current, ViewAnimation::SubviewChange::remove, *child);
    }
    index = std::min(index, subviews_.size());
    subviews_.insert(subviews_.begin() + static_cast<std::ptrdiff_t>(index), child);
    child->superview_ = me;
    ViewAnimation::recordSubviewChange(*this, ViewAnimation::SubviewChange::add, *child);
    if (windowChanges) {
        child->notifyDidMoveToWindow();
    }
    child->didMoveToSuperview();
    didAddSubview(child);
}

void View::bringSubviewToFront(const std::shared_ptr<View>& view) {
    auto it = std::find(subviews_.begin(), subviews_.end(), view);
    if (it != subviews_.end()) {
        std::rotate(it, it + 1, subviews_.end());
        ViewAnimation::recordSubviewChange(*this, ViewAnimation::SubviewChange::bringToFront, *view);
    }
}

void View::sendSubviewToBack(const std::shared_ptr<View>& view) {
    auto it = std::find(subviews_.begin(), subviews_.end(), view);
    if (it != subviews_.end()) {
        std::rotate(subviews_.begin(), it, it + 1);
    }
}

void View::removeFromSuperview() {
    const std::shared_ptr<View> parent = superview();
    if (!parent) {
        return;
    }
    const std::shared_ptr<View> me = self();
    const std::shared_ptr<Window> oldWindow = window();
    parent->willRemoveSubview(me);
    willMoveToSuperview(nullptr);
    if (oldWindow) {
        notifyWillMoveToWindow(nullptr);
    }
    // A hook may already have moved the view elsewhere.
    if (superview() == parent) {
        auto& siblings = parent->subviews_;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), me), siblings.end());
        superview_.reset();
        ViewAnimation::recordSubviewChange(*parent, ViewAnimation::SubviewChange::remove, *this);
    }
    if (oldWindow) {
        notifyDidMoveToWindow();
    }
    didMoveToSuperview();
}

void View::addGestureRecognizer(const std::shared_ptr<GestureRecognizer>& recognizer) {
    if (!recognizer) {
        return;
    }
    const std::shared_ptr<View> owner = recognizer->view();
    if (owner.get() == this) {
        return;
    }
    if (owner) {
        owner->removeGestureRecognizer(recognizer);
    }
    gestureRecognizers_.push_back(recognizer);
    recognizer->view_ = self();
}

void View::removeGestureRecognizer(const std::shared_ptr<GestureRecognizer>& recognizer) {
    auto it = std::find(gestureRecognizers_.begin(), gestureRecognizers_.end(), recognizer);
    if (it == gestureRecognizers_.end()) {
        return;
    }
    recognizer->view_.reset();
    gestureRecognizers_.erase(it);
}

bool View::isDescendantOf(const View& ancestor) const {
    for (std::shared_ptr<const View> v = self(); v; v = v->superview()) {
        if (v.get() == &ancestor) {
            return true;
        }
    }
    return this == &ancestor;
}

std::shared_ptr<const View> View::topAncestor() const {
    std::shared_ptr<const View> top = self();
    if (!top) {
        return nullptr;
    }
    while (std::shared_ptr<const View> parent = top->superview()) {
        top = parent;
    }
    return top;
}

std::shared_ptr<Window> View::window() const {
    const std::shared_ptr<const View> top = topAncestor();
    if (!top || !top->isWindow()) {
        return nullptr;
    }
    return std::static_pointer_cast<Window>(std::const_pointer_cast<View>(top));
}

std::shared_ptr<ViewController> View::enclosingViewController() const {
    for (std::shared_ptr<const View> v = self(); v; v = v->superview()) {
        if (auto controller = v->viewController()) {
            return controller;
        }
    }
    return nullptr;
}

// Where the origin of this view's coordinate space lies in the space its top view sits in.
Point View::offsetInTopSpace() const {
    Point offset;
    const View* v = this;
    std::shared_ptr<const View> keep;
    while (v) {
        offset.x += v->frame_.origin.x - v->bounds_.origin.x;
        offset.y += v->frame_.origin.y - v->bounds_.origin.y;
        keep = v->superview();
        v = keep.get();
    }
    return offset;
}

Point View::convertTo(Point point, const View* view) const {
    std::shared_ptr<const View> top;
    if (!view) {
        top = topAncestor();
        view = top ? top.get() : this;
    }
    const Point from = offsetInTopSpace();
    const Point to = view->offsetInTopSpace();
    return Point{point.x + from.x - to.x, point.y + from.y - to.y};
}

Rect View::convertTo(Rect rect, const View* view) const {
    return Rect(convertTo(rect.origin, view), rect.size);
}

Point View::convertFrom(Point point, const View* view) const {
    if (!view) {
        const std::shared_ptr<const View> top = topAncestor();
        return (top ? top.get() : this)->convertTo(point, this);
    }
    return view->convertTo(point, this);
}

Rect View::convertFrom(Rect rect, const View* view) const {
    return Rect(convertFrom(rect.origin, view), rect.size);
}

void View::setNeedsLayout() {
    needsLayout_ = true;
    if (const std::shared_ptr<Window> w = window()) {
        w->scheduleUpdatePass();
    }
}

void View::setNeedsDisplay() {
    needsDisplay_ = true;
    if (const std::shared_ptr<Window> w = window()) {
        w->scheduleUpdatePass();
    }
}

void View::displayIfNeeded() {
    const std::shared_ptr<View> keep = self();
    if (needsDisplay_) {
        needsDisplay_ = false;
        draw(bounds_);
    }
    for (const std::shared_ptr<View>& subview : subviews()) {
        if (subview->superview().get() == this) {
            subview->displayIfNeeded();
        }
    }
}

void View::layoutIfNeeded() {
    const std::shared_ptr<View> keep = self();
    if (needsLayout_) {
        needsLayout_ = false;
        const std::shared_ptr<ViewController> controller = viewController();
        if (controller) {
            controller->viewWillLayoutSubviews();
        }
        // Subviews pinned to this view's edges follow its bounds before it lays out the rest.
        LayoutConstraint::applyConstraints(*this);
        layoutSubviews();
        layoutSublayersOfLayer(*layer_);
        if (controller) {
            controller->viewDidLayoutSubviews();
        }
    }
    for (const std::shared_ptr<View>& subview : subviews()) {
        if (subview->superview().get() == this) {
            subview->layoutIfNeeded();
        }
    }
}

void View::notifyWillMoveToWindow(const std::shared_ptr<Window>& newWindow) {
    const std::shared_ptr<View> keep = self();
    willMoveToWindow(newWindow);
    for (const std::shared_ptr<View>& subview : subviews()) {
        subview->notifyWillMoveToWindow(newWindow);
    }
}

void View::notifyDidMoveToWindow() {
    const std::shared_ptr<View> keep = self();
    didMoveToWindow();
    // A view that arrives in a window is drawn there, and laid out if it was marked before.
    if (const std::shared_ptr<Window> w = window()) {
        needsDisplay_ = true;
        w->scheduleUpdatePass();
    }
    for (const std::shared_ptr<View>& subview : subviews()) {
        subview->notifyDidMoveToWindow();
    }
}

void View::willMoveToSuperview(const std::shared_ptr<View>&) {}
void View::didMoveToSuperview() {}
void View::willMoveToWindow(const std::shared_ptr<Window>&) {}
void View::didMoveToWindow() {}
void View::didAddSubview(const std::shared_ptr<View>&) {}
void View::willRemoveSubview(const std::shared_ptr<View>&) {}
void View::layoutSubviews() {}
void View::layoutSublayersOfLayer(Layer&) {}
void View::draw(Rect) {}

}  // namespace solen::platform
