#pragma once

#include <solen/SolenExport.h>
#include <solen/adapters/CreativeDataModelProtocol.h>

#include <optional>
#include <string>

namespace solen {

// A line item's ad markup as UTF-8 text, decoded by the SDK from the bid response's base64. A
// plain value.
struct SOLEN_EXPORT CreativeData : CreativeDataModelProtocol {
    std::optional<std::string> adMarkup;

    CreativeData() = default;
    explicit CreativeData(std::optional<std::string> adMarkup) : adMarkup(std::move(adMarkup)) {}
};

}  // namespace solen
