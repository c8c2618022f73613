#include <solen/SolenSdkError.h>

namespace solen {

SolenSdkError SolenSdkError::initializationError(SolenInitializationError code, std::optional<std::string> message) {
    std::string description = message && !message->empty() ? std::move(*message) : defaultMessage(code);
    return SolenSdkError(static_cast<std::int64_t>(code), std::move(description));
}

}  // namespace solen
