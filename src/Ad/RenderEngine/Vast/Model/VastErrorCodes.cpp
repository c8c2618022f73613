#include "Ad/RenderEngine/Vast/Model/VastErrorCodes.h"

namespace solen {

std::optional<VastErrorCodes> vastErrorCodesFromRawValue(std::int64_t value) {
    for (VastErrorCodes code : allVastErrorCodes) {
        if (vastErrorCodeValue(code) == value) {
            return code;
        }
    }
    return std::nullopt;
}

std::string_view vastErrorCodesDomain() { return "Solen.VastErrorCodes"; }

std::string vastErrorCodesDescription(VastErrorCodes code) {
    return "VastErrorCodes error " + std::to_string(vastErrorCodeValue(code));
}

}  // namespace solen
