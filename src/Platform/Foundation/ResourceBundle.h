#pragma once

#include <solen/ui/Image.h>

#include <optional>
#include <string_view>

namespace solen::platform {

// The SDK's own resource bundle: the images built into the library (resources/images), found by
// exact name without extension ("sol_Play"). Thread-safe: the resources are read-only.
class ResourceBundle {
public:
    // The image called `name`; none when the bundle holds no resource of that exact name (case
    // counts) or its bytes are not an image. Resource images have scale 1: their size in points
    // is their pixel size.
    static std::optional<Image> image(std::string_view name);
};

}  // namespace solen::platform
