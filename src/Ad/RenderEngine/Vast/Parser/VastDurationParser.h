#pragma once

#include <optional>
#include <string_view>

namespace solen {

// Reads a VAST clock time, "HH:MM:SS" with an optional fraction of seconds ("00:01:30.500"),
// into seconds. Colons split the text into pieces, empty pieces dropped; the first piece counts
// hours, the second minutes, every further piece seconds. Blanks around the whole text are
// ignored. Returns no value when a piece is not a finite non-negative decimal number; an empty
// text (or colons only) gives 0.
std::optional<double> parseVastDuration(std::string_view text);

}  // namespace solen
