#include "Commons/Utilities/Reachability.h"

#include "Platform/Device/OperatingSystem.h"
#include "Platform/Device/TelephonyNetworkInfo.h"

#include <gtest/gtest.h>

namespace solen {
namespace {

using platform::NetworkReachability;
using platform::OperatingSystem;
using platform::TelephonyNetworkInfo;

struct ReachabilityTest : ::testing::Test {
    void SetUp() override { OperatingSystem::setVersionProvider([] { return std::string("17.2"); }); }
    void TearDown() override {
        TelephonyNetworkInfo::setRadioAccessTechnologyProvider(nullptr);
        OperatingSystem::setVersionProvider(nullptr);
    }
    static void useRadio(std::optional<std::string> technology) {
        TelephonyNetworkInfo::setRadioAccessTechnologyProvider([technology] { return technology; });
    }
};

TEST_F(ReachabilityTest, FlagsDecideBeforeTheRadioIsAsked) {
    useRadio("LTE");
    constexpr auto R = NetworkReachability::reachable;
    constexpr auto C = NetworkReachability::connectionRequired;
    constexpr auto T = NetworkReachability::connectionOnTraffic;
    constexpr auto D = NetworkReachability::connectionOnDemand;
    constexpr auto I = NetworkReachability::interventionRequired;
    constexpr auto W = NetworkReachability::isWWAN;
    EXPECT_EQ(Reachability::currentConnectionType(0), 0);
    EXPECT_EQ(Reachability::currentConnectionType(C | T | W), 0);
    EXPECT_EQ(Reachability::currentConnectionType(R), 1);
    EXPECT_EQ(Reachability::currentConnectionType(R | W), 1);
    EXPECT_EQ(Reachability::currentConnectionType(R | C | T), 1);
    EXPECT_EQ(Reachability::currentConnectionType(R | C | D), 1);
    EXPECT_EQ(Reachability::currentConnectionType(R | C | T | I), 0);
    EXPECT_EQ(Reachability::currentConnectionType(R | C | W), 0);
    EXPECT_EQ(Reachability::currentConnectionType(R | C), 5);
}

TEST_F(ReachabilityTest, RadioTechnologiesMapToTheirGeneration) {
    const std::vector<std::pair<std::optional<std::string>, int>> cases = {
        {std::nullopt, 0}, {"", 0},      {"LTE", 5},   {"CDMAEVDORevB", 4}, {"WCDMA", 4}, {"HSUPA", 4},
        {"CDMA1x", 3},     {"GPRS", 3},  {"Edge", 3},  {"eHRPD", 3},        {"NR", 6},    {"NRNSA", 6},
        {"lte", 0},        {"6G", 0},
    };
    for (const auto& [technology, expected] : cases) {
        useRadio(technology);
        EXPECT_EQ(Reachability::radioConnectionType(), expected) << technology.value_or("<none>");
    }
    // New radio counts only from system version 14.1; versions are compared numerically.
    useRadio("NR");
    for (const auto& [version, expected] : std::vector<std::pair<std::string, int>>{
             {"14.0.9", 0}, {"14.1", 6}, {"15", 6}, {"9.9", 0}, {"", 0}, {"99999999999999999999.1", 6}}) {
        OperatingSystem::setVersionProvider([version = version] { return version; });
        EXPECT_EQ(Reachability::radioConnectionType(), expected) << version;
    }
    EXPECT_EQ(OperatingSystem::numericPrefix("6.1.0-18-amd64"), "6.1.0");
    EXPECT_EQ(OperatingSystem::numericPrefix("5..1"), "5");
}

}  // namespace
}  // namespace solen
