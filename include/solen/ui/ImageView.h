#pragma once

#include <solen/SolenExport.h>
#include <solen/ui/Image.h>
#include <solen/ui/View.h>

#include <memory>
#include <optional>

namespace solen::platform {

// A view that shows an image. Nothing is rendered; a new image or content mode asks for
// drawing. Like on the platform, an image view starts with user interaction off. Main thread
// only, like every view.
class SOLEN_EXPORT ImageView : public View {
public:
    // How the image fits the bounds, with the platform's raw values. `center` shows the image at
    // its own size in the middle of the bounds.
    enum class ContentMode { scaleToFill = 0, scaleAspectFit = 1, scaleAspectFill = 2, center = 4 };

    static std::shared_ptr<ImageView> create(Rect frame = {});
    explicit ImageView(Rect frame = {});

    const std::optional<Image>& image() const { return image_; }
    void setImage(std::optional<Image> image);
    ContentMode contentMode() const { return contentMode_; }
    void setContentMode(ContentMode mode);

private:
    std::optional<Image> image_;
    ContentMode contentMode_ = ContentMode::scaleToFill;
};

}  // namespace solen::platform
