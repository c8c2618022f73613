#include "Platform/Foundation/FileManager.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdlib>

namespace solen::platform {
namespace {

std::optional<std::filesystem::path> defaultDocumentDirectory() {
    if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && *data == '/') {
        return std::filesystem::path(data) / "solen";
    }
    if (const char* home = std::getenv("HOME"); home != nullptr && *home == '/') {
        return std::filesystem::path(home) / ".local" / "share" / "solen";
    }
    return std::nullopt;
}

}  // namespace

FileManager& FileManager::defaultManager() {
    static auto& manager = *new FileManager;
    return manager;
}

std::vector<std::filesystem::path> FileManager::documentDirectoryURLs() const {
    std::optional<std::filesystem::path> directory;
    {
        std::lock_guard lock(mutex_);
        directory = documentDirectory_;
    }
    if (!directory) {
        directory = defaultDocumentDirectory();
    }
    if (!directory) {
        return {};
    }
    return {*directory};
}

std::optional<Clock::WallTimePoint> FileManager::creationDate(const std::filesystem::path& path) const {
    std::function<std::optional<Clock::WallTimePoint>(const std::filesystem::path&)> provider;
    {
        std::lock_guard lock(mutex_);
        provider = creationDateProvider_;
    }
    return provider ? provider(path) : fileSystemCreationDate(path);
}

std::string FileManager::displayName(const std::filesystem::path& path) {
    std::filesystem::path trimmed = path;
    if (!trimmed.has_filename() && trimmed.has_parent_path()) {
        trimmed = trimmed.parent_path();  // "/a/Demo.app/" names "Demo.app"
    }
    const std::string stem = trimmed.stem().string();
    return stem.empty() ? trimmed.filename().string() : stem;
}

void FileManager::setDocumentDirectory(std::optional<std::filesystem::path> path) {
    std::lock_guard lock(mutex_);
    documentDirectory_ = std::move(path);
}

void FileManager::setCreationDateProvider(
    std::function<std::optional<Clock::WallTimePoint>(const std::filesystem::path&)> provider) {
    std::lock_guard lock(mutex_);
    creationDateProvider_ = std::move(provider);
}

std::optional<Clock::WallTimePoint> FileManager::fileSystemCreationDate(const std::filesystem::path& path) {
    struct statx attributes {};
    if (statx(AT_FDCWD, path.c_str(), 0, STATX_BTIME, &attributes) != 0 || (attributes.stx_mask & STATX_BTIME) == 0) {
        return std::nullopt;
    }
    const auto since = std::chrono::seconds(attributes.stx_btime.tv_sec) +
                       std::chrono::nanoseconds(attributes.stx_btime.tv_nsec);
    return Clock::WallTimePoint(std::chrono::duration_cast<Clock::Duration>(since));
}

}  // namespace solen::platform
