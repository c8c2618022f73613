// Fuzz builds send nothing: the parser's default tracker sender does nothing here.
#include "Ad/RenderEngine/Vast/Parser/VastTrackingUrlSender.h"

namespace solen {

void VastTrackingUrlSender::fire(const std::vector<platform::URL>&, const std::optional<std::string>&) {}

}  // namespace solen
