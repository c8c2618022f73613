#include "Ad/Adapter/AdapterCall.h"

#include "Commons/Utilities/Logger.h"

#include <exception>
#include <string>

namespace solen {

bool runAdapterCall(std::string_view className, std::string_view operation, const std::function<void()>& call) noexcept {
    std::string failure;
    try {
        call();
        return true;
    } catch (const std::exception& exception) {
        failure = exception.what();
    } catch (...) {
        failure = "an unknown exception";
    }
    Logger::error(std::string(className) + " threw from " + std::string(operation) + ": " + failure);
    return false;
}

}  // namespace solen
