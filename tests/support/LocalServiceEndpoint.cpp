#include "support/LocalServiceEndpoint.h"

#include "support/ProgramEnd.h"

#include <cstdlib>

namespace solen::test {

LocalHttpServer& localServiceEndpoint() {
    static auto& server = *new LocalHttpServer;
    static const bool configured = [] {
        atProgramEnd([] { server.stop(); });
        return ::setenv("SOLEN_SERVICE_BASE_URL", server.baseUrl().c_str(), 1) == 0;
    }();
    (void)configured;
    return server;
}

}  // namespace solen::test
