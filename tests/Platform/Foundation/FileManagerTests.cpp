#include "Platform/Foundation/FileManager.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace solen::platform {
namespace {

TEST(FileManagerTests, DisplayNameIsTheLastComponentWithoutExtension) {
    EXPECT_EQ(FileManager::displayName("/apps/Demo.app"), "Demo");
    EXPECT_EQ(FileManager::displayName("/apps/Demo.app/"), "Demo");
    EXPECT_EQ(FileManager::displayName("/usr/bin/solen-demo"), "solen-demo");
    EXPECT_EQ(FileManager::displayName("/home/user/.hidden"), ".hidden");
}

TEST(FileManagerTests, CreationDateComesFromTheFileSystem) {
    auto& files = FileManager::defaultManager();
    EXPECT_EQ(files.creationDate("/no/such/folder"), std::nullopt);
    const auto folder = std::filesystem::temp_directory_path() / ("solen-files-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    if (const auto created = files.creationDate(folder)) {  // some file systems keep no birth time
        EXPECT_LE(std::chrono::abs(std::chrono::system_clock::now() - *created), std::chrono::seconds(5));
    }
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace solen::platform
