#pragma once

#include <solen/ui/Color.h>
#include <solen/ui/Rect.h>
#include <solen/ui/Size.h>

#include <cstddef>
#include <memory>
#include <optional>
#include <vector>

namespace solen::platform {

// A drawing layer with sublayers. Every view owns one; extra layers (gradients, for instance)
// are added to it explicitly. Subviews' layers are not mirrored into the sublayers.
// Main thread only, like views.
class Layer : public std::enable_shared_from_this<Layer> {
public:
    static std::shared_ptr<Layer> create();
    Layer() = default;
    virtual ~Layer() = default;
    Layer(const Layer&) = delete;
    Layer& operator=(const Layer&) = delete;

    Rect frame() const { return frame_; }
    void setFrame(Rect frame) { frame_ = frame; }
    Rect bounds() const { return Rect(Point{}, frame_.size); }

    bool isHidden() const { return hidden_; }
    void setHidden(bool hidden) { hidden_ = hidden; }
    double opacity() const { return opacity_; }
    void setOpacity(double opacity) { opacity_ = opacity; }
    std::optional<Color> backgroundColor() const { return backgroundColor_; }
    void setBackgroundColor(std::optional<Color> color) { backgroundColor_ = color; }
    double cornerRadius() const { return cornerRadius_; }
    void setCornerRadius(double radius) { cornerRadius_ = radius; }
    // Whether sublayers and content are clipped to the bounds (and the corners).
    bool masksToBounds() const { return masksToBounds_; }
    void setMasksToBounds(bool masks) { masksToBounds_ = masks; }
    // The shadow drawn under the layer; recorded only.
    std::optional<Color> shadowColor() const { return shadowColor_; }
    void setShadowColor(std::optional<Color> color) { shadowColor_ = color; }
    Size shadowOffset() const { return shadowOffset_; }
    void setShadowOffset(Size offset) { shadowOffset_ = offset; }
    double shadowOpacity() const { return shadowOpacity_; }
    void setShadowOpacity(double opacity) { shadowOpacity_ = opacity; }
    double shadowRadius() const { return shadowRadius_; }
    void setShadowRadius(double radius) { shadowRadius_ = radius; }

    std::shared_ptr<Layer> superlayer() const { return superlayer_.lock(); }
    // Back to front.
    std::vector<std::shared_ptr<Layer>> sublayers() const { return sublayers_; }
    void addSublayer(const std::shared_ptr<Layer>& layer);
    // An index past the end appends.
    void insertSublayer(const std::shared_ptr<Layer>& layer, std::size_t index);
    void removeFromSuperlayer();

private:
    Rect frame_;
    bool hidden_ = false;
    double opacity_ = 1;
    std::optional<Color> backgroundColor_;
    double cornerRadius_ = 0;
    bool masksToBounds_ = false;
    std::optional<Color> shadowColor_ = Color::black();
    Size shadowOffset_{0, -3};
    double shadowOpacity_ = 0;
    double shadowRadius_ = 3;
    std::weak_ptr<Layer> superlayer_;
    std::vector<std::shared_ptr<Layer>> sublayers_;
};

}  // namespace solen::platform
