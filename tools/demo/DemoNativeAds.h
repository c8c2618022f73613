#pragma once

#include "DemoTimeline.h"

#include <chrono>
#include <memory>

namespace solen::demo {

// A native ad and a splash against the local ad service: "demo-native" is loaded twice at once (the
// second load ends the first with invalidLoadRequest), then again; after each did-load the ad's
// view is taken and attached to a window. Every callback goes into the timeline. True when the
// native ad reported the refused load, its load and its impression, and the splash its load.
bool runNativeAndSplash(const std::shared_ptr<DemoTimeline>& timeline, std::chrono::milliseconds limit);

}  // namespace solen::demo
