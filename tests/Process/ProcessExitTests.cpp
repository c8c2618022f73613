// A process ends cleanly whatever the SDK is doing: hosts that return from main while loads,
// network start-ups, trackers, analytics and VAST fetches are under way exit with their own code,
// with no sanitizer report, no abort and no hang.
//
// The library's threads are never stopped, so nothing they may reach is destroyed at exit: the
// objects register no exit-time destructor, and libsolen.so stays mapped after a dlclose.
#include "support/ShellCommand.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace solen {
namespace {

using ::testing::HasSubstr;

// Objects allowed to register an exit-time destructor, by archive member or library, with the
// reason. None is needed today.
const std::map<std::string, std::string> exitDestructorAllowed = {};

// The members of the archive `library` that register a destructor with __cxa_atexit, as
// "library:member".
std::vector<std::string> exitDestructorUsers(const std::string& library) {
    const auto listing = test::runShell("nm -A -u " + test::shellQuoted(library));
    EXPECT_EQ(listing.exitCode, 0) << listing.output;
    std::vector<std::string> users;
    std::istringstream lines(listing.output);
    for (std::string line; std::getline(lines, line);) {
        // "<library>[:<member>]: U __cxa_atexit"
        if (line.find("__cxa_atexit") == std::string::npos) continue;
        std::string where = line.substr(0, line.rfind(':'));
        const std::string member = where.substr(where.rfind(':') + 1);
        if (exitDestructorAllowed.count(member) == 0) users.push_back(where);
    }
    return users;
}

TEST(ProcessExitTests, NoObjectOfTheLibraryRegistersAnExitTimeDestructor) {
    // The archive holds the objects that libsolen.so is made of, one member each, so a finding
    // names its source file. (libsolen.so itself names the symbol for the store's own exit-time
    // save, which goes through atexit.)
    for (const auto& user : exitDestructorUsers(SOLEN_INTERNAL_LIBRARY_PATH)) {
        ADD_FAILURE() << user << " registers an exit-time destructor: the library's threads may still use its "
                      << "object while the process exits. Make the object never destroyed "
                      << "(`static auto& x = *new T(...)`), or allow it with its reason in this test.";
    }
}

TEST(ProcessExitTests, SharedLibraryStaysMappedAfterItsLastClose) {
    const auto dynamic = test::runShell("readelf -d " + test::shellQuoted(SOLEN_LIBRARY_PATH));
    ASSERT_EQ(dynamic.exitCode, 0) << dynamic.output;
    EXPECT_THAT(dynamic.output, HasSubstr("NODELETE"));
}

}  // namespace
}  // namespace solen

#if !defined(SOLEN_HAVE_ADSERVER) || !defined(SOLEN_EXIT_PROBE_PATH)

TEST(ProcessExitTests, NeedsTheTools) { GTEST_SKIP() << "built without the tools"; }

#else

#include "adserver/AdService.h"

#include <atomic>
#include <filesystem>
#include <mutex>
#include <thread>

namespace solen {
namespace {

namespace fs = std::filesystem;

struct ProbeRun {
    unsigned seed = 0;
    test::ShellResult result;
};

// What in a child's output tells of a fault, even when it exited with 0.
const char* faultIn(const std::string& output) {
    for (const char* mark : {"Sanitizer", "runtime error:", "pure virtual method called", "terminate called"}) {
        if (output.find(mark) != std::string::npos) return mark;
    }
    return nullptr;
}

TEST(ProcessExitTests, HostsThatReturnFromMainWhileTheSdkIsBusyExitCleanly) {
    adserver::AdService service(adserver::Scenario::defaults());
    ASSERT_TRUE(service.start());
    const fs::path folders = fs::temp_directory_path() / ("solen-exit-" + std::to_string(::getpid()));
    fs::create_directories(folders);

    constexpr unsigned runs = 100;
    constexpr unsigned atOnce = 4;
    std::atomic<unsigned> next{0};
    std::mutex failuresMutex;
    std::vector<ProbeRun> failures;
    std::vector<std::thread> runners;
    for (unsigned r = 0; r < atOnce; ++r) {
        runners.emplace_back([&] {
            for (unsigned seed; (seed = next++) < runs;) {
                // Each child keeps its own store, as separate applications would.
                const fs::path data = folders / std::to_string(seed);
                fs::create_directories(data);
                // A child that has not ended 5 s after it started is killed (exit code 137).
                ProbeRun run{seed, test::runShell("XDG_DATA_HOME=" + test::shellQuoted(data.string()) +
                                                  " SOLEN_SERVICE_BASE_URL=" + test::shellQuoted(service.baseUrl()) +
                                                  " timeout -s KILL 5 " + test::shellQuoted(SOLEN_EXIT_PROBE_PATH) +
                                                  " " + std::to_string(seed))};
                if (run.result.exitCode != 0 || faultIn(run.result.output)) {
                    std::lock_guard lock(failuresMutex);
                    failures.push_back(std::move(run));
                }
            }
        });
    }
    for (auto& runner : runners) runner.join();
    std::error_code ignored;
    fs::remove_all(folders, ignored);

    for (const auto& failure : failures) {
        const char* fault = faultIn(failure.result.output);
        ADD_FAILURE() << "child " << failure.seed << " exited with " << failure.result.exitCode
                      << (fault ? std::string(", output shows \"") + fault + "\"" : std::string()) << ":\n"
                      << failure.result.output;
    }
    EXPECT_TRUE(failures.empty()) << failures.size() << " of " << runs << " children did not exit cleanly";
}

}  // namespace
}  // namespace solen

#endif
