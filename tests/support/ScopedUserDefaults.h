#pragma once

#include "Platform/Foundation/UserDefaults.h"

#include <filesystem>
#include <memory>

namespace solen::test {

// Points the standard user-defaults store at a fresh temporary folder for the life of the object,
// then puts the previous store back and deletes the folder.
class ScopedUserDefaults {
public:
    ScopedUserDefaults();
    ~ScopedUserDefaults();
    ScopedUserDefaults(const ScopedUserDefaults&) = delete;
    ScopedUserDefaults& operator=(const ScopedUserDefaults&) = delete;

    const std::filesystem::path& directory() const { return directory_; }
    // The store file inside the folder.
    std::filesystem::path path() const { return directory_ / "UserDefaults.json"; }
    std::shared_ptr<platform::UserDefaults> defaults() const { return platform::UserDefaults::standard(); }
    // Saves and reads the store file again, as a relaunch of the application would.
    void relaunch() const { defaults()->reopen(); }

private:
    std::filesystem::path directory_;
    std::shared_ptr<platform::UserDefaults> previous_;
};

}  // namespace solen::test
