#pragma once

namespace solen {

// How the ads of a VAST document are played: one ad, a pod (every ad sequenced) or a buffet
// (some ads sequenced).
enum class TrackerModelType {
    standAlone,
    adPod,
    adBuffet,
};

}  // namespace solen
