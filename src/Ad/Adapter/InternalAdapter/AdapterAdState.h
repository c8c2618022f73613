#pragma once

#include <optional>
#include <string_view>

namespace solen {

// The load state of one format wrapper: `initialised` at construction, `loading` once its load
// has started, then `loaded` (the network answered with an ad) or `failed` (the network failed,
// the load timed out, or the wrapper was let go while loading). Network callbacks are not gated
// by it, so a late answer may move the state again.
enum class AdapterAdState { initialised, loading, loaded, failed };

namespace AdapterAdStates {

// "initialised", "loading", "loaded", "failed".
std::string_view rawValue(AdapterAdState state);
// Exact, case-sensitive match of a raw value; any other text gives no state.
std::optional<AdapterAdState> fromRawValue(std::string_view raw);

}  // namespace AdapterAdStates

}  // namespace solen
