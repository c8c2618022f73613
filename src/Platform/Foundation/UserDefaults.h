#pragma once

#include "Platform/Foundation/PropertyValue.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>

namespace solen::platform {

// The application's user-defaults store: property-list values by text key, kept in memory and
// persisted to one JSON file with a type tag on every value, so that every kind (text, integer,
// double, boolean, data, date with nanoseconds, array, dictionary) reads back as it was written.
//
// Writes are coalesced: a change marks the store dirty and a writer thread saves the whole store
// shortly after (at most one save per `kWriteDelay`), so a burst of N changes costs a few saves
// rather than N. `synchronize()` saves at once; destruction saves what is pending. Every save is
// atomic: a temporary file in the same folder is written, flushed to disk, then renamed over the
// store file. Opening the store removes temporary files that an interrupted save left behind.
//
// A file that was read but does not decode (or a path that holds something other than a file) is
// renamed aside ("<name>.corrupt", then ".corrupt.1", ...) and the store starts empty. A file that
// cannot be read at all (no descriptor left, permission, an I/O error) is left exactly as it is:
// the error is logged, changes made meanwhile are kept in memory, every later access tries the
// read again, and nothing is saved until a read succeeds; then the changes made meanwhile are
// applied over the file's values and saved.
//
// Thread-safe: every operation may be called from any thread; readers get copies.
class UserDefaults {
public:
    static constexpr std::chrono::milliseconds kWriteDelay{50};

    explicit UserDefaults(std::filesystem::path path);
    ~UserDefaults();
    UserDefaults(const UserDefaults&) = delete;
    UserDefaults& operator=(const UserDefaults&) = delete;

    // The process's standard store. Created on first use at `standardPath()`.
    static std::shared_ptr<UserDefaults> standard();
    // Sets the file of the standard store. Before first use this only sets the path; afterwards
    // the standard store is replaced by one at the new path (the old one saves its changes).
    static void setStandardPath(std::filesystem::path path);
    static std::filesystem::path standardPath();
    // Replaces the standard store (tests); null means "create on next use". Returns the previous.
    static std::shared_ptr<UserDefaults> setStandard(std::shared_ptr<UserDefaults> defaults);
    // "$XDG_DATA_HOME/solen/UserDefaults.json", else "~/.local/share/solen/UserDefaults.json",
    // else (no home) "./solen/UserDefaults.json".
    static std::filesystem::path defaultPath();

    const std::filesystem::path& path() const { return path_; }

    // Reading may try the file again, so lookups are not const.
    std::optional<PropertyValue> get(const std::string& key);
    void set(PropertyValue value, const std::string& key);
    void remove(const std::string& key);
    // A copy of every entry.
    std::map<std::string, PropertyValue> snapshot();

    // Saves pending changes now. False when the save failed or the file could not be read yet
    // (the changes stay pending).
    bool synchronize();
    // Saves pending changes, drops the in-memory state and reads the file again, as a new
    // launch of the application would.
    void reopen();

    // Where the last unreadable file was moved (tests and diagnostics).
    std::optional<std::filesystem::path> movedAsidePath() const;
    // How many times the file has been written by this instance (tests and diagnostics).
    std::uint64_t saveCount() const;

private:
    // Reads the file when it has not been read yet; false while it cannot be read. `quiet` logs
    // nothing (at process exit the logger may be gone).
    bool ensureLoadedLocked(bool quiet = false);
    void loadLocked(bool quiet = false);
    void adoptLocked(std::map<std::string, PropertyValue> stored);
    void moveAsideLocked(const std::string& problem, bool quiet);
    void removeLeftoverTemporaryFiles() const;
    void markDirtyLocked();
    bool save(bool quiet);
    void writerLoop();
    static void saveStandardAtExit();

    const std::filesystem::path path_;

    mutable std::mutex mutex_;
    std::map<std::string, PropertyValue> values_;
    // False while the file exists but could not be read: `values_` then holds only the changes
    // made since, and `removedMeanwhile_` the keys removed since.
    bool loaded_ = false;
    std::set<std::string> removedMeanwhile_;
    std::string lastReadProblem_;  // logged once per streak of failed reads
    std::uint64_t generation_ = 0;
    std::optional<std::filesystem::path> movedAside_;

    std::mutex saveMutex_;  // serialises saves; taken before `mutex_`
    std::uint64_t savedGeneration_ = 0;
    std::atomic<std::uint64_t> saveCount_{0};

    std::condition_variable writerWake_;
    bool writerPending_ = false;
    bool stopping_ = false;
    std::thread writer_;
};

}  // namespace solen::platform
