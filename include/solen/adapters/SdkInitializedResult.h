#pragma once

#include <solen/SolenExport.h>
#include <solen/adapters/SolenAdapterError.h>

#include <functional>
#include <optional>
#include <variant>

namespace solen {

// The start-up state of a network's SDK: `success(bool)` or `failure(SolenAdapterError)`. Only
// `success(true)` means the network is ready; anything else makes the SDK start it again before
// the network's next load. A plain value: copy it freely, from any thread.
class SOLEN_EXPORT SdkInitializedResult {
public:
    static SdkInitializedResult success(bool started) { return SdkInitializedResult(started); }
    static SdkInitializedResult failure(SolenAdapterError error) { return SdkInitializedResult(std::move(error)); }

    bool isSuccess() const { return std::holds_alternative<bool>(value_); }
    // `success(true)`: the network SDK is ready.
    bool isReady() const { return isSuccess() && std::get<bool>(value_); }
    // The Boolean of a success; none for a failure.
    std::optional<bool> successValue() const {
        return isSuccess() ? std::optional<bool>(std::get<bool>(value_)) : std::nullopt;
    }
    // The error of a failure; none for a success.
    std::optional<SolenAdapterError> failureError() const {
        return isSuccess() ? std::nullopt : std::optional<SolenAdapterError>(std::get<SolenAdapterError>(value_));
    }

    friend bool operator==(const SdkInitializedResult&, const SdkInitializedResult&) = default;

private:
    explicit SdkInitializedResult(bool started) : value_(started) {}
    explicit SdkInitializedResult(SolenAdapterError error) : value_(std::move(error)) {}

    std::variant<bool, SolenAdapterError> value_;
};

// Receives the outcome of a network's start-up.
using SdkInitializedResultHandler = std::function<void(SdkInitializedResult)>;

}  // namespace solen
