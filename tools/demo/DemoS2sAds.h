#pragma once

#include "DemoTimeline.h"

#include <solen/ui/WebViewFactory.h>

#include <chrono>
#include <memory>

namespace solen::demo {

// Ad web views that run their pages' scripts; each page's console lines go into the timeline as
// "page". Installed before the SDK renders its first server-to-server ad.
platform::WebViewFactory::Maker scriptedWebViews(std::shared_ptr<DemoTimeline> timeline);

// Server-to-server ads rendered by the SDK: "demo-s2s-banner" in a window, whose MRAID page expands
// itself and closes 300 ms later, then "demo-s2s-interstitial", whose first line item has markup that
// is not base64 and whose second is shown and closed by its page. Every public callback goes into
// the timeline. True when the banner collapsed again and the interstitial was dismissed.
bool runServerToServerAds(const std::shared_ptr<DemoTimeline>& timeline, std::chrono::milliseconds limit);

}  // namespace solen::demo
