#pragma once

#include "Platform/Foundation/URL.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace solen {

// The "[ERRORCODE]" macro of VAST Error addresses.
struct VastErrorMacro {
    // The address with every "[ERRORCODE]", and every percent-encoded "%5BERRORCODE%5D" (hex
    // digits in either case), replaced by `code` in decimal. The rest of the address stays byte for
    // byte as written. When the result is not a valid address, the address is returned unchanged.
    static platform::URL applying(const platform::URL& address, std::int64_t code);

    // The text with the macro replaced, as above.
    static std::string replacing(std::string_view text, std::string_view code);
};

}  // namespace solen
