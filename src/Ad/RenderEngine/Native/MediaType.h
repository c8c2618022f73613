#pragma once

#include "Ad/RenderEngine/Native/IntegerCodedEnum.h"

#include <cstdint>
#include <string_view>

namespace solen {

// The kind of the native media asset.
enum class MediaType : std::int64_t { default_ = 0, image = 1, video = 2 };

template <>
struct IntegerCodedEnumTraits<MediaType> {
    static constexpr std::int64_t caseCount = 3;
    static constexpr std::string_view name = "MediaType";
};

}  // namespace solen
