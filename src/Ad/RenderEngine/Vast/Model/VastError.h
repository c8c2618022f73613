#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace solen {

// Why a VAST document could not be turned into a model.
enum class VastError {
    invalidXMLDocument,
    invalidVASTDocument,
    unableToParseDocument,
    unableToCreateXMLParser,
    wrapperLimitReached,
    singleRequestTimeLimitReached,
    wrapperTimeLimitReached,
    internalError,
};

// The case name, "invalidXMLDocument".
std::string_view vastErrorName(VastError error);
// The error's number: its position in the enumeration.
std::int64_t vastErrorCode(VastError error);
// "Solen.VastError".
std::string_view vastErrorDomain();
// "VastError error " followed by its number.
std::string vastErrorDescription(VastError error);

}  // namespace solen
