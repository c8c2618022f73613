#pragma once

namespace solen {

// The events of an ad's video that a network adapter reports.
enum class VideoEvent {
    start,
    firstQuartile,
    midpoint,
    thirdQuartile,
    complete,
    creativeView,
    mute,
    unmute,
    pause,
    rewind,
    resume,
    fullscreen,
    exitFullscreen,
    playerExpand,
    playerCollapse,
    acceptInvitationLinear,
    closeLinear,
    skip,
    progress,
    collapse,
    expand,
    acceptInvitation,
    close,
    unknown,
};

}  // namespace solen
