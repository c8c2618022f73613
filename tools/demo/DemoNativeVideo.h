#pragma once

#include "DemoTimeline.h"

#include <chrono>
#include <memory>

namespace solen::demo {

// A native video ad won server to server on "demo-native-video", rendered by the SDK into a
// template of the demo's own (title, description, sponsor, call to action, icon, media) in a
// visible window: load, attach, the impression, the muted clip played to its end card, then a tap
// on the call to action. Every callback and what the view tree shows go into the timeline. True
// when the ad loaded, counted its impression, showed its end card and reported the click.
bool runNativeVideo(const std::shared_ptr<DemoTimeline>& timeline, std::chrono::milliseconds limit);

}  // namespace solen::demo
