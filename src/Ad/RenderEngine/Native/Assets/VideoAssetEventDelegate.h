#pragma once

#include <solen/adapters/VideoEvent.h>

namespace solen {

// Hears the playback events of a native ad's video (start, quartiles, completion, mute, pause).
// Called on the main thread.
class VideoAssetEventDelegate {
public:
    virtual ~VideoAssetEventDelegate() = default;
    virtual void videoAssetEventOccurred(VideoEvent event) = 0;
};

}  // namespace solen
