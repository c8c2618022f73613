#include "Ad/Adapter/AdapterCall.h"

#include "Commons/Utilities/Logger.h"

#include <exception>
#include <string>

namespace solen {

namespace {

// Runs `call`; on an exception logs it with the class name `name()` gives, then gives its text.
template <class Name>
std::optional<std::string> guarded(const Name& name, std::string_view operation,
                                   const std::function<void()>& call) noexcept {
    std::string failure;
    try {
        call();
        return std::nullopt;
    } catch (const std::exception& exception) {
        failure = exception.what();
    } catch (...) {
        failure = "an unknown exception";
    }
    Logger::applicationError(name() + " threw from " + std::string(operation) + ": " + failure);
    return failure;
}

}  // namespace

bool runAdapterCall(std::string_view className, std::string_view operation, const std::function<void()>& call) noexcept {
    return !guarded([className] { return std::string(className); }, operation, call);
}

bool runAdapterCall(const std::type_info& adapterType, std::string_view operation, const std::function<void()>& call) noexcept {
    return !adapterCallFailure(adapterType, operation, call);
}

std::optional<std::string> adapterCallFailure(const std::type_info& adapterType, std::string_view operation,
                                              const std::function<void()>& call) noexcept {
    return guarded([&adapterType] { return SolenErrorData::classNameOf(adapterType); }, operation, call);
}

}  // namespace solen
