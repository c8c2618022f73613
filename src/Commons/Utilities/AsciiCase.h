#pragma once

#include <string>
#include <string_view>

namespace solen {

// Letter case of ASCII texts (schemes, hosts, command names, keywords); other bytes are left as
// they are. Thread-safe (no state).
std::string lowerCased(std::string_view text);
bool equalsIgnoringCase(std::string_view a, std::string_view b);

}  // namespace solen
