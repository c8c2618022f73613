#pragma once

#include "Ad/RenderEngine/Native/IntegerCodedEnum.h"

#include <cstdint>

namespace solen {

// What the creative's pubContent holds.
enum class MarkupType : std::int64_t { default_ = 0, encodedS2s = 1, native = 2 };

template <>
struct IntegerCodedEnumTraits<MarkupType> {
    static constexpr std::int64_t caseCount = 3;
};

}  // namespace solen
