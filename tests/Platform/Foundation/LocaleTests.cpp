#include "Platform/Foundation/Bundle.h"
#include "Platform/Foundation/Locale.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace solen::platform
