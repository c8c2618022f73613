#include "Platform/Foundation/UserDefaults.h"

#include "support/LogCapture.h"
#include "support/ScopedUserDefaults.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <thread>

namespace solen::platform {
namespace {

using namespace std::chrono_literals;

class UserDefaultsTests : public ::testing::Test {
protected:
    std::filesystem::path path() const { return scoped_.directory() / "store.json"; }
    void writeFile(const std::string& text) const {
        std::ofstream(path(), std::ios::binary | std::ios::trunc) << text;
    }
    std::vector<std::string> folderEntries() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(scoped_.directory())) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    test::ScopedUserDefaults scoped_;
};

PropertyValue::Dictionary everyKind() {
    using Dictionary = PropertyValue::Dictionary;
    using Array = PropertyValue::Array;
    return Dictionary{
        {"text", PropertyValue("h\xC3\xA9llo \"quoted\"")},
        {"emptyText", PropertyValue("")},
        {"integer", PropertyValue(std::int64_t{-9'007'199'254'740'993})},  // not exact as a double
        {"one", PropertyValue(1)},
        {"oneDouble", PropertyValue(1.0)},
        {"fraction", PropertyValue(0.1)},
        {"nan", PropertyValue(std::nan(""))},
        {"infinity", PropertyValue(-HUGE_VAL)},
        {"bool", PropertyValue(false)},
        {"data", PropertyValue(PropertyValue::Data{0x00, 0xFF, 0x10, 0xAB})},
        {"date", PropertyValue(PropertyValue::Date(Clock::Duration(1'700'000'000'123'456'789)))},
        {"array", PropertyValue(Array{PropertyValue(1), PropertyValue(Array{}), PropertyValue(Dictionary{})})},
        {"nested", PropertyValue(Dictionary{{"inner", PropertyValue(Array{PropertyValue(2.5), PropertyValue(true)})}})},
    };
}

void expectSameValues(const PropertyValue::Dictionary& expected, const std::map<std::string, PropertyValue>& actual) {
    ASSERT_EQ(actual.size(), expected.size());
    for (const auto& [key, value] : expected) {
        const auto it = actual.find(key);
        ASSERT_NE(it, actual.end()) << key;
        if (value.real() && std::isnan(*value.real())) {
            ASSERT_TRUE(it->second.real()) << key;
            EXPECT_TRUE(std::isnan(*it->second.real()));
        } else {
            EXPECT_EQ(it->second, value) << key << ": " << it->second.description();
        }
    }
}

TEST_F(UserDefaultsTests, EveryKindSurvivesReopenAndANewInstance) {
    {
        UserDefaults defaults(path());
        for (const auto& [key, value] : everyKind()) {
            defaults.set(value, key);
        }
        defaults.reopen();
        expectSameValues(everyKind(), defaults.snapshot());
        EXPECT_TRUE(defaults.get("one")->isInteger());
        EXPECT_TRUE(defaults.get("oneDouble")->isReal());
    }
    // Destruction saved everything; a later "launch" reads it back.
    UserDefaults relaunched(path());
    expectSameValues(everyKind(), relaunched.snapshot());
    EXPECT_FALSE(relaunched.movedAsidePath());
}

TEST_F(UserDefaultsTests, RemoveAndOverwritePersist) {
    UserDefaults defaults(path());
    defaults.set(PropertyValue("a"), "k1");
    defaults.set(PropertyValue("b"), "k2");
    ASSERT_TRUE(defaults.synchronize());
    defaults.remove("k1");
    defaults.set(PropertyValue(3), "k2");
    defaults.reopen();
    EXPECT_FALSE(defaults.get("k1"));
    EXPECT_EQ(defaults.get("k2"), PropertyValue(3));
}

TEST_F(UserDefaultsTests, SavesAtomicallyWithoutLeavingTemporaryFiles) {
    UserDefaults defaults(path());
    for (int i = 0; i < 20; ++i) {
        defaults.set(PropertyValue(i), "key" + std::to_string(i));
        ASSERT_TRUE(defaults.synchronize());
    }
    EXPECT_EQ(folderEntries(), std::vector<std::string>{"store.json"});
}

TEST_F(UserDefaultsTests, BurstOfWritesIsCoalescedAndSavedWithoutExplicitSynchronize) {
    constexpr int kCount = 5000;
    UserDefaults defaults(path());
    for (int i = 0; i < kCount; ++i) {
        defaults.set(PropertyValue(i), "key" + std::to_string(i));
    }
    // The writer thread saves on its own shortly after.
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (UserDefaults(path()).snapshot().size() != kCount && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(20ms);
    }
    const auto values = UserDefaults(path()).snapshot();
    ASSERT_EQ(values.size(), static_cast<std::size_t>(kCount));
    EXPECT_EQ(values.at("key4999"), PropertyValue(4999));
    // A few saves of the whole store, not one per change.
    EXPECT_GE(defaults.saveCount(), 1u);
    EXPECT_LT(defaults.saveCount(), 100u);
}

TEST_F(UserDefaultsTests, CorruptFilesAreMovedAsideAndTheStoreStartsEmpty) {
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
    };
    for (std::size_t i = 0; i < damaged.size(); ++i) {
        writeFile(damaged[i]);
        UserDefaults defaults(path());
        EXPECT_TRUE(defaults.snapshot().empty()) << i;
        ASSERT_TRUE(defaults.movedAsidePath()) << i;
        EXPECT_FALSE(std::filesystem::exists(path())) << i;
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

TEST_F(UserDefaultsTests, UnreadablePathIsMovedAside) {
    std::filesystem::create_directories(path());  // a folder where the file should be
    UserDefaults defaults(path());
    EXPECT_TRUE(defaults.snapshot().empty());
    ASSERT_TRUE(defaults.movedAsidePath());
    defaults.set(PropertyValue(1), "k");
    EXPECT_TRUE(defaults.synchronize());
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
                if (defaults.get(key)) {
                    ++reads;
                }
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

TEST_F(UserDefaultsTests, StandardStoreFollowsTheConfiguredPath) {
    // The scoped store is the standard one.
    EXPECT_EQ(UserDefaults::standard()->path(), scoped_.path());
    UserDefaults::standard()->set(PropertyValue("v"), "k");

    const auto other = scoped_.directory() / "other" / "defaults.json";
    const auto previous = UserDefaults::standard();
    UserDefaults::setStandardPath(other);
    EXPECT_EQ(UserDefaults::standard()->path(), other);
    EXPECT_EQ(UserDefaults::standardPath(), other);
    EXPECT_FALSE(UserDefaults::standard()->get("k"));
    UserDefaults::setStandard(previous);
    EXPECT_EQ(UserDefaults::standard()->get("k"), PropertyValue("v"));
}

TEST_F(UserDefaultsTests, PendingChangesOfTheStandardStoreAreSavedAtProcessExit) {
    const auto file = scoped_.directory() / "exit.json";
    EXPECT_EXIT(
        {
            UserDefaults::setStandard(nullptr);
            UserDefaults::setStandardPath(file);
            UserDefaults::standard()->set(PropertyValue("saved at exit"), "k");
            std::exit(0);  // well before the writer thread's delay has passed
        },
        ::testing::ExitedWithCode(0), "");
    UserDefaults relaunched(file);
    EXPECT_EQ(relaunched.get("k"), PropertyValue("saved at exit"));
}

TEST(UserDefaultsPathTests, DefaultPathUsesXdgDataHomeThenHome) {
    // Restores an environment variable when the test ends.
    struct SavedVariable {
        explicit SavedVariable(const char* name) : name(name) {
            const char* current = std::getenv(name);
            if (current) {
                value = current;
            }
        }
        ~SavedVariable() {
            if (value) {
                ::setenv(name, value->c_str(), 1);
            } else {
                ::unsetenv(name);
            }
        }
        const char* name;
        std::optional<std::string> value;
    };
    SavedVariable data("XDG_DATA_HOME");
    SavedVariable home("HOME");

    ::setenv("XDG_DATA_HOME", "/data/home", 1);
    EXPECT_EQ(UserDefaults::defaultPath(), std::filesystem::path("/data/home/solen/UserDefaults.json"));
    ::setenv("XDG_DATA_HOME", "relative", 1);  // a relative folder is ignored
    ::setenv("HOME", "/home/someone", 1);
    EXPECT_EQ(UserDefaults::defaultPath(), std::filesystem::path("/home/someone/.local/share/solen/UserDefaults.json"));
}

}  // namespace
}  // namespace solen::platform
