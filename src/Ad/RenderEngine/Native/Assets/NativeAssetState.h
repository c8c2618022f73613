#pragma once

#include <optional>
#include <string_view>

namespace solen {

// Where a native asset stands in its load: created (`default_`, raw value "default"), loading,
// content in place, or failed. Equality and hashing are those of the raw value.
enum class NativeAssetState { default_, loading, loaded, failed };

// "default", "loading", "loaded" or "failed".
std::string_view nativeAssetStateRawValue(NativeAssetState state);
// The state whose raw value is exactly `rawValue` (case counts); none for any other text.
std::optional<NativeAssetState> nativeAssetStateFromRawValue(std::string_view rawValue);

}  // namespace solen
