#include "Commons/Utilities/StringBoolValue.h"

#include "Commons/Utilities/AsciiCase.h"

namespace solen {

std::optional<bool> boolValue(std::string_view text) {
    if (equalsIgnoringCase(text, "true") || equalsIgnoringCase(text, "yes") || text == "1") {
        return true;
    }
    if (equalsIgnoringCase(text, "false") || equalsIgnoringCase(text, "no") || text == "0") {
        return false;
    }
    return std::nullopt;
}

}  // namespace solen
