// The installed package as a host sees it: the README's own commands install the build into a
// temporary prefix and build examples/hello against it, with CMake and with pkg-config; a consumer
// project built out of tree passes a lifecycle cycle; libsolen.so exports only the public API.
#include "support/ShellCommand.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#if defined(SOLEN_HAVE_ADSERVER)
#include "adserver/AdService.h"
#endif

namespace solen {
namespace {

namespace fs = std::filesystem;
using test::runShell;
using test::shellQuoted;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

std::string readFile(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Types and functions the public headers declare, by unqualified name.
std::set<std::string> publicNames() {
    std::set<std::string> names;
    const std::regex type(R"(\b(?:class|struct)\s+(?:SOLEN_EXPORT\s+)?(\w+)\s*(?:final\s*)?[:{])");
    const std::regex function(R"(SOLEN_EXPORT\s+[^;{(]*?(\w+)\()");
    for (const auto& entry : fs::recursive_directory_iterator(SOLEN_PUBLIC_INCLUDE_DIR)) {
        const std::string text = readFile(entry.path());
        for (const std::regex* pattern : {&type, &function}) {
            for (std::sregex_iterator it(text.begin(), text.end(), *pattern), end; it != end; ++it) {
                names.insert((*it)[1]);
            }
        }
    }
    return names;
}

// An exported symbol as the scopes it names below solen:: (and solen::platform:: or solen::host::):
// "solen::platform::View::addSubview(...)" gives {"View", "addSubview"} and "vtable for
// solen::SolenBanner::Impl" gives {"SolenBanner", "Impl"}; `data` tells a vtable or type
// information, whose every scope is a type. No scopes when the symbol is not the SDK's.
struct SymbolScopes {
    std::vector<std::string> scopes;
    bool data = false;
};

SymbolScopes scopesOf(std::string symbol) {
    SymbolScopes result;
    for (const char* prefix : {"typeinfo name for ", "typeinfo for ", "vtable for ", "VTT for "}) {
        if (symbol.rfind(prefix, 0) == 0) {
            symbol.erase(0, std::string(prefix).size());
            result.data = true;
        }
    }
    static const std::regex qualified(R"(^solen::(?:(?:platform|host)::)?((?:\w+::)*\w+))");
    std::smatch match;
    if (std::regex_search(symbol, match, qualified)) {
        const std::string path = match[1].str();
        for (std::size_t start = 0; start <= path.size();) {
            const auto end = std::min(path.find("::", start), path.size());
            result.scopes.push_back(path.substr(start, end - start));
            start = end + 2;
        }
    }
    return result;
}

// Whether the symbol belongs to the public API: every scope that must be a type is one the public
// headers declare (a member's own name is free), and none is a class's hidden `Impl`.
bool isPublic(const SymbolScopes& symbol, const std::set<std::string>& declared) {
    if (symbol.scopes.empty()) {
        return false;
    }
    const std::size_t types = symbol.data || symbol.scopes.size() == 1 ? symbol.scopes.size() : symbol.scopes.size() - 1;
    for (std::size_t i = 0; i < symbol.scopes.size(); ++i) {
        if (symbol.scopes[i] == "Impl" || (i < types && !declared.count(symbol.scopes[i]))) {
            return false;
        }
    }
    return true;
}

TEST(ExportedSymbolsTests, OnlyNamesDeclaredInThePublicHeadersAreExportedUnderTheVersionNode) {
    const std::set<std::string> declared = publicNames();
    ASSERT_TRUE(declared.count("View") && declared.count("Solen") && declared.count("defaultMessage"));
    // The check itself: a nested implementation and an internal class are refused.
    EXPECT_FALSE(isPublic(scopesOf("vtable for solen::SolenBanner::Impl"), declared));
    EXPECT_FALSE(isPublic(scopesOf("solen::SolenNative::Impl::nativeCalls"), declared));
    EXPECT_FALSE(isPublic(scopesOf("solen::ConfigManager::shared()"), declared));
    EXPECT_TRUE(isPublic(scopesOf("solen::platform::View::addSubview(std::shared_ptr<solen::platform::View>)"), declared));

    const auto listing = runShell("nm -D --defined-only -C " + shellQuoted(SOLEN_LIBRARY_PATH));
    ASSERT_EQ(listing.exitCode, 0) << listing.output;
    std::set<std::string> exported;
    std::vector<std::string> foreign;
    std::vector<std::string> unversioned;
    std::size_t count = 0;
    std::istringstream lines(listing.output);
    for (std::string line; std::getline(lines, line);) {
        // "<address> <kind> <name>[@@<version>]"
        const auto nameStart = line.find(' ', line.find(' ') + 1);
        if (nameStart == std::string::npos) continue;
        std::string symbol = line.substr(nameStart + 1);
        if (symbol == "SOLEN_1.0") continue;  // the version node's own symbol
        const auto at = symbol.find('@');
        if (at == std::string::npos || symbol.substr(at) != "@@SOLEN_1.0") {
            unversioned.push_back(symbol);
        } else {
            symbol.erase(at);
        }
        ++count;
        const SymbolScopes scopes = scopesOf(symbol);
        if (isPublic(scopes, declared)) {
            exported.insert(scopes.scopes.front());
        } else {
            foreign.push_back(symbol);
        }
    }
    std::cout << "libsolen.so exports " << count << " symbols\n";
    EXPECT_THAT(foreign, IsEmpty());
    EXPECT_THAT(unversioned, IsEmpty());
    for (const char* name : {"Solen", "SolenSdkConfiguration", "SolenBanner", "View", "Window", "Label", "ImageView",
                             "MainLoop", "Lifecycle", "Device"}) {
        EXPECT_TRUE(exported.count(name)) << name;
    }

    const auto versions = runShell("readelf -V " + shellQuoted(SOLEN_LIBRARY_PATH));
    ASSERT_EQ(versions.exitCode, 0) << versions.output;
    EXPECT_THAT(versions.output, HasSubstr("Name: SOLEN_1.0")) << versions.output;
}

// The README's lines: the first line of a fenced shell block that starts with `start`.
std::string readmeLine(const std::string& start) {
    std::istringstream readme(readFile(SOLEN_README_PATH));
    bool inShell = false;
    for (std::string line; std::getline(readme, line);) {
        if (line.rfind("```", 0) == 0) {
            inShell = line == "```sh";
            continue;
        }
        if (inShell && line.rfind(start, 0) == 0) {
            return line.substr(0, line.find("  #"));  // without a trailing comment
        }
    }
    ADD_FAILURE() << "the README has no shell line starting with \"" << start << "\"";
    return {};
}

std::string replaced(std::string text, const std::string& what, const std::string& with) {
    const auto at = text.find(what);
    EXPECT_NE(at, std::string::npos) << "\"" << what << "\" in \"" << text << "\"";
    return at == std::string::npos ? text : text.replace(at, what.size(), with);
}

// A temporary folder for one test, removed with it.
class TemporaryFolder {
public:
    TemporaryFolder() {
        char pattern[] = "/tmp/solen-install-test-XXXXXX";
        if (::mkdtemp(pattern) != nullptr) path = pattern;
    }
    ~TemporaryFolder() {
        std::error_code ignored;
        if (!path.empty()) fs::remove_all(path, ignored);
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    fs::path path;
};

// The library alone configures without GoogleTest, Google Benchmark, cpp-httplib or Duktape: none
// of them is even looked for.
TEST(InstallTests, TheReadmesLibraryOnlyConfigureLooksForNoTestBenchmarkOrToolPackage) {
    TemporaryFolder work;
    ASSERT_FALSE(work.path.empty());
    const std::string line = readmeLine("cmake -S . -B build/release");
    EXPECT_THAT(line, HasSubstr("-DSOLEN_BUILD_TESTS=OFF -DSOLEN_BUILD_BENCH=OFF -DSOLEN_BUILD_TOOLS=OFF"));
    const std::string build = (work.path / "build").string();
    const auto configure = runShell("(cd " + shellQuoted(SOLEN_SOURCE_DIR) + " && " +
                                    replaced(replaced(line, "cmake ", shellQuoted(SOLEN_CMAKE_COMMAND) + " "),
                                             "build/release", shellQuoted(build)) +
                                    ")");
    ASSERT_EQ(configure.exitCode, 0) << configure.output;
    const std::string cache = readFile(work.path / "build" / "CMakeCache.txt");
    for (const char* trace : {"GTest_DIR", "GTEST_INCLUDE_DIR", "benchmark_DIR", "HTTPLIB", "DUKTAPE"}) {
        EXPECT_THAT(cache, ::testing::Not(HasSubstr(trace))) << trace;
    }
}

#if defined(SOLEN_HAVE_ADSERVER)

// The README's install line, run on this build, into a temporary home's "$HOME/solen".
class InstalledPackageTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(work.path.empty());
        home = work.path / "home";
        prefix = home / "solen";
        fs::create_directories(home);
        const std::string line = readmeLine("cmake --install build/release");
        EXPECT_THAT(line, HasSubstr("--prefix \"$HOME/solen\" --strip"));
        const auto install = runShell(inHome(replaced(replaced(line, "cmake ", shellQuoted(SOLEN_CMAKE_COMMAND) + " "),
                                                      "build/release", shellQuoted(SOLEN_BUILD_DIR))));
        ASSERT_EQ(install.exitCode, 0) << install.output;
        ASSERT_TRUE(service.start());
    }
    void TearDown() override { service.stop(); }

    // `command` run by the shell in `folder` with HOME set to the temporary home.
    std::string inHome(const std::string& command, const fs::path& folder = {}) const {
        return "(cd " + shellQuoted((folder.empty() ? home : folder).string()) + " && HOME=" + shellQuoted(home.string()) +
               " && export HOME && " + command + ")";
    }
    // Runs a program built against the installed SDK, against the local service, without any
    // library path (it finds libsolen.so.1 by its run path), with a data folder of its own (a
    // stored configuration would point at another test's service). Standard output is returned,
    // standard error written to `errors`.
    test::ShellResult runAgainstTheService(const fs::path& program, const std::string& arguments,
                                           const fs::path& errors) const {
        return runShell("(XDG_DATA_HOME=" + shellQuoted((work.path / "xdg").string()) +
                        " SOLEN_SERVICE_BASE_URL=" + shellQuoted(service.baseUrl()) + " " + shellQuoted(program.string()) +
                        " " + arguments + " 2>" + shellQuoted(errors.string()) + ")");
    }

    TemporaryFolder work;
    fs::path home;
    fs::path prefix;
    adserver::AdService service;
};

TEST_F(InstalledPackageTest, TheInstallIsStrippedAndItsPackagesAskForTheJsonReleaseItWasBuiltWith) {
    const fs::path library = prefix / "lib" / "libsolen.so.1";
    ASSERT_TRUE(fs::exists(library));
    const auto sections = runShell("readelf -S -W " + shellQuoted(library.string()));
    ASSERT_EQ(sections.exitCode, 0) << sections.output;
    EXPECT_THAT(sections.output, ::testing::Not(HasSubstr(".debug_info")));
    EXPECT_LT(fs::file_size(library), fs::file_size(SOLEN_LIBRARY_PATH));
    // Installed headers name only public headers.
    for (const auto& entry : fs::recursive_directory_iterator(prefix / "include")) {
        if (entry.is_regular_file()) {
            EXPECT_EQ(readFile(entry.path()).find("#include \""), std::string::npos) << entry.path();
        }
    }
    const std::string version = SOLEN_NLOHMANN_JSON_VERSION;
    EXPECT_THAT(readFile(prefix / "lib" / "pkgconfig" / "solen.pc"), HasSubstr("Requires: nlohmann_json = " + version));
    EXPECT_THAT(readFile(prefix / "lib" / "cmake" / "solen" / "solenConfig.cmake"),
                HasSubstr("find_dependency(nlohmann_json " + version + " EXACT)"));
    EXPECT_THAT(readFile(prefix / "lib" / "cmake" / "solen" / "solenTargets.cmake"), HasSubstr("cxx_std_20"));
}

// examples/hello built as the README says, once from its CMakeLists.txt (which sets no C++
// standard: the package's target carries it) and once with the README's pkg-config line.
class HelloTest : public InstalledPackageTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(HelloTest, HelloBuiltWithTheReadmesLinesLoadsABannerAndAnInterstitial) {
    const std::string mode = GetParam();
    const fs::path build = work.path / "hello";
    fs::create_directories(build);
    const std::string compiler = std::string(SOLEN_CXX_COMPILER) + " " + SOLEN_CONSUMER_FLAGS;
    test::ShellResult compile;
    fs::path program;
    if (mode == "package") {
        const std::string lists = readFile(fs::path(SOLEN_HELLO_SOURCE_DIR) / "CMakeLists.txt");
        EXPECT_THAT(lists, ::testing::Not(HasSubstr("CMAKE_CXX_STANDARD")));
        for (const char* line : {"find_package(solen 1.0 REQUIRED)", "target_link_libraries(hello PRIVATE solen::solen)"}) {
            EXPECT_THAT(lists, HasSubstr(line));
            EXPECT_THAT(readFile(SOLEN_README_PATH), HasSubstr(line));
        }
        compile = runShell(inHome(shellQuoted(SOLEN_CMAKE_COMMAND) + " -S " + shellQuoted(SOLEN_HELLO_SOURCE_DIR) + " -B " +
                                  shellQuoted(build.string()) + " -G " + shellQuoted(SOLEN_CMAKE_GENERATOR) +
                                  " -DCMAKE_PREFIX_PATH=\"$HOME/solen\" -DCMAKE_CXX_FLAGS=" +
                                  shellQuoted(std::string(SOLEN_CONSUMER_FLAGS) + " -Wall -Wextra -Wpedantic -Werror") +
                                  " -DCMAKE_EXE_LINKER_FLAGS=" + shellQuoted(SOLEN_CONSUMER_FLAGS) + " && " +
                                  shellQuoted(SOLEN_CMAKE_COMMAND) + " --build " + shellQuoted(build.string())));
        program = build / "hello";
    } else {
        fs::copy_file(fs::path(SOLEN_HELLO_SOURCE_DIR) / "hello.cpp", build / "hello.cpp");
        const std::string path = readmeLine("export PKG_CONFIG_PATH=");
        const std::string line = readmeLine("c++ ");
        EXPECT_THAT(line, HasSubstr("-std=c++20"));
        compile = runShell(inHome(path + " && " + replaced(line, "c++ ", compiler + " -Wall -Wextra -Wpedantic -Werror "),
                                  build));
        program = build / "hello";
    }
    ASSERT_EQ(compile.exitCode, 0) << compile.output;

    const fs::path errors = work.path / "hello-stderr.txt";
    const auto run = runAgainstTheService(program, shellQuoted(SOLEN_EXAMPLE_ADAPTER_PATH), errors);
    const std::string sdkLines = readFile(errors);
    ASSERT_EQ(run.exitCode, 0) << run.output << sdkLines << service.timeline();
    EXPECT_THAT(run.output, HasSubstr("hello: banner did load"));
    EXPECT_THAT(run.output, HasSubstr("hello: interstitial did dismiss"));
    EXPECT_THAT(run.output, HasSubstr("hello: banner and interstitial worked"));
    // Standard output is the host's: the SDK's lines went to standard error.
    EXPECT_THAT(run.output, ::testing::Not(HasSubstr("[SolenSDK]")));
    EXPECT_THAT(sdkLines, HasSubstr("NetworkSDK:Example, Version:2.4.0, AdapterVersion:2.4.0.1"));
}

INSTANTIATE_TEST_SUITE_P(FindWith, HelloTest, ::testing::Values("package", "pkg-config"),
                         [](const auto& info) { return std::string(info.param) == "package" ? "CMakePackage" : "PkgConfig"; });

// The consumer project: the device's facts, a window tree, an adapter package loaded by path, a
// lifecycle cycle; found as a CMake package or through pkg-config, with no C++ standard of its own.
class ConsumerTest : public InstalledPackageTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(ConsumerTest, AConsumerBuiltOutOfTreeInitialisesAndPassesALifecycleCycle) {
    const std::string mode = GetParam();
    const fs::path build = work.path / "build";
    const std::string environment = "PKG_CONFIG_PATH=" + shellQuoted((prefix / "lib" / "pkgconfig").string()) + " ";
    const auto configure = runShell(
        environment + shellQuoted(SOLEN_CMAKE_COMMAND) + " -S " + shellQuoted(SOLEN_CONSUMER_SOURCE_DIR) + " -B " +
        shellQuoted(build.string()) + " -G " + shellQuoted(SOLEN_CMAKE_GENERATOR) + " -DCMAKE_PREFIX_PATH=" +
        shellQuoted(prefix.string()) + " -DSOLEN_FIND_WITH=" + mode + " -DCMAKE_CXX_FLAGS=" +
        shellQuoted(SOLEN_CONSUMER_FLAGS) + " -DCMAKE_EXE_LINKER_FLAGS=" + shellQuoted(SOLEN_CONSUMER_FLAGS));
    ASSERT_EQ(configure.exitCode, 0) << configure.output;
    const auto compile = runShell(shellQuoted(SOLEN_CMAKE_COMMAND) + " --build " + shellQuoted(build.string()));
    ASSERT_EQ(compile.exitCode, 0) << compile.output;

    const fs::path errors = work.path / "consumer-stderr.txt";
    const auto run = runAgainstTheService(build / "solen-consumer",
                                          shellQuoted((work.path / "data").string()) + " " +
                                              shellQuoted(SOLEN_EXAMPLE_ADAPTER_PATH),
                                          errors);
    const std::string sdkLines = readFile(errors);
    ASSERT_EQ(run.exitCode, 0) << run.output << sdkLines;
    EXPECT_NE(run.output.find("lifecycle cycle passed"), std::string::npos) << run.output;
    EXPECT_GE(service.countOf(adserver::ServiceRequest::Kind::config), 2u) << service.timeline();
    EXPECT_TRUE(fs::exists(work.path / "data" / "UserDefaults.json"));
    // The example network's package, loaded by path, was found by class name and started.
    EXPECT_NE(sdkLines.find("NetworkSDK:Example, Version:2.4.0, AdapterVersion:2.4.0.1"), std::string::npos)
        << sdkLines;
    const auto requests = service.requests();
    EXPECT_TRUE(std::any_of(requests.begin(), requests.end(), [](const auto& request) {
        return request.method == "GET" && request.target == "/example/init?appKey=demo";
    })) << service.timeline();
}

INSTANTIATE_TEST_SUITE_P(FindWith, ConsumerTest, ::testing::Values("package", "pkg-config"),
                         [](const auto& info) { return std::string(info.param) == "package" ? "CMakePackage" : "PkgConfig"; });

#endif

}  // namespace
}  // namespace solen
