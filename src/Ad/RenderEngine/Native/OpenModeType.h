#pragma once

#include "Ad/RenderEngine/Native/IntegerCodedEnum.h"

#include <cstdint>
#include <string_view>

namespace solen {

// How a click action opens its landing address: safariBrowser in the external browser, anything
// else in the in-app browser.
enum class OpenModeType : std::int64_t { default_ = 0, inAppBrowser = 1, safariBrowser = 2, skStore = 3 };

template <>
struct IntegerCodedEnumTraits<OpenModeType> {
    static constexpr std::int64_t caseCount = 4;
    static constexpr std::string_view name = "OpenModeType";
};

}  // namespace solen
