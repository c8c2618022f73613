#pragma once

#include <solen/SolenExport.h>

namespace solen::host {

// The application's lifecycle as the host reports it. Each report moves the application's state
// and posts the platform's notifications on the main thread, in the platform's order:
//   didFinishLaunching   not launched -> active (posts nothing: an application starts active)
//   didEnterBackground   active -> background: "UIApplicationWillResignActiveNotification",
//                        then "UIApplicationDidEnterBackgroundNotification"; the SDK's stored
//                        values are saved at once, since a background application may be ended
//   willEnterForeground  background -> inactive: "UIApplicationWillEnterForegroundNotification"
//   didBecomeActive      inactive or background -> active: "UIApplicationDidBecomeActiveNotification"
//                        (from the background the foreground report is implied and posted first)
// A report that does not fit the current state (anything before the launch, the launch twice,
// the background twice, the foreground while active) is logged and ignored.
//
// Main thread: from another thread a report is logged and moved to the main thread (it happens
// on a later turn of the loop); `state` then waits for the main thread's answer.
class SOLEN_EXPORT Lifecycle {
public:
    enum class State { notLaunched, active, inactive, background };

    Lifecycle() = delete;

    static void didFinishLaunching();
    static void didBecomeActive();
    static void didEnterBackground();
    static void willEnterForeground();

    static State state();
};

}  // namespace solen::host
