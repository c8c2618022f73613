#pragma once

namespace solen {

// The state of a VAST tracker.
enum class TrackingStatus {
    unknown,
    tracking,
    paused,
    complete,
    errored,
};

}  // namespace solen
