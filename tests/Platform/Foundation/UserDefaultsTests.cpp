#include "Platform/Foundation/UserDefaults.h"

#include "support/LogCapture.h"
#include "support/ScopedUserDefaults.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <map>
#include <optional>
#include <linux/capability.h>
#include <sys/syscall.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace solen::platform {
namespace {

class UserDefaultsTests : public ::testing::Test {
protected:
    std::filesystem::path path() const { return scoped_.directory() / "store.json"; }

    test::ScopedUserDefaults scoped_;
};

PropertyValue::Dictionary everyKind() {
    using Dictionary = PropertyValue::Dictionary;
    using Array = PropertyValue::Array;
    return Dictionary{
        {"text", PropertyValue("h\xC3\xA9llo \"quoted\"")},
        {"integer", PropertyValue(std::int64_t{-9'007'199'254'740'993})},  // not exact as a double
        {"one", PropertyValue(1)},
        {"oneDouble", PropertyValue(1.0)},
        {"nan", PropertyValue(std::nan(""))},
        {"infinity", PropertyValue(-HUGE_VAL)},
        {"bool", PropertyValue(false)},
        {"data", PropertyValue(PropertyValue::Data{0x00, 0xFF, 0x10, 0xAB})},
        {"date", PropertyValue(PropertyValue::Date(Clock::Duration(1'700'000'000'123'456'789)))},
        {"nested", PropertyValue(Dictionary{{"inner", PropertyValue(Array{PropertyValue(2.5), PropertyValue(Array{})})}})},
    };
}

void expectSameValues(const PropertyValue::Dictionary& expected, const std::map<std::string, PropertyValue>& actual) {
    ASSERT_EQ(actual.size(), expected.size());
    for (const auto& [key, value] : expected) {
        const auto it = actual.find(key);
        ASSERT_NE(it, actual.end()) << key;
        if (value.real() && std::isnan(*value.real())) {
            EXPECT_TRUE(it->second.real() && std::isnan(*it->second.real())) << key;
        } else {
            EXPECT_EQ(it->second, value) << key << ": " << it->second.description();
        }
    }
}

TEST_F(UserDefaultsTests, EveryKindSurvivesReopenAndANewInstanceAndSavesLeaveNoTemporaryFiles) {
    {
        UserDefaults defaults(path());
        defaults.set(PropertyValue("gone"), "removed");
        defaults.set(PropertyValue("old"), "text");
        ASSERT_TRUE(defaults.synchronize());
        defaults.remove("removed");
        for (const auto& [key, value] : everyKind()) {
            defaults.set(value, key);
        }
        defaults.reopen();
        expectSameValues(everyKind(), defaults.snapshot());
    }
    // Destruction saved everything; a later "launch" reads it back.
    UserDefaults relaunched(path());
    expectSameValues(everyKind(), relaunched.snapshot());
    EXPECT_FALSE(relaunched.movedAsidePath());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(scoped_.directory()), {}), 1);
}

TEST_F(UserDefaultsTests, UnreadableFilesAreMovedAsideAndTheStoreStartsEmpty) {
    test::LogCapture log;
    const std::vector<std::string> damaged = {
        "",
        "{not json",
        R"({"format":"solen-user-defaults","version":1,"values":{"k":{"integer":"5"}}})",
        R"({"format":"solen-user-defaults","version":1,"values":{"k":{"date":1.5}}})",
        R"({"format":"solen-user-defaults","version":1,"values":{"k":{"data":"abc"}}})",
        R"({"format":"solen-user-defaults","version":1,"values":{"k":{"integer":9223372036854775808}}})",
        R"({"format":"solen-user-defaults","version":2,"values":{}})",
        R"([1,2,3])",
        std::string(200000, '['),
        std::string("\0\xFF\xFE", 3),
        "",  // a folder where the file should be
    };
    for (std::size_t i = 0; i < damaged.size(); ++i) {
        if (i + 1 < damaged.size()) {
            std::ofstream(path(), std::ios::binary | std::ios::trunc) << damaged[i];
        } else {
            std::filesystem::create_directories(path());
        }
        UserDefaults defaults(path());
        EXPECT_TRUE(defaults.snapshot().empty()) << i;
        ASSERT_TRUE(defaults.movedAsidePath()) << i;
        // The store is usable afterwards.
        defaults.set(PropertyValue("fresh"), "k");
        ASSERT_TRUE(defaults.synchronize());
        defaults.reopen();
        EXPECT_EQ(defaults.get("k"), PropertyValue("fresh"));
        std::filesystem::remove(path());
    }
    // Each damaged file was kept under its own name.
    EXPECT_TRUE(std::filesystem::exists(path().string() + ".corrupt"));
    EXPECT_TRUE(std::filesystem::exists(path().string() + ".corrupt." + std::to_string(damaged.size() - 1)));
    EXPECT_TRUE(log.contains("moved to"));
}

// Files not written by the store itself read by the JSON rules the store has always applied:
// any number equal to 1 is the version, a repeated key counts once with its last value (the value
// it replaced is not read), a byte-order mark is skipped, and values nest to 512 levels, no deeper.
TEST_F(UserDefaultsTests, HandWrittenFilesReadByTheRulesOfTheFormat) {
    const std::string head = R"({"format":"solen-user-defaults","version":)";
    const auto nested = [](int levels) {
        std::string text = R"({"array":[]})";
        for (int i = 0; i < levels; ++i) {
            text = R"({"array":[)" + text + "]}";
        }
        return text;
    };
    const auto nestedValue = [](int levels) {
        PropertyValue value{PropertyValue::Array{}};
        for (int i = 0; i < levels; ++i) {
            value = PropertyValue(PropertyValue::Array{value});
        }
        return value;
    };
    struct Case {
        std::string text;
        std::optional<std::map<std::string, PropertyValue>> expected;  // nothing: moved aside
    };
    const std::vector<Case> cases = {
        {head + R"(1.0,"values":{"k":{"integer":-0}}})", std::map<std::string, PropertyValue>{{"k", PropertyValue(0)}}},
        {head + R"(1,"values":{"k":{"bogus":1},"k":{"text":"b","text":"c"},"d":{"date":-5},"r":{"real":18446744073709551616}}})",
         std::map<std::string, PropertyValue>{{"k", PropertyValue("c")},
                                              {"d", PropertyValue(PropertyValue::Date(Clock::Duration(-5)))},
                                              {"r", PropertyValue(18446744073709551616.0)}}},
        {"\xEF\xBB\xBF " + head + R"(1,"values":{},"values":{"e":{"dictionary":{}}}})",
         std::map<std::string, PropertyValue>{{"e", PropertyValue(PropertyValue::Dictionary{})}}},
        {head + R"(1,"values":{"deep":)" + nested(512) + "}}",
         std::map<std::string, PropertyValue>{{"deep", nestedValue(512)}}},
        {head + R"(1,"values":{"deep":)" + nested(513) + "}}", std::nullopt},
        {head + R"(1,"values":{}})" + std::string(1, '\0'), std::nullopt},
        {head + R"(true,"values":{}})", std::nullopt},
        {head + R"(1,"values":{"k":{"text":"a","integer":1}}})", std::nullopt},
        {head + R"(1,"values":{"k":{"date":9223372036854775808}}})", std::nullopt},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        std::ofstream(path(), std::ios::binary | std::ios::trunc) << cases[i].text;
        {
            UserDefaults defaults(path());
            EXPECT_EQ(defaults.movedAsidePath().has_value(), !cases[i].expected) << i;
            EXPECT_EQ(defaults.snapshot(), cases[i].expected.value_or(std::map<std::string, PropertyValue>{})) << i;
        }
        std::filesystem::remove(path());
    }
}

// Takes read permission on `file` away from the calling thread (and the threads it starts) for
// its lifetime: the file's mode becomes 000 and the thread's effective capabilities lose the two
// with which root reads anything. Running out of descriptors would do as well, but sanitizers
// need descriptors of their own.
class NoReadPermission {
public:
    explicit NoReadPermission(std::filesystem::path file)
        : file_(std::move(file)), mode_(std::filesystem::status(file_).permissions()) {
        std::filesystem::permissions(file_, std::filesystem::perms::none);
        ::syscall(SYS_capget, &header_, saved_);
        __user_cap_data_struct lowered[2] = {saved_[0], saved_[1]};
        lowered[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        ::syscall(SYS_capset, &header_, lowered);
    }
    ~NoReadPermission() {
        ::syscall(SYS_capset, &header_, saved_);
        std::filesystem::permissions(file_, mode_);
    }

private:
    std::filesystem::path file_;
    std::filesystem::perms mode_;
    __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct saved_[2]{};
};

std::string contentOf(int fd) {
    std::string text(1 << 16, '\0');
    const ssize_t size = ::pread(fd, text.data(), text.size(), 0);
    text.resize(size > 0 ? static_cast<std::size_t>(size) : 0);
    return text;
}

TEST_F(UserDefaultsTests, FileThatCannotBeReadStaysAsItIsAndChangesMadeMeanwhileWinOnceItReads) {
    test::LogCapture log;
    {
        UserDefaults defaults(path());
        for (const char* key : {"a", "b", "c"}) {
            defaults.set(PropertyValue(key), key);
        }
        ASSERT_TRUE(defaults.synchronize());
    }
    const int file = ::open(path().c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(file, 0);
    const std::string original = contentOf(file);
    struct stat before {};
    ASSERT_EQ(::fstat(file, &before), 0);

    std::optional<UserDefaults> defaults;
    {
        NoReadPermission unreadable(path());
        defaults.emplace(path());
        EXPECT_FALSE(defaults->get("a"));
        defaults->set(PropertyValue("B"), "b");
        defaults->set(PropertyValue("D"), "d");
        defaults->remove("c");
        EXPECT_EQ(defaults->get("b"), PropertyValue("B"));
        EXPECT_FALSE(defaults->synchronize());
        std::this_thread::sleep_for(UserDefaults::kWriteDelay * 3);  // the writer tries too

        struct stat now {};
        ASSERT_EQ(::stat(path().c_str(), &now), 0);
        EXPECT_EQ(now.st_ino, before.st_ino);
        EXPECT_EQ(contentOf(file), original);
        EXPECT_FALSE(defaults->movedAsidePath());
    }
    ::close(file);
    EXPECT_TRUE(log.contains("Cannot read user defaults"));

    // The next access reads the file; the changes made meanwhile go over its values and are saved.
    const std::map<std::string, PropertyValue> merged = {
        {"a", PropertyValue("a")}, {"b", PropertyValue("B")}, {"d", PropertyValue("D")}};
    EXPECT_EQ(defaults->snapshot(), merged);
    EXPECT_TRUE(defaults->synchronize());
    defaults.reset();
    EXPECT_EQ(UserDefaults(path()).snapshot(), merged);
}

TEST_F(UserDefaultsTests, OpeningRemovesTemporaryCopiesLeftByAnInterruptedSave) {
    std::filesystem::create_directories(scoped_.directory());
    const auto sibling = [this](const std::string& name) { return scoped_.directory() / name; };
    const std::vector<std::string> leftovers = {"store.json.tmp.a1B2c3", "store.json.tmp.XXXXXX"};
    const std::vector<std::string> others = {"store.json.tmp.a1B2c3d", "other.json.tmp.a1B2c3", "store.json.corrupt"};
    for (const auto& name : leftovers) {
        std::ofstream(sibling(name)) << "partial";
    }
    for (const auto& name : others) {
        std::ofstream(sibling(name)) << "not a copy of this store";
    }
    UserDefaults defaults(path());
    for (const auto& name : leftovers) {
        EXPECT_FALSE(std::filesystem::exists(sibling(name))) << name;
    }
    for (const auto& name : others) {
        EXPECT_TRUE(std::filesystem::exists(sibling(name))) << name;
    }
    std::ofstream(sibling(leftovers[0])) << "partial";
    defaults.reopen();
    EXPECT_FALSE(std::filesystem::exists(sibling(leftovers[0])));
}

TEST_F(UserDefaultsTests, FailedSaveIsReportedAndKeepsTheValues) {
    test::LogCapture log;
    const auto blocker = scoped_.directory() / "file";
    std::ofstream(blocker) << "x";
    UserDefaults defaults(blocker / "store.json");  // parent is a file: nothing can be written
    defaults.set(PropertyValue("kept"), "k");
    EXPECT_FALSE(defaults.synchronize());
    EXPECT_EQ(defaults.get("k"), PropertyValue("kept"));
    EXPECT_TRUE(log.contains("Cannot save user defaults"));
}

TEST_F(UserDefaultsTests, ConcurrentReadersAndWriters) {
    UserDefaults defaults(path());
    std::vector<std::thread> threads;
    std::atomic<int> reads{0};
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&defaults, &reads, t] {
            for (int i = 0; i < 300; ++i) {
                const std::string key = "t" + std::to_string(t) + "_" + std::to_string(i % 20);
                defaults.set(PropertyValue(PropertyValue::Array{PropertyValue(i)}), key);
                reads += defaults.get(key) ? 1 : 0;
                if (i % 7 == 0) {
                    defaults.remove(key);
                }
                if (i % 50 == 0) {
                    defaults.synchronize();
                    (void)defaults.snapshot();
                }
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(reads.load(), 4 * 300);
    const auto before = defaults.snapshot();
    defaults.reopen();
    EXPECT_EQ(defaults.snapshot(), before);
}

// A host may fork and run a program at any moment: the descriptors a save opens (its copy of the
// store, the folder it makes the rename durable in) must not be handed to that program.
TEST_F(UserDefaultsTests, DescriptorsOfASaveAreClosedOnExec) {
    UserDefaults defaults(path());
    const std::string folder = std::filesystem::canonical(scoped_.directory()).string();
    std::atomic<bool> done{false};
    std::atomic<int> seen{0};
    std::atomic<int> inherited{0};
    std::thread watcher([&] {
        while (!done.load()) {
            std::error_code error;
            std::filesystem::directory_iterator it("/proc/self/fd", error);
            for (const std::filesystem::directory_iterator end; !error && it != end; it.increment(error)) {
                const auto target = std::filesystem::read_symlink(it->path(), error).string();
                if (error || target.rfind(folder, 0) != 0) continue;
                const int flags = ::fcntl(std::stoi(it->path().filename().string()), F_GETFD);
                // Counted only when the descriptor still names the same file after the check.
                if (flags < 0 || std::filesystem::read_symlink(it->path(), error).string() != target) continue;
                seen.fetch_add(1);
                if ((flags & FD_CLOEXEC) == 0) inherited.fetch_add(1);
            }
        }
    });
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    for (int i = 0; seen.load() < 20 && std::chrono::steady_clock::now() < limit; ++i) {
        defaults.set(PropertyValue(std::string(64 * 1024, static_cast<char>('a' + i % 26))), "payload");
        if (!defaults.synchronize()) {
            ADD_FAILURE() << "save failed";
            break;
        }
    }
    done = true;
    watcher.join();
    EXPECT_GE(seen.load(), 20);
    EXPECT_EQ(inherited.load(), 0);
}

TEST_F(UserDefaultsTests, StandardStoreFollowsItsPathAndSavesPendingChangesAtProcessExit) {
    const auto file = scoped_.directory() / "other" / "exit.json";
    EXPECT_EXIT(
        {
            UserDefaults::setStandardPath(file);
            UserDefaults::standard()->set(PropertyValue("saved at exit"), "k");
            std::exit(UserDefaults::standard()->path() == file ? 0 : 1);  // well before the writer's delay
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(UserDefaults(file).get("k"), PropertyValue("saved at exit"));
}

TEST(UserDefaultsPathTests, DefaultPathUsesXdgDataHomeThenHome) {
    // Restores an environment variable when the test ends.
    struct SavedVariable {
        const char* name;
        const char* saved = std::getenv(name);
        const std::string value = saved != nullptr ? saved : "";
        ~SavedVariable() { saved != nullptr ? ::setenv(name, value.c_str(), 1) : ::unsetenv(name); }
    };
    SavedVariable data{"XDG_DATA_HOME"};
    SavedVariable home{"HOME"};

    ::setenv("XDG_DATA_HOME", "/data/home", 1);
    EXPECT_EQ(UserDefaults::defaultPath(), std::filesystem::path("/data/home/solen/UserDefaults.json"));
    ::setenv("XDG_DATA_HOME", "relative", 1);  // a relative folder is ignored
    ::setenv("HOME", "/home/someone", 1);
    EXPECT_EQ(UserDefaults::defaultPath(), std::filesystem::path("/home/someone/.local/share/solen/UserDefaults.json"));
}

}  // namespace
}  // namespace solen::platform
