#include "Ad/RenderEngine/Vast/Model/VastError.h"

namespace solen {

std::string_view vastErrorName(VastError error) {
    switch (error) {
        case VastError::invalidXMLDocument: return "invalidXMLDocument";
        case VastError::invalidVASTDocument: return "invalidVASTDocument";
        case VastError::unableToParseDocument: return "unableToParseDocument";
        case VastError::unableToCreateXMLParser: return "unableToCreateXMLParser";
        case VastError::wrapperLimitReached: return "wrapperLimitReached";
        case VastError::singleRequestTimeLimitReached: return "singleRequestTimeLimitReached";
        case VastError::wrapperTimeLimitReached: return "wrapperTimeLimitReached";
        case VastError::internalError: return "internalError";
    }
    return "internalError";
}

std::int64_t vastErrorCode(VastError error) { return static_cast<std::int64_t>(error); }

std::string_view vastErrorDomain() { return "Solen.VastError"; }

std::string vastErrorDescription(VastError error) {
    return "VastError error " + std::to_string(vastErrorCode(error));
}

}  // namespace solen
