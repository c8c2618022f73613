#pragma once

#include <solen/ui/Error.h>

#include <string_view>

namespace solen {

// How a media asset can fail the player beyond its own load errors: it loaded but cannot be
// played. As an error object: domain "Solen.PlayerError", code 0, description "failed".
enum class PlayerError { failed };

// The player's error domain name; the player itself never reads it.
inline constexpr std::string_view playerErrorDomain = "PlayerErrorDomain";

// "failed".
std::string_view playerErrorDescription(PlayerError error);
platform::Error toError(PlayerError error);

}  // namespace solen
