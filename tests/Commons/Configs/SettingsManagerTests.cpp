#include "Commons/Configs/SettingsManager.h"

#include "support/DispatchWait.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace solen {
namespace {

AdapterConfig adapter(std::string id, std::string name) { return {std::move(id), std::move(name), std::nullopt, false, 1000}; }

class SettingsManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        SettingsManager::setAdapterStartHook([this] { starts.fetch_add(1); });
    }
    void TearDown() override { SettingsManager::setAdapterStartHook(nullptr); }

    bool waitForStarts(int expected) {
        return test::waitUntil([&] { return starts.load() >= expected; }) && starts.load() == expected;
    }

    std::atomic<int> starts{0};
    SettingsManager settings;
};

TEST_F(SettingsManagerTest, EntriesAreKeyedByIdAndNeverRemoved) {
    settings.setAdapters(std::vector<AdapterConfig>{adapter("A", "first"), adapter("B", "b"), adapter("A", "second")});
    EXPECT_TRUE(waitForStarts(1));
    settings.setAdapters(std::vector<AdapterConfig>{adapter("A", "third")});
    EXPECT_TRUE(waitForStarts(2));
    test::LogCapture log(2);
    settings.setAdapters(std::vector<AdapterConfig>{});
    settings.setAdapters(std::nullopt);
    EXPECT_EQ(log.count("Adapters are not available in Mediation config"), 2u);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(starts.load(), 2);  // an empty or missing list starts nothing
    const auto dict = settings.sdkAdapterSettingsDict();
    ASSERT_EQ(dict.size(), 2u);
    EXPECT_EQ(dict.at("A").adapterName, "third");

    settings.setAdUnits(std::vector<AdUnitsConfig>{{"u", 1, std::nullopt}, {"v", 2, std::nullopt}, {"u", 3, std::nullopt}});
    EXPECT_EQ(settings.adUnitSettings("u")->refresh, 3);
    settings.setAdUnits(std::nullopt);
    EXPECT_EQ(log.count("Placement config is not available in Mediation config"), 1u);
    EXPECT_EQ(settings.adUnitsSettingsDict().size(), 2u);
}

TEST_F(SettingsManagerTest, SnapshotsAreSharedAndReplacedWhole) {
    EXPECT_EQ(settings.adapterSettingsSnapshot("A"), nullptr);
    AdapterConfig first = adapter("A", "first");
    first.adapterMeta = Json{{"appKey", "one"}};
    settings.fillAdapterSettings({first, adapter("B", "b")});
    const auto held = settings.adapterSettingsSnapshot("A");
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(settings.adapterSettingsSnapshot("A"), held);  // shared, not copied
    EXPECT_EQ(held->sdkConfiguration.networkConfig, Json({{"appKey", "one"}}));
    EXPECT_EQ(settings.adapterSettingsSnapshot("B")->sdkConfiguration.networkConfig, std::nullopt);

    // A change replaces the snapshot: its start-up configuration follows, the held one stays as it was.
    AdapterConfig second = adapter("A", "second");
    second.adapterMeta = Json("not an object");
    settings.fillAdapterSettings({second});
    const auto current = settings.adapterSettingsSnapshot("A");
    EXPECT_EQ(current->config, second);
    EXPECT_EQ(current->sdkConfiguration.networkConfig, std::nullopt);
    EXPECT_EQ(held->config, first);
    EXPECT_EQ(held->sdkConfiguration.networkConfig, Json({{"appKey", "one"}}));
    EXPECT_EQ(settings.adapterSettings("A"), second);
}

TEST_F(SettingsManagerTest, ConcurrentWritersAndReadersSeeWholeEntries) {
    std::atomic<bool> stop{false};
    std::thread reader([&] {
        while (!stop.load()) {
            for (const auto& [id, config] : settings.sdkAdapterSettingsDict()) {
                ASSERT_EQ(config.networkId, id);
                const auto snapshot = settings.adapterSettingsSnapshot(id);
                ASSERT_EQ(snapshot->config.networkId, id);
            }
        }
    });
    for (int i = 0; i < 200; ++i) {
        settings.fillAdapterSettings({adapter("n" + std::to_string(i % 7), "name" + std::to_string(i))});
        settings.setAdUnits(std::vector<AdUnitsConfig>{{"u" + std::to_string(i % 5), i, std::nullopt}});
    }
    stop = true;
    reader.join();
    EXPECT_EQ(settings.sdkAdapterSettingsDict().size(), 7u);
}

}  // namespace
}  // namespace solen
