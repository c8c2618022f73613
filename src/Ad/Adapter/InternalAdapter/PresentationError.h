#pragma once

#include "Ad/Network/AdError.h"
#include <solen/adapters/SolenAdapterError.h>
#include <solen/ui/Error.h>

#include <variant>

namespace solen {

// Why a full-screen ad did not appear: the network's own `SolenAdapterError`, or an `AdError`
// the SDK raised (`renderTimeout` when the network never announced the presentation in time).
// One value carries either; the public edge hands the application `toError()`. A plain value.
class PresentationError {
public:
    PresentationError(SolenAdapterError error) : error_(std::move(error)) {}
    PresentationError(AdError error) : error_(std::move(error)) {}

    const SolenAdapterError* adapterError() const { return std::get_if<SolenAdapterError>(&error_); }
    const AdError* adError() const { return std::get_if<AdError>(&error_); }

    platform::Error toError() const {
        return std::visit([](const auto& error) { return error.toError(); }, error_);
    }

    friend bool operator==(const PresentationError&, const PresentationError&) = default;

private:
    std::variant<SolenAdapterError, AdError> error_;
};

}  // namespace solen
