#include "Platform/Foundation/UserDefaults.h"

#include "Commons/Json/JsonReader.h"
#include "Commons/Utilities/Logger.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <string_view>
#include <sys/stat.h>
#include <stdexcept>
#include <unistd.h>

namespace solen::platform {
namespace {

// Keys are kept sorted; an insertion-ordered object would make large stores quadratic to read and write.
using Json = nlohmann::json;

constexpr const char* kFormatName = "solen-user-defaults";
constexpr int kFormatVersion = 1;
// Deeper nesting than this in a file is treated as corruption (the decoder recurses).
constexpr int kMaxDepth = 512;
// Nesting the file's text may have: two levels per tagged value (its object and its payload's
// container) under the file's own two.
constexpr std::size_t kMaxJsonDepth = 2 * kMaxDepth + 8;

// ---- Tagged encoding: every value is a one-member object {"<kind>": payload}. ----

std::string hexOf(const PropertyValue::Data& bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (const auto byte : bytes) {
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0x0F];
    }
    return text;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

Json encodeReal(double value) {
    if (std::isnan(value)) return "nan";
    if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
    return value;
}

Json encodeTagged(const PropertyValue& value) {
    using Kind = PropertyValue::Kind;
    switch (value.kind()) {
        case Kind::text: return Json{{"text", *value.text()}};
        case Kind::integer: return Json{{"integer", *value.integer()}};
        case Kind::real: return Json{{"real", encodeReal(*value.real())}};
        case Kind::boolean: return Json{{"bool", *value.boolean()}};
        case Kind::data: return Json{{"data", hexOf(*value.data())}};
        case Kind::date: return Json{{"date", value.date()->time_since_epoch().count()}};
        case Kind::array: {
            Json elements = Json::array();
            for (const auto& element : *value.array()) {
                elements.push_back(encodeTagged(element));
            }
            return Json{{"array", std::move(elements)}};
        }
        case Kind::dictionary: {
            Json members = Json::object();
            for (const auto& [key, element] : *value.dictionary()) {
                members[key] = encodeTagged(element);
            }
            return Json{{"dictionary", std::move(members)}};
        }
    }
    return Json();
}

struct FormatError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

double decodeReal(const JsonReader& payload) {
    switch (payload.kind()) {
        case JsonReader::Kind::int64:
        case JsonReader::Kind::uint64:
        case JsonReader::Kind::real: return payload.asDouble();
        case JsonReader::Kind::string: {
            const std::string_view text = payload.asStringView();
            if (text == "nan") return std::nan("");
            if (text == "inf") return HUGE_VAL;
            if (text == "-inf") return -HUGE_VAL;
            break;
        }
        default: break;
    }
    throw FormatError("bad real");
}

PropertyValue decodeTagged(const JsonReader& tagged, int depth);

// The value of a tagged object's one member.
PropertyValue decodePayload(std::string_view tag, const JsonReader& payload, int depth) {
    using Kind = JsonReader::Kind;
    const Kind kind = payload.kind();
    if (tag == "text" && kind == Kind::string) {
        return PropertyValue(payload.asString());
    }
    if (tag == "integer" && (kind == Kind::int64 || kind == Kind::uint64)) {
        if (kind == Kind::uint64) {
            throw FormatError("integer out of range");
        }
        return PropertyValue(payload.asInt64());
    }
    if (tag == "real") {
        return PropertyValue(decodeReal(payload));
    }
    if (tag == "bool" && (kind == Kind::trueValue || kind == Kind::falseValue)) {
        return PropertyValue(payload.asBool());
    }
    if (tag == "data" && kind == Kind::string) {
        const std::string_view text = payload.asStringView();
        if (text.size() % 2 != 0) {
            throw FormatError("bad data");
        }
        PropertyValue::Data bytes;
        bytes.reserve(text.size() / 2);
        for (std::size_t i = 0; i < text.size(); i += 2) {
            const int high = hexDigit(text[i]);
            const int low = hexDigit(text[i + 1]);
            if (high < 0 || low < 0) {
                throw FormatError("bad data");
            }
            bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
        }
        return PropertyValue(std::move(bytes));
    }
    // A date beyond the signed range is read as unsigned and has no tag that takes it.
    if (tag == "date" && kind == Kind::int64) {
        return PropertyValue(PropertyValue::Date(Clock::Duration(payload.asInt64())));
    }
    if (tag == "array" && kind == Kind::array) {
        PropertyValue::Array elements;
        elements.reserve(payload.size());
        payload.forEachElement([&](const JsonReader& element) { elements.push_back(decodeTagged(element, depth + 1)); });
        return PropertyValue(std::move(elements));
    }
    if (tag == "dictionary" && kind == Kind::object) {
        PropertyValue::Dictionary members;
        payload.forEachMember([&](std::string_view key, const JsonReader& element) {
            members.insert_or_assign(std::string(key), decodeTagged(element, depth + 1));
        });
        return PropertyValue(std::move(members));
    }
    throw FormatError("unknown tag or payload");
}

PropertyValue decodeTagged(const JsonReader& tagged, int depth) {
    if (depth > kMaxDepth) {
        throw FormatError("nesting too deep");
    }
    if (!tagged.isObject()) {
        throw FormatError("value is not a tagged object");
    }
    // Exactly one distinct key; a repeated key counts once, with its last value.
    std::size_t members = 0;
    tagged.forEachMember([&](std::string_view, const JsonReader&) { ++members; });
    if (members != 1) {
        throw FormatError("value is not a tagged object");
    }
    std::optional<PropertyValue> value;
    tagged.forEachMember([&](std::string_view tag, const JsonReader& payload) { value = decodePayload(tag, payload, depth); });
    return std::move(*value);
}

std::string encodeFile(const std::map<std::string, PropertyValue>& values) {
    Json members = Json::object();
    for (const auto& [key, value] : values) {
        members[key] = encodeTagged(value);
    }
    Json file = Json::object();
    file["format"] = kFormatName;
    file["version"] = kFormatVersion;
    file["values"] = std::move(members);
    return file.dump();
}

std::map<std::string, PropertyValue> decodeFile(const std::string& text) {
    // A NUL byte is never part of a JSON text (the reader would take it as the text's end).
    if (text.find('\0') != std::string::npos) {
        throw FormatError("not a JSON object");
    }
    std::optional<JsonDocument> document;
    try {
        document.emplace(JsonDocument::parse(text, kMaxJsonDepth));
    } catch (const JsonDecodingError&) {
        throw FormatError("not a JSON object");
    }
    const JsonReader file(*document);
    if (!file.isObject()) {
        throw FormatError("not a JSON object");
    }
    // The version is a number equal to 1, however it is written.
    const auto isFormatVersion = [](const JsonReader& version) {
        switch (version.kind()) {
            case JsonReader::Kind::int64: return version.asInt64() == kFormatVersion;
            case JsonReader::Kind::real: return version.asDouble() == kFormatVersion;
            default: return false;
        }
    };
    if (!file.contains("format") || !file.at("format").isString() || file.at("format").asStringView() != kFormatName ||
        !file.contains("version") || !isFormatVersion(file.at("version")) || !file.contains("values") ||
        !file.at("values").isObject()) {
        throw FormatError("not a user-defaults file");
    }
    std::map<std::string, PropertyValue> values;
    file.at("values").forEachMember([&](std::string_view key, const JsonReader& value) {
        values.insert_or_assign(std::string(key), decodeTagged(value, 0));
    });
    return values;
}

// What reading the store file found. Only text that was read and does not decode, or something
// that is not a file, is moved aside: a file that could not be read says nothing of its content.
struct FileRead {
    enum class Outcome { absent, read, notAFile, unreadable } outcome = Outcome::absent;
    std::string text;     // `read`
    std::string problem;  // `notAFile`, `unreadable`
};

FileRead readStoreFile(const std::filesystem::path& path) {
    FileRead result;
    // Non-blocking, so that a FIFO at the path cannot stall the store.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        if (errno != ENOENT && errno != ENOTDIR) {
            result.outcome = FileRead::Outcome::unreadable;
            result.problem = std::strerror(errno);
        }
        return result;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        result.outcome = FileRead::Outcome::unreadable;
        result.problem = std::strerror(errno);
    } else if (!S_ISREG(info.st_mode)) {
        result.outcome = FileRead::Outcome::notAFile;
        result.problem = "not a regular file";
    } else {
        result.outcome = FileRead::Outcome::read;
        char buffer[64 * 1024];
        while (true) {
            const ssize_t count = ::read(fd, buffer, sizeof buffer);
            if (count > 0) {
                result.text.append(buffer, static_cast<std::size_t>(count));
            } else if (count == 0) {
                break;
            } else if (errno != EINTR) {
                result.outcome = FileRead::Outcome::unreadable;
                result.problem = std::strerror(errno);
                result.text.clear();
                break;
            }
        }
    }
    ::close(fd);
    return result;
}

// Saves write "<name>.tmp.XXXXXX" beside the store file; mkostemp replaces the six X.
constexpr std::string_view kTemporaryInfix = ".tmp.";
constexpr std::string_view kTemporaryUnique = "XXXXXX";

std::string temporaryPattern(const std::filesystem::path& path) {
    return path.string() + std::string(kTemporaryInfix) + std::string(kTemporaryUnique);
}

bool writeAll(int fd, const std::string& text) {
    const char* cursor = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, cursor, left);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        cursor += written;
        left -= static_cast<std::size_t>(written);
    }
    return true;
}

// Writes `text` to `path` atomically. Returns an error text, empty on success.
std::string writeAtomically(const std::filesystem::path& path, const std::string& text) {
    std::error_code error;
    const auto folder = path.parent_path();
    if (!folder.empty()) {
        std::filesystem::create_directories(folder, error);
        if (error) {
            return "cannot create " + folder.string() + ": " + error.message();
        }
    }
    std::string temporary = temporaryPattern(path);
    // Close-on-exec: a host that forks and runs a program meanwhile must not hand it the copy.
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        return "cannot create a temporary file: " + std::string(std::strerror(errno));
    }
    const bool written = writeAll(fd, text) && ::fsync(fd) == 0;
    const int savedErrno = errno;
    ::close(fd);
    if (!written) {
        ::unlink(temporary.c_str());
        return "cannot write " + temporary + ": " + std::strerror(savedErrno);
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        const int renameErrno = errno;
        ::unlink(temporary.c_str());
        return "cannot rename onto " + path.string() + ": " + std::strerror(renameErrno);
    }
    // Make the rename itself durable.
    const int folderFd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
        ::fsync(folderFd);
        ::close(folderFd);
    }
    return {};
}

struct StandardState {
    std::mutex mutex;
    std::shared_ptr<UserDefaults> instance;
    std::optional<std::filesystem::path> path;
    bool exitHookInstalled = false;
};

// Never destroyed: the standard store must stay usable from other objects' destructors at exit.
StandardState& standardState() {
    static auto* state = new StandardState();
    return *state;
}

}  // namespace

UserDefaults::UserDefaults(std::filesystem::path path) : path_(std::move(path)) {
    removeLeftoverTemporaryFiles();
    std::lock_guard<std::mutex> lock(mutex_);
    loadLocked();
}

UserDefaults::~UserDefaults() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    writerWake_.notify_all();
    if (writer_.joinable()) {
        writer_.join();
    }
    // Quiet: the logger may already be gone when this runs at process exit.
    save(/*quiet=*/true);
}

std::shared_ptr<UserDefaults> UserDefaults::standard() {
    auto& state = standardState();
    std::lock_guard<std::mutex> lock(state.mutex);
    if (!state.instance) {
        state.instance = std::make_shared<UserDefaults>(state.path.value_or(defaultPath()));
        if (!state.exitHookInstalled) {
            state.exitHookInstalled = true;
            std::atexit(&UserDefaults::saveStandardAtExit);
        }
    }
    return state.instance;
}

void UserDefaults::saveStandardAtExit() {
    std::shared_ptr<UserDefaults> instance;
    {
        auto& state = standardState();
        std::lock_guard<std::mutex> lock(state.mutex);
        instance = state.instance;
    }
    if (instance) {
        instance->save(/*quiet=*/true);
    }
}

void UserDefaults::setStandardPath(std::filesystem::path path) {
    std::shared_ptr<UserDefaults> previous;
    auto& state = standardState();
    std::lock_guard<std::mutex> lock(state.mutex);
    state.path = path;
    if (state.instance && state.instance->path() != path) {
        previous = std::move(state.instance);
        state.instance = std::make_shared<UserDefaults>(path);
    }
    // `previous` saves its pending changes when its last user lets it go.
}

std::filesystem::path UserDefaults::standardPath() {
    auto& state = standardState();
    std::lock_guard<std::mutex> lock(state.mutex);
    if (state.instance) {
        return state.instance->path();
    }
    return state.path.value_or(defaultPath());
}

std::shared_ptr<UserDefaults> UserDefaults::setStandard(std::shared_ptr<UserDefaults> defaults) {
    auto& state = standardState();
    std::lock_guard<std::mutex> lock(state.mutex);
    if (defaults && !state.exitHookInstalled) {
        state.exitHookInstalled = true;
        std::atexit(&UserDefaults::saveStandardAtExit);
    }
    std::swap(state.instance, defaults);
    return defaults;
}

std::filesystem::path UserDefaults::defaultPath() {
    std::filesystem::path base;
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data == '/') {
        base = data;
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        base = std::filesystem::path(home) / ".local" / "share";
    } else {
        base = ".";
    }
    return base / "solen" / "UserDefaults.json";
}

std::optional<PropertyValue> UserDefaults::get(const std::string& key) {
    std::lock_guard<std::mutex> lock(mutex_);
    ensureLoadedLocked();
    const auto it = values_.find(key);
    if (it == values_.end()) {
        return std::nullopt;
    }
    return it->second;
}

void UserDefaults::set(PropertyValue value, const std::string& key) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!ensureLoadedLocked()) {
        removedMeanwhile_.erase(key);
    }
    values_.insert_or_assign(key, std::move(value));
    markDirtyLocked();
}

void UserDefaults::remove(const std::string& key) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!ensureLoadedLocked()) {
        // The file may hold the key: remember to remove it once the file is read.
        values_.erase(key);
        removedMeanwhile_.insert(key);
        markDirtyLocked();
        return;
    }
    if (values_.erase(key) > 0) {
        markDirtyLocked();
    }
}

std::map<std::string, PropertyValue> UserDefaults::snapshot() {
    std::lock_guard<std::mutex> lock(mutex_);
    ensureLoadedLocked();
    return values_;
}

bool UserDefaults::synchronize() { return save(/*quiet=*/false); }

void UserDefaults::reopen() {
    synchronize();
    std::lock_guard<std::mutex> saveLock(saveMutex_);
    removeLeftoverTemporaryFiles();
    std::lock_guard<std::mutex> lock(mutex_);
    values_.clear();
    removedMeanwhile_.clear();
    loaded_ = false;
    movedAside_.reset();
    loadLocked();
    // What is in memory is now exactly what is on disk.
    ++generation_;
    savedGeneration_ = generation_;
}

std::optional<std::filesystem::path> UserDefaults::movedAsidePath() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return movedAside_;
}

std::uint64_t UserDefaults::saveCount() const { return saveCount_.load(); }

bool UserDefaults::ensureLoadedLocked(bool quiet) {
    if (!loaded_) {
        loadLocked(quiet);
    }
    return loaded_;
}

void UserDefaults::loadLocked(bool quiet) {
    FileRead read = readStoreFile(path_);
    switch (read.outcome) {
        case FileRead::Outcome::absent:
            adoptLocked({});
            return;
        case FileRead::Outcome::read:
            try {
                adoptLocked(decodeFile(read.text));
                return;
            } catch (const std::exception& failure) {
                read.problem = failure.what();
            }
            break;
        case FileRead::Outcome::notAFile:
            break;
        case FileRead::Outcome::unreadable:
            // Nothing is known about the content, so the file is neither moved nor overwritten.
            if (!quiet && read.problem != lastReadProblem_) {
                lastReadProblem_ = read.problem;
                Logger::error("Cannot read user defaults at " + path_.string() + " (" + read.problem +
                              "); keeping changes in memory until it can be read");
            }
            return;
    }
    moveAsideLocked(read.problem, quiet);
    adoptLocked({});
}

void UserDefaults::adoptLocked(std::map<std::string, PropertyValue> stored) {
    // Changes made while the file could not be read are newer than the file's values.
    for (const auto& key : removedMeanwhile_) {
        stored.erase(key);
    }
    for (auto& [key, value] : values_) {
        stored.insert_or_assign(key, std::move(value));
    }
    values_ = std::move(stored);
    removedMeanwhile_.clear();
    lastReadProblem_.clear();
    loaded_ = true;
    if (generation_ != savedGeneration_) {
        markDirtyLocked();
    }
}

void UserDefaults::moveAsideLocked(const std::string& problem, bool quiet) {
    std::error_code error;
    // Keep the damaged file for inspection, under a name no later save will overwrite.
    std::filesystem::path aside = path_.string() + ".corrupt";
    for (int attempt = 1; std::filesystem::exists(aside, error) && attempt < 1000; ++attempt) {
        aside = path_.string() + ".corrupt." + std::to_string(attempt);
    }
    std::filesystem::rename(path_, aside, error);
    if (!error) {
        movedAside_ = aside;
    }
    if (quiet) {
        return;
    }
    if (error) {
        Logger::error("Cannot read user defaults at " + path_.string() + " (" + problem +
                      ") and cannot move it aside: " + error.message());
    } else {
        Logger::error("User defaults at " + path_.string() + " were unreadable (" + problem + "); moved to " +
                      aside.string() + ", starting empty");
    }
}

// A save interrupted between writing its temporary copy and the rename leaves the copy behind;
// no save of this store is running while it is opened, so every such copy is stale.
void UserDefaults::removeLeftoverTemporaryFiles() const {
    const std::string prefix = path_.filename().string() + std::string(kTemporaryInfix);
    const std::size_t length = prefix.size() + kTemporaryUnique.size();
    const auto folder = path_.has_parent_path() ? path_.parent_path() : std::filesystem::path(".");
    std::error_code error;
    // A folder that cannot be listed (none yet, no descriptor left) is tried again at the next open.
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        std::error_code ignored;
        if (name.size() == length && name.starts_with(prefix) && it->is_regular_file(ignored)) {
            std::filesystem::remove(it->path(), ignored);
        }
    }
}

void UserDefaults::markDirtyLocked() {
    ++generation_;
    if (writerPending_ || stopping_) {
        return;
    }
    writerPending_ = true;
    if (!writer_.joinable()) {
        writer_ = std::thread([this] { writerLoop(); });
    }
    writerWake_.notify_all();
}

void UserDefaults::writerLoop() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (true) {
        writerWake_.wait(lock, [this] { return writerPending_ || stopping_; });
        if (stopping_) {
            return;
        }
        // Let a burst of changes gather before saving them together.
        writerWake_.wait_for(lock, kWriteDelay, [this] { return stopping_; });
        if (stopping_) {
            return;
        }
        writerPending_ = false;
        lock.unlock();
        save(/*quiet=*/false);
        lock.lock();
    }
}

bool UserDefaults::save(bool quiet) {
    std::lock_guard<std::mutex> saveLock(saveMutex_);
    std::map<std::string, PropertyValue> values;
    std::uint64_t generation = 0;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (generation_ == savedGeneration_) {
            return true;
        }
        // Writing before the file was read would replace values that cannot be seen yet.
        if (!ensureLoadedLocked(quiet)) {
            return false;
        }
        values = values_;
        generation = generation_;
    }
    const std::string failure = writeAtomically(path_, encodeFile(values));
    if (!failure.empty()) {
        if (!quiet) {
            Logger::error("Cannot save user defaults: " + failure);
        }
        return false;
    }
    savedGeneration_ = generation;
    ++saveCount_;
    return true;
}

}  // namespace solen::platform
