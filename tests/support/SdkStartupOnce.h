#pragma once

namespace solen::test {

// Initialises the process-wide SDK start-up once, as app "app-1" on a device reporting 17.0, over
// whatever HTTP session the caller has installed (it must answer the configuration request).
// True when the SDK is initialised.
bool initializeSdkOnce();

}  // namespace solen::test
