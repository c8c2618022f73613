#include "Platform/Foundation/UUID.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>

namespace solen::platform {
namespace {

TEST(UUIDTests, RandomUuidsAreCanonicalUpperCaseVersion4DistinctAndParseBack) {
    const std::regex canonical("[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}");
    std::set<std::string> seen;
    for (int i = 0; i < 1000; ++i) {
        const UUID uuid;
        ASSERT_TRUE(std::regex_match(uuid.uuidString(), canonical)) << uuid.uuidString();
        ASSERT_EQ(UUID::fromString(uuid.uuidString()), uuid);
        seen.insert(uuid.uuidString());
    }
    EXPECT_EQ(seen.size(), 1000u);

    EXPECT_EQ(UUID::fromString("e621e1f8-c36c-495a-93fc-0c247a3e6e5f")->uuidString(), "E621E1F8-C36C-495A-93FC-0C247A3E6E5F");
    for (const char* bad : {"E621E1F8C36C495A93FC0C247A3E6E5F", "G621E1F8-C36C-495A-93FC-0C247A3E6E5F", ""}) {
        EXPECT_FALSE(UUID::fromString(bad)) << bad;
    }
}

}  // namespace
}  // namespace solen::platform
