#include <solen/ui/ImageView.h>

namespace solen::platform {

std::shared_ptr<ImageView> ImageView::create(Rect frame) { return std::make_shared<ImageView>(frame); }

ImageView::ImageView(Rect frame) : View(frame) { setUserInteractionEnabled(false); }

void ImageView::setImage(std::optional<Image> image) {
    image_ = std::move(image);
    setNeedsDisplay();
}

void ImageView::setContentMode(ContentMode mode) {
    contentMode_ = mode;
    setNeedsDisplay();
}

}  // namespace solen::platform
