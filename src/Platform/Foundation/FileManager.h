#pragma once

#include "Platform/Dispatch/Clock.h"

#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace solen::platform {

// File-system facts the SDK reads: the application's documents folder and a file's creation date.
// On Linux the documents folder is the application's data folder ($XDG_DATA_HOME/solen, or
// ~/.local/share/solen); a host or a test may point it elsewhere or supply creation dates itself
// (file systems that keep no birth time report none). Thread-safe.
class FileManager {
public:
    static FileManager& defaultManager();

    // The documents folder of the user domain; empty when none is known.
    std::vector<std::filesystem::path> documentDirectoryURLs() const;
    // The file's creation (birth) time; none when the file is missing or the file system keeps none.
    std::optional<Clock::WallTimePoint> creationDate(const std::filesystem::path& path) const;
    // The name the user sees for a path: its last component without extension ("/a/Demo.app" -> "Demo").
    static std::string displayName(const std::filesystem::path& path);

    // None restores the default folder.
    void setDocumentDirectory(std::optional<std::filesystem::path> path);
    // An empty function restores reading the file system.
    void setCreationDateProvider(std::function<std::optional<Clock::WallTimePoint>(const std::filesystem::path&)> provider);

    // Birth time from the file system itself.
    static std::optional<Clock::WallTimePoint> fileSystemCreationDate(const std::filesystem::path& path);

private:
    FileManager() = default;
    mutable std::mutex mutex_;
    std::optional<std::filesystem::path> documentDirectory_;
    std::function<std::optional<Clock::WallTimePoint>(const std::filesystem::path&)> creationDateProvider_;
};

}  // namespace solen::platform
