#include "Ad/RenderEngine/Vast/Parser/VastTrackingUrlSender.h"

#include "Commons/Trackers/TrackerManager.h"

namespace solen {

void VastTrackingUrlSender::fire(const std::vector<platform::URL>& urls, const std::optional<std::string>& event) {
    TrackerManager::shared()->fireTrackingUrls(urls, event);
}

}  // namespace solen
