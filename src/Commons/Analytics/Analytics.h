#pragma once

#include "Commons/Analytics/Event.h"
#include "Commons/Network/Request.h"

#include <functional>
#include <memory>
#include <vector>

namespace solen {

// The application events reported to the analytics service: "AppLaunch" once per installation
// and "AppOpen" at every start-up and return to the foreground. Each event leaves alone in one
// upload through the tracker manager. Events are sent only when the application has set a
// publisher-provided id and the SDK is initialised. Callable from any thread.
class Analytics {
public:
    // The user-defaults flag set once the launch event has been handed to the sender.
    static constexpr const char* appLaunchKey = "appLaunch";

    // Sends "AppLaunch" once per installation: only with tracking enabled, an install time known
    // and the flag not yet set. The flag is set only once the upload was handed to the sender, so an
    // event that could not be built is tried again at the next start-up; concurrent callers never
    // both send it (one claims it under a lock, the others return).
    static void fireAppLaunchEvent();
    // Sends "AppOpen"; its session step runs even when tracking is not enabled.
    static void fireAppOpenEvent();

    // A publisher-provided id is stored (non-empty text) and the SDK is initialised.
    static bool isTrackingEnabled();
    // Sends one event when tracking is enabled ("Tracking is not enabled" otherwise). True when the
    // upload was handed to the sender.
    static bool fireEvents(const Event& event);
    // The upload of the events to the analytics endpoint, with the analytics document's retries,
    // or nothing ("Invalid url string") for a bad endpoint, no events, or a body without JSON form.
    static std::shared_ptr<Request> createNetworkRequest(const std::vector<Event>& events);

    // Where the SDK's initialised flag is read; the entry class installs it. Until then (or with an
    // empty function) the SDK counts as not initialised.
    static void setInitializationCheck(std::function<bool()> isInitialized);
};

}  // namespace solen
