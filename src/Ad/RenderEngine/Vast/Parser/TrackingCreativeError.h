#pragma once

namespace solen {

// Why a tracking creative could not be built.
enum class TrackingCreativeError {
    noDurationInVastLinearCreative,
};

}  // namespace solen
