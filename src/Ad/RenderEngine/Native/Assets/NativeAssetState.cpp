#include "Ad/RenderEngine/Native/Assets/NativeAssetState.h"

#include <array>

namespace solen {

namespace {

constexpr std::array<std::string_view, 4> rawValues{"default", "loading", "loaded", "failed"};

}  // namespace

std::string_view nativeAssetStateRawValue(NativeAssetState state) {
    return rawValues[static_cast<std::size_t>(state)];
}

std::optional<NativeAssetState> nativeAssetStateFromRawValue(std::string_view rawValue) {
    for (std::size_t index = 0; index < rawValues.size(); ++index) {
        if (rawValues[index] == rawValue) {
            return static_cast<NativeAssetState>(index);
        }
    }
    return std::nullopt;
}

}  // namespace solen
