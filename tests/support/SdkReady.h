#pragma once

namespace solen::test {

// Initialises the process-wide SDK start-up once (application "app-1", system version 17.0) over
// whatever HTTP session is installed; true when it is initialised. Main thread only.
bool initializeSdkOnce();

}  // namespace solen::test
