#pragma once

#include <string_view>

namespace solen {

// The bridge script every ad page gets before its own scripts (ES5.1): `window.mraid`,
// `window.mraidview`, `window.qoraid`, `window.qoraidview`, `window.qoai`, `window.qoaiview`, and
// the one-call-at-a-time queue to the native side. Embedded at build time from MRAIDBridge.js.
std::string_view mraidBridgeScript();

}  // namespace solen
