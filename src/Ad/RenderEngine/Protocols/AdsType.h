#pragma once

namespace solen {

// The kind of ad a render view shows.
enum class AdsType { banner, interstitial, native };

}  // namespace solen
