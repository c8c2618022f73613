#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace solen {

// The five ad formats. The raw strings are the format words used wherever a format is named in
// text (adapter class names, validation, log lines).
enum class AdFormat { banner, interstitial, rewarded, native, splash };

namespace AdFormats {

inline constexpr std::array<AdFormat, 5> allCases = {AdFormat::banner, AdFormat::interstitial,
                                                     AdFormat::rewarded, AdFormat::native,
                                                     AdFormat::splash};

std::string_view rawValue(AdFormat format);

// Exact, case-sensitive match of a raw string; anything else gives no format.
std::optional<AdFormat> fromRawValue(std::string_view raw);

}  // namespace AdFormats

}  // namespace solen
