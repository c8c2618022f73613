#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/FileManager.h"
#include "Platform/Foundation/Locale.h"
#include "Platform/Foundation/UUID.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>

namespace solen::platform {
namespace {

TEST(LocaleTest, IdentifierLanguageAndRegion) {
    EXPECT_EQ(Locale::identifierFromPosixName("de_DE.UTF-8@euro"), "de_DE");
    EXPECT_EQ(Locale::identifierFromPosixName("C.UTF-8"), "en_US_POSIX");
    EXPECT_EQ(Locale::identifierFromPosixName(""), "en_US_POSIX");
    EXPECT_EQ(Locale("en_US").languageCode(), "en");
    EXPECT_EQ(Locale("zh_Hans_CN").regionCode(), "CN");
    EXPECT_EQ(Locale("es-419").regionCode(), "419");
    EXPECT_EQ(Locale("en_US_POSIX").regionCode(), "US");
    EXPECT_EQ(Locale("fr").regionCode(), std::nullopt);
    EXPECT_EQ(Locale("_US").languageCode(), std::nullopt);
}

TEST(BundleTest, InfoDictionaryMayBeAbsentAndMustBeAnObject) {
    Bundle& bundle = Bundle::main();
    ASSERT_TRUE(bundle.setInfoDictionary(std::nullopt));
    EXPECT_FALSE(bundle.infoDictionary());
    EXPECT_FALSE(bundle.objectForInfoDictionaryKey("CFBundleIdentifier"));

    EXPECT_TRUE(bundle.setInfoDictionary(nlohmann::ordered_json{{"CFBundleIdentifier", "com.example.app"}}));
    EXPECT_EQ(bundle.bundleIdentifier(), "com.example.app");
    EXPECT_FALSE(bundle.setInfoDictionary(nlohmann::ordered_json::array()));
    EXPECT_EQ(bundle.bundleIdentifier(), "com.example.app");
    EXPECT_TRUE(bundle.setInfoDictionary(nlohmann::ordered_json{{"CFBundleIdentifier", 7}}));
    EXPECT_EQ(bundle.bundleIdentifier(), std::nullopt);  // not a text
    bundle.setInfoDictionary(std::nullopt);
}

TEST(FileManagerTests, DisplayNameAndCreationDate) {
    EXPECT_EQ(FileManager::displayName("/apps/Demo.app"), "Demo");
    EXPECT_EQ(FileManager::displayName("/apps/Demo.app/"), "Demo");
    EXPECT_EQ(FileManager::displayName("/usr/bin/solen-demo"), "solen-demo");
    EXPECT_EQ(FileManager::displayName("/home/user/.hidden"), ".hidden");

    // The creation date comes from the file system.
    auto& files = FileManager::defaultManager();
    EXPECT_EQ(files.creationDate("/no/such/folder"), std::nullopt);
    const auto folder = std::filesystem::temp_directory_path() / ("solen-files-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    if (const auto created = files.creationDate(folder)) {  // some file systems keep no birth time
        EXPECT_LE(std::chrono::abs(std::chrono::system_clock::now() - *created), std::chrono::seconds(5));
    }
    std::filesystem::remove_all(folder);
}

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
