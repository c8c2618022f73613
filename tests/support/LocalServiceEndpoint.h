#pragma once

#include "support/LocalHttpServer.h"

namespace solen::test {

// A local service in place of the config, bid and analytics hosts: on first use it starts a
// LocalHttpServer and puts its base URL in SOLEN_SERVICE_BASE_URL. The SDK makes its built-in
// endpoints once per process, so one server serves the whole test program; tests clear its
// recorded requests and script it as they need.
LocalHttpServer& localServiceEndpoint();

}  // namespace solen::test
