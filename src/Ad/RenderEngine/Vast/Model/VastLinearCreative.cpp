#include "Ad/RenderEngine/Vast/Model/VastLinearCreative.h"

#include <cmath>

namespace solen {

VastLinearCreative VastLinearCreative::fromAttributes(const VastAttributes::Map& attributes) {
    VastLinearCreative r;
    r.skipOffset = VastAttributes::text(attributes, "skipoffset");
    return r;
}

std::optional<platform::URL> VastLinearCreative::selectMediaFileURL(bool onWiFi, double screenWidth) const {
    const VastMediaFile* atLeastScreen = nullptr;  // narrowest file at least as wide as the screen
    const VastMediaFile* withinScreen = nullptr;   // widest file not wider than the screen
    const VastMediaFile* narrowest = nullptr;
    const VastMediaFile* widest = nullptr;
    double atLeastWidth = 0, withinWidth = 0, narrowestWidth = 0, widestWidth = 0;
    for (const VastMediaFile& file : files.mediaFiles) {
        if (!file.url) {
            continue;
        }
        const std::optional<double> written = file.width ? VastAttributes::decimal(*file.width) : std::nullopt;
        const double width = written && std::isfinite(*written) ? *written : 0.0;
        if (width >= screenWidth && (atLeastScreen == nullptr || width < atLeastWidth)) {
            atLeastScreen = &file;
            atLeastWidth = width;
        }
        if (width <= screenWidth && (withinScreen == nullptr || width > withinWidth)) {
            withinScreen = &file;
            withinWidth = width;
        }
        if (narrowest == nullptr || width < narrowestWidth) {
            narrowest = &file;
            narrowestWidth = width;
        }
        if (widest == nullptr || width > widestWidth) {
            widest = &file;
            widestWidth = width;
        }
    }
    const VastMediaFile* chosen = onWiFi ? (atLeastScreen != nullptr ? atLeastScreen : widest)
                                         : (withinScreen != nullptr ? withinScreen : narrowest);
    if (chosen == nullptr) {
        return std::nullopt;
    }
    return chosen->url;
}

}  // namespace solen
