// solen-adserver: the local ad service on a loopback address. Prints every request as it arrives
// and, on exit (Ctrl-C, SIGTERM or --duration), the JSON record when asked.
#include "AdService.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iostream>
#include <mutex>
#include <string>

namespace {

void usage() {
    std::cerr << "usage: solen-adserver [--host 127.0.0.1] [--port N] [--scenario FILE] [--json FILE|-] [--duration SEC]\n"
                 "  Serves /configs, /bid, /analyticsEvent and any other path on a loopback address.\n"
                 "  --port 0 (the default) picks a free port; the base URL is printed first.\n";
}

bool isLoopback(const std::string& host) {
    return host == "localhost" || host == "::1" || host.rfind("127.", 0) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::string host = "127.0.0.1";
    int port = 0;
    std::string scenarioPath;
    std::string jsonPath;
    long duration = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const auto value = [&]() -> std::string {
            if (i + 1 >= argc) {
                usage();
                std::exit(2);
            }
            return argv[++i];
        };
        try {
            if (arg == "--host") host = value();
            else if (arg == "--port") port = std::stoi(value());
            else if (arg == "--scenario") scenarioPath = value();
            else if (arg == "--json") jsonPath = value();
            else if (arg == "--duration") duration = std::stol(value());
            else if (arg == "--help" || arg == "-h") { usage(); return 0; }
            else { usage(); return 2; }
        } catch (const std::exception&) {
            usage();
            return 2;
        }
    }
    if (!isLoopback(host) || port < 0 || port > 65535 || duration < 0) {
        std::cerr << "solen-adserver: the service listens on a loopback address and a port 0-65535 only\n";
        return 2;
    }

    solen::adserver::Scenario scenario = solen::adserver::Scenario::defaults();
    if (!scenarioPath.empty()) {
        try {
            scenario = solen::adserver::Scenario::load(scenarioPath);
        } catch (const solen::adserver::ScenarioError& error) {
            std::cerr << "solen-adserver: scenario " << scenarioPath << ": " << error.what() << "\n";
            return 2;
        }
    }

    // The server threads inherit the blocked signals; this thread waits for them.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    solen::adserver::AdService service(std::move(scenario));
    std::mutex printMutex;
    service.setObserver([&printMutex](const solen::adserver::ServiceRequest& request) {
        std::lock_guard lock(printMutex);
        std::cout << request.timelineLine() << std::endl;
    });
    if (!service.start(host, port)) {
        std::cerr << "solen-adserver: cannot listen on " << host << ":" << port << "\n";
        return 1;
    }
    {
        std::lock_guard lock(printMutex);
        std::cout << "solen-adserver listening on " << service.baseUrl() << std::endl;
        std::cout << "  export SOLEN_SERVICE_BASE_URL=" << service.baseUrl() << std::endl;
    }

    if (duration > 0) {
        timespec limit{duration, 0};
        sigtimedwait(&signals, nullptr, &limit);
    } else {
        int received = 0;
        sigwait(&signals, &received);
    }
    service.stop();

    if (!jsonPath.empty()) {
        const std::string json = service.toJson().dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
        if (jsonPath == "-") {
            std::cout << json << std::endl;
        } else {
            std::ofstream file(jsonPath);
            file << json << '\n';
            if (!file) {
                std::cerr << "solen-adserver: cannot write " << jsonPath << "\n";
                return 1;
            }
        }
    }
    std::cout << "solen-adserver: " << service.requestCount() << " requests served" << std::endl;
    return 0;
}
