#pragma once

#include "Ad/RenderEngine/Native/IntegerCodedEnum.h"

#include <cstdint>
#include <string_view>

namespace solen {

// What the creative's pubContent holds.
enum class MarkupType : std::int64_t { default_ = 0, encodedS2s = 1, native = 2 };

template <>
struct IntegerCodedEnumTraits<MarkupType> {
    static constexpr std::int64_t caseCount = 3;
    static constexpr std::string_view name = "MarkupType";
};

}  // namespace solen
