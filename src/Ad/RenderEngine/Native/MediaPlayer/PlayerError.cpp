#include "Ad/RenderEngine/Native/MediaPlayer/PlayerError.h"

namespace solen {

std::string_view playerErrorDescription(PlayerError error) {
    switch (error) {
        case PlayerError::failed: return "failed";
    }
    return "failed";
}

platform::Error toError(PlayerError error) {
    platform::Error object;
    object.domain = "Solen.PlayerError";
    object.code = 0;
    object.localizedDescription = std::string(playerErrorDescription(error));
    return object;
}

}  // namespace solen
