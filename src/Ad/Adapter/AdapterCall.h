#pragma once

#include <solen/adapters/SolenErrorData.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <typeinfo>
#include <utility>

namespace solen {

// Runs `call`, which calls into adapter code; true when it returned. An exception that escapes it is
// caught and logged as an error line naming `className` and `operation`; then false. Every call
// the SDK makes into network adapter code goes through here (or `callAdapter`), so a misbehaving
// adapter never unwinds through the SDK's queues or views. Callable from any thread.
bool runAdapterCall(std::string_view className, std::string_view operation, const std::function<void()>& call) noexcept;
// The same for an adapter known by its dynamic type; its class name is worked out only for the
// error line, so a call that returns costs no name.
bool runAdapterCall(const std::type_info& adapterType, std::string_view operation, const std::function<void()>& call) noexcept;
// The same, giving the text of the exception that escaped (none when the call returned).
std::optional<std::string> adapterCallFailure(const std::type_info& adapterType, std::string_view operation,
                                              const std::function<void()>& call) noexcept;

// Calls into `adapter` through `runAdapterCall`, naming the adapter's dynamic class. Gives the
// call's result, or `fallback` when it threw.
template <class Adapter, class Call, class Result = std::invoke_result_t<Call&>>
    requires(!std::is_void_v<Result>)
Result callAdapter(const Adapter& adapter, std::string_view operation, std::type_identity_t<Result> fallback,
                   Call&& call) noexcept {
    std::optional<Result> result;
    if (runAdapterCall(typeid(adapter), operation, [&] { result.emplace(call()); })) {
        return std::move(*result);
    }
    return fallback;
}

// The same for a call that gives nothing.
template <class Adapter, class Call>
    requires std::is_void_v<std::invoke_result_t<Call&>>
void callAdapter(const Adapter& adapter, std::string_view operation, Call&& call) noexcept {
    runAdapterCall(typeid(adapter), operation, call);
}

}  // namespace solen
