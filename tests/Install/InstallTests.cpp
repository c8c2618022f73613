// The installed package as a host sees it: the files `cmake --install` lays out, a consumer
// project built against them out of tree, and the names libsolen.so exports.
#include "support/ShellCommand.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#if defined(SOLEN_HAVE_ADSERVER)
#include "adserver/AdService.h"
#endif

namespace solen {
namespace {

namespace fs = std::filesystem;
using test::runShell;
using test::shellQuoted;

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

// The SDK name an exported symbol belongs to: "solen::platform::View::addSubview(...)" and
// "vtable for solen::platform::View" give "View"; empty when the symbol is not the SDK's.
std::string owningName(std::string symbol) {
    for (const char* prefix : {"typeinfo name for ", "typeinfo for ", "vtable for ", "VTT for "}) {
        if (symbol.rfind(prefix, 0) == 0) {
            symbol.erase(0, std::string(prefix).size());
        }
    }
    static const std::regex qualified(R"(^solen::(?:(?:platform|host)::)?(\w+))");
    std::smatch match;
    return std::regex_search(symbol, match, qualified) ? match[1].str() : std::string();
}

TEST(ExportedSymbolsTests, OnlyNamesDeclaredInThePublicHeadersAreExported) {
    const std::set<std::string> declared = publicNames();
    ASSERT_TRUE(declared.count("View") && declared.count("Solen") && declared.count("defaultMessage"));

    const auto listing = runShell("nm -D --defined-only -C " + shellQuoted(SOLEN_LIBRARY_PATH));
    ASSERT_EQ(listing.exitCode, 0) << listing.output;
    std::set<std::string> exported;
    std::vector<std::string> foreign;
    std::istringstream lines(listing.output);
    for (std::string line; std::getline(lines, line);) {
        // "<address> <kind> <name>"
        const auto nameStart = line.find(' ', line.find(' ') + 1);
        if (nameStart == std::string::npos) continue;
        const std::string symbol = line.substr(nameStart + 1);
        const std::string owner = owningName(symbol);
        if (owner.empty() || !declared.count(owner)) {
            foreign.push_back(symbol);
        } else {
            exported.insert(owner);
        }
    }
    EXPECT_THAT(foreign, ::testing::IsEmpty());
    EXPECT_FALSE(exported.count("ConfigManager") || exported.count("JsonReader"));
    for (const char* name : {"Solen", "SolenSdkConfiguration", "View", "Window", "Label", "ImageView", "MainLoop",
                             "Lifecycle", "Device"}) {
        EXPECT_TRUE(exported.count(name)) << name;
    }
}

#if defined(SOLEN_HAVE_ADSERVER)

// Installs the build into a temporary prefix, then builds the consumer project against it.
class InstallConsumerTests : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/solen-install-test-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        work = pattern;
        ASSERT_TRUE(service.start());
    }
    void TearDown() override {
        service.stop();
        std::error_code ignored;
        fs::remove_all(work, ignored);
    }

    fs::path work;
    adserver::AdService service;
};

TEST_P(InstallConsumerTests, AConsumerBuiltOutOfTreeInitialisesAndPassesALifecycleCycle) {
    const fs::path prefix = work / "prefix";
    const auto install = runShell(shellQuoted(SOLEN_CMAKE_COMMAND) + " --install " + shellQuoted(SOLEN_BUILD_DIR) +
                                  " --prefix " + shellQuoted(prefix.string()));
    ASSERT_EQ(install.exitCode, 0) << install.output;
    // Installed headers name only public headers.
    for (const auto& entry : fs::recursive_directory_iterator(prefix / "include")) {
        if (entry.is_regular_file()) {
            EXPECT_EQ(readFile(entry.path()).find("#include \""), std::string::npos) << entry.path();
        }
    }
    EXPECT_TRUE(fs::exists(prefix / "lib" / "libsolen.so.1"));

    const std::string mode = GetParam();
    const fs::path build = work / "build";
    const std::string environment = "PKG_CONFIG_PATH=" + shellQuoted((prefix / "lib" / "pkgconfig").string()) + " ";
    const auto configure = runShell(
        environment + shellQuoted(SOLEN_CMAKE_COMMAND) + " -S " + shellQuoted(SOLEN_CONSUMER_SOURCE_DIR) + " -B " +
        shellQuoted(build.string()) + " -G " + shellQuoted(SOLEN_CMAKE_GENERATOR) + " -DCMAKE_PREFIX_PATH=" +
        shellQuoted(prefix.string()) + " -DSOLEN_FIND_WITH=" + mode + " -DCMAKE_CXX_FLAGS=" +
        shellQuoted(SOLEN_CONSUMER_FLAGS) + " -DCMAKE_EXE_LINKER_FLAGS=" + shellQuoted(SOLEN_CONSUMER_FLAGS));
    ASSERT_EQ(configure.exitCode, 0) << configure.output;
    const auto compile = runShell(shellQuoted(SOLEN_CMAKE_COMMAND) + " --build " + shellQuoted(build.string()));
    ASSERT_EQ(compile.exitCode, 0) << compile.output;

    const auto run = runShell("SOLEN_SERVICE_BASE_URL=" + shellQuoted(service.baseUrl()) +
                              " LD_LIBRARY_PATH=" + shellQuoted((prefix / "lib").string()) + " " +
                              shellQuoted((build / "solen-consumer").string()) + " " +
                              shellQuoted((work / "data").string()) + " " + shellQuoted(SOLEN_EXAMPLE_ADAPTER_PATH));
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_NE(run.output.find("lifecycle cycle passed"), std::string::npos) << run.output;
    EXPECT_GE(service.countOf(adserver::ServiceRequest::Kind::config), 2u) << service.timeline();
    EXPECT_TRUE(fs::exists(work / "data" / "UserDefaults.json"));
    // The example network's package, loaded by path, was found by class name and started.
    EXPECT_NE(run.output.find("NetworkSDK:Example, Version:2.4.0, AdapterVersion:2.4.0.1"), std::string::npos)
        << run.output;
    const auto requests = service.requests();
    EXPECT_TRUE(std::any_of(requests.begin(), requests.end(), [](const auto& request) {
        return request.method == "GET" && request.target == "/example/init?appKey=demo";
    })) << service.timeline();
}

INSTANTIATE_TEST_SUITE_P(FindWith, InstallConsumerTests, ::testing::Values("package", "pkg-config"),
                         [](const auto& info) { return std::string(info.param) == "package" ? "CMakePackage" : "PkgConfig"; });

#endif

}  // namespace
}  // namespace solen
