#pragma once

#include <solen/SolenExport.h>
#include <solen/ui/Color.h>
#include <solen/ui/Point.h>
#include <solen/ui/Rect.h>

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace solen::platform {

class GestureRecognizer;
class Layer;
class ViewController;
class Window;

// A rectangular area in a tree of views; drawing is a hook that subclasses fill in. Views are owned through
// std::shared_ptr (`create` or std::make_shared of a subclass); a superview owns its subviews
// and each subview refers to its superview weakly. Main thread only.
//
// Moving a view between superviews calls, in this order: willMoveToSuperview, willMoveToWindow
// (for the view and all its descendants, only when the window changes), the move itself,
// didMoveToWindow (likewise), didMoveToSuperview, and the new superview's didAddSubview.
// Subclasses override the hooks and may change the tree from inside them.
class SOLEN_EXPORT View : public std::enable_shared_from_this<View> {
public:
    static std::shared_ptr<View> create(Rect frame = {});
    explicit View(Rect frame = {});
    virtual ~View();
    View(const View&) = delete;
    View& operator=(const View&) = delete;

    // Geometry. The frame is in the superview's coordinates; the bounds are the view's own
    // coordinate space (its origin shifts the content). Changing the size asks for layout.
    Rect frame() const { return frame_; }
    virtual void setFrame(Rect frame);
    Rect bounds() const { return bounds_; }
    virtual void setBounds(Rect bounds);
    Point center() const;
    void setCenter(Point center);

    bool isHidden() const { return hidden_; }
    void setHidden(bool hidden) { hidden_ = hidden; }
    double alpha() const { return alpha_; }
    void setAlpha(double alpha) { alpha_ = alpha; }
    std::optional<Color> backgroundColor() const { return backgroundColor_; }
    void setBackgroundColor(std::optional<Color> color);
    bool clipsToBounds() const { return clipsToBounds_; }
    void setClipsToBounds(bool clips) { clipsToBounds_ = clips; }
    bool isUserInteractionEnabled() const { return userInteractionEnabled_; }
    void setUserInteractionEnabled(bool enabled) { userInteractionEnabled_ = enabled; }
    int tag() const { return tag_; }
    void setTag(int tag) { tag_ = tag; }
    bool isOpaque() const { return opaque_; }
    void setOpaque(bool opaque) { opaque_ = opaque; }
    // How the view follows its superview's size (recorded; layout does not apply it).
    enum AutoresizingMask : unsigned {
        none = 0,
        flexibleLeftMargin = 1 << 0,
        flexibleWidth = 1 << 1,
        flexibleRightMargin = 1 << 2,
        flexibleTopMargin = 1 << 3,
        flexibleHeight = 1 << 4,
        flexibleBottomMargin = 1 << 5,
    };
    unsigned autoresizingMask() const { return autoresizingMask_; }
    void setAutoresizingMask(unsigned mask) { autoresizingMask_ = mask; }
    const std::string& accessibilityLabel() const { return accessibilityLabel_; }
    void setAccessibilityLabel(std::string label) { accessibilityLabel_ = std::move(label); }

    // The backing layer; extra layers go into its sublayers. Layers are internal to the SDK.
    std::shared_ptr<Layer> layer() const { return layer_; }

    // Tree. Subviews are listed back to front.
    std::shared_ptr<View> superview() const { return superview_.lock(); }
    std::vector<std::shared_ptr<View>> subviews() const { return subviews_; }
    // Adding a view that already has another superview moves it; adding one of the own
    // subviews again brings it to the front. A view cannot become its own ancestor.
    void addSubview(const std::shared_ptr<View>& view);
    // An index past the end appends.
    void insertSubview(const std::shared_ptr<View>& view, std::size_t index);
    void bringSubviewToFront(const std::shared_ptr<View>& view);
    void sendSubviewToBack(const std::shared_ptr<View>& view);
    void removeFromSuperview();
    // True for the view itself and for every view below it.
    bool isDescendantOf(const View& ancestor) const;

    // Gesture recognisers, owned by the view, in the order added. Adding one that is attached to
    // another view moves it here; adding one of the own again changes nothing.
    void addGestureRecognizer(const std::shared_ptr<GestureRecognizer>& recognizer);
    void removeGestureRecognizer(const std::shared_ptr<GestureRecognizer>& recognizer);
    const std::vector<std::shared_ptr<GestureRecognizer>>& gestureRecognizers() const { return gestureRecognizers_; }

    // The window at the top of the tree; none when the top is not a window.
    virtual std::shared_ptr<Window> window() const;
    // The view controller whose view is this view or its nearest such ancestor (the responder
    // chain's first view controller).
    std::shared_ptr<ViewController> enclosingViewController() const;
    // The controller whose root view this is, if any.
    std::shared_ptr<ViewController> viewController() const { return viewController_.lock(); }

    // Coordinate conversion through the ancestors. A null `view` stands for the window (the top
    // of the tree when there is no window). Views of two trees are related through their top
    // views' frames (screen coordinates for windows).
    Point convertTo(Point point, const View* view) const;
    Rect convertTo(Rect rect, const View* view) const;
    Point convertFrom(Point point, const View* view) const;
    Rect convertFrom(Rect rect, const View* view) const;

    // Layout. setNeedsLayout marks the view; a view in a window is laid out on a later turn of
    // the main loop, or at once with layoutIfNeeded (which lays out marked views of the subtree,
    // parents before children).
    void setNeedsLayout();
    bool needsLayout() const { return needsLayout_; }
    void layoutIfNeeded();

    // Drawing. A view in a window is drawn (draw with its bounds) on the turn of the main loop
    // after it was added to the window, resized, or marked with setNeedsDisplay; marks made on
    // the same turn give one draw. displayIfNeeded draws the marked views of the subtree at once,
    // parents before children, in a window or not.
    void setNeedsDisplay();
    bool needsDisplay() const { return needsDisplay_; }
    void displayIfNeeded();

    // Hooks; the default implementations do nothing.
    virtual void willMoveToSuperview(const std::shared_ptr<View>& newSuperview);
    virtual void didMoveToSuperview();
    virtual void willMoveToWindow(const std::shared_ptr<Window>& newWindow);
    virtual void didMoveToWindow();
    virtual void didAddSubview(const std::shared_ptr<View>& subview);
    virtual void willRemoveSubview(const std::shared_ptr<View>& subview);
    virtual void layoutSubviews();
    // The backing layer's layout of its sublayers, run after layoutSubviews in each layout pass.
    virtual void layoutSublayersOfLayer(Layer& layer);
    virtual void draw(Rect rect);

protected:
    // For subclasses whose backing layer is of a class of their own (a null layer gets a plain one).
    View(Rect frame, std::shared_ptr<Layer> layer);
    virtual bool isWindow() const { return false; }

private:
    friend class ViewController;
    friend class Window;

    std::shared_ptr<View> self() const;
    std::shared_ptr<const View> topAncestor() const;
    Point offsetInTopSpace() const;
    void notifyWillMoveToWindow(const std::shared_ptr<Window>& newWindow);
    void notifyDidMoveToWindow();

    Rect frame_;
    Rect bounds_;
    bool hidden_ = false;
    double alpha_ = 1;
    std::optional<Color> backgroundColor_;
    bool clipsToBounds_ = false;
    bool userInteractionEnabled_ = true;
    int tag_ = 0;
    bool opaque_ = true;
    unsigned autoresizingMask_ = none;
    std::string accessibilityLabel_;
    bool needsLayout_ = false;
    bool needsDisplay_ = false;
    std::shared_ptr<Layer> layer_;
    std::weak_ptr<View> superview_;
    std::vector<std::shared_ptr<View>> subviews_;
    std::weak_ptr<ViewController> viewController_;
    std::vector<std::shared_ptr<GestureRecognizer>> gestureRecognizers_;
};

}  // namespace solen::platform
