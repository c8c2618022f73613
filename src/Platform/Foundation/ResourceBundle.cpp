#include "Platform/Foundation/ResourceBundle.h"

#include "Platform/Foundation/EmbeddedResources.h"

namespace solen::platform {

std::optional<Image> ResourceBundle::image(std::string_view name) {
    for (const EmbeddedResource& resource : embeddedResources()) {
        if (resource.name == name) {
            return Image::fromData(Image::Data(resource.bytes.begin(), resource.bytes.end()));
        }
    }
    return std::nullopt;
}

}  // namespace solen::platform
