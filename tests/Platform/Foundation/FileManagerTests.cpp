#include "Platform/Foundation/FileManager.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace solen::platform {
namespace {

TEST(FileManagerTests, DisplayNameIsTheLastComponentWithoutExtension) {
    EXPECT_EQ(FileManager::displayName("/apps/Demo.app"), "Demo");
    EXPECT_EQ(FileManager::displayName("/apps/Demo.app/"), "Demo");
    EXPECT_EQ(FileManager::displayName("/usr/bin/solen-demo"), "solen-demo");
    EXPECT_EQ(FileManager::displayName("/home/user/.hidden"), ".hidden");
}

TEST(FileManagerTests, DocumentsFolderDefaultsToTheDataFolderAndCanBeReplaced) {
    auto& files = FileManager::defaultManager();
    const char* previous = std::getenv("XDG_DATA_HOME");
    const std::string saved = previous != nullptr ? previous : "";
    setenv("XDG_DATA_HOME", "/data/home", 1);
    EXPECT_EQ(files.documentDirectoryURLs(), std::vector<std::filesystem::path>{"/data/home/solen"});

    files.setDocumentDirectory("/elsewhere");
    EXPECT_EQ(files.documentDirectoryURLs(), std::vector<std::filesystem::path>{"/elsewhere"});
    files.setDocumentDirectory(std::nullopt);
    if (previous != nullptr) {
        setenv("XDG_DATA_HOME", saved.c_str(), 1);
    } else {
        unsetenv("XDG_DATA_HOME");
    }
}

TEST(FileManagerTests, CreationDateComesFromTheFileSystemOrTheProvider) {
    auto& files = FileManager::defaultManager();
    EXPECT_EQ(files.creationDate("/no/such/folder"), std::nullopt);

    const auto folder = std::filesystem::temp_directory_path() / ("solen-files-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const auto before = std::chrono::system_clock::now() - std::chrono::seconds(5);
    if (const auto created = files.creationDate(folder)) {  // some file systems keep no birth time
        EXPECT_GE(*created, before);
        EXPECT_LE(*created, std::chrono::system_clock::now() + std::chrono::seconds(5));
    }
    std::filesystem::remove_all(folder);

    const Clock::WallTimePoint fixed(std::chrono::seconds(1609459200));
    files.setCreationDateProvider([&](const std::filesystem::path&) { return std::optional(fixed); });
    EXPECT_EQ(files.creationDate("/no/such/folder"), fixed);
    files.setCreationDateProvider({});
}

}  // namespace
}  // namespace solen::platform
