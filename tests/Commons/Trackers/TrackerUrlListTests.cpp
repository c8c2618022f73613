#include "Commons/Trackers/TrackerUrlList.h"

#include "Ad/Network/Models/AdTrackers.h"
#include "Commons/Json/JsonReader.h"

#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <string>
#include <thread>
#include <variant>
#include <vector>

namespace solen {
namespace {

constexpr std::array<const char*, 13> kListKeys{"networkLoad", "click",   "impression", "adFill",  "networkNoFill",
                                                "bidLoss",     "networkFill", "videoStart", "videoQ1", "videoQ2",
                                                "videoQ3",     "videoSkip",   "videoComplete"};

// The lists of a trackers object as each key reads on its own, the way every other list of texts
// is decoded, or the failure as "path: reason (kind)".
using Reference = std::vector<std::optional<std::vector<std::string>>>;
std::string failure(const JsonDecodingError& error) {
    return error.path() + ": " + error.reason() + " (" + std::to_string(static_cast<int>(error.kind())) + " " +
           error.expectedType() + ")";
}

std::variant<Reference, std::string> referenceDecode(std::string_view text) {
    try {
        const JsonDocument document = JsonDocument::parse(text);
        const JsonReader reader(document);
        Reference lists;
        for (const char* key : kListKeys) {
            lists.push_back(reader.optional<std::vector<std::string>>(key));
        }
        return lists;
    } catch (const JsonDecodingError& error) {
        return failure(error);
    }
}

std::variant<Reference, std::string> sharedDecode(std::string_view text) {
    try {
        const AdTrackers trackers = JsonReader::decode<AdTrackers>(text);
        const AdTrackers::UrlList* members[] = {
            &trackers.networkLoad, &trackers.click,   &trackers.impression, &trackers.adFill,  &trackers.networkNoFill,
            &trackers.bidLoss,     &trackers.networkFill, &trackers.videoStart, &trackers.videoQ1, &trackers.videoQ2,
            &trackers.videoQ3,     &trackers.videoSkip,   &trackers.videoComplete};
        Reference lists;
        for (const auto* list : members) {
            lists.push_back(list->texts());
        }
        return lists;
    } catch (const JsonDecodingError& error) {
        return failure(error);
    }
}

// Decoded into one shared block, the lists read exactly as each list decoded on its own, and a
// fault fails the record at the same place, with the same reason, as that decode does.
TEST(TrackerUrlListTests, SharedDecodeReadsAndFailsAsTheListsOneByOne) {
    const std::vector<std::string> texts = {
        R"({})",
        R"({"click":null,"impression":[],"adFill":[""]})",
        R"({"networkLoad":["https://t.test/l?i=$IMP","https://t.test/l2"],"videoComplete":["https://t.test/c"]})",
        R"({"bidLoss":["a\"b\\c\u00e9\ud83d\ude00","\u0000"],"unknown":[1,2],"click":["x"]})",
        R"({"click":["first"],"click":["second","third"]})",  // a repeated key: its last value
        R"({"click":[],"impression":[],"adFill":[],"bidLoss":[]})",
        // Faults, each after a valid list: the first fault in list order decides.
        R"({"networkLoad":["ok"],"click":"not a list"})",
        R"({"networkLoad":["ok"],"click":["ok",7]})",
        R"({"networkLoad":["ok"],"click":["ok",null]})",
        R"({"videoComplete":[1],"networkLoad":{}})",
        R"({"click":[[]],"impression":[true]})",
        R"([])",
    };
    for (const auto& text : texts) {
        EXPECT_EQ(sharedDecode(text), referenceDecode(text)) << text;
    }
}

TEST(TrackerUrlListTests, ReadsLikeAnOptionalListOfTexts) {
    const TrackerUrlList absent;
    const TrackerUrlList empty = std::vector<std::string>{};
    const TrackerUrlList two{"https://a.test/1", "https://a.test/2"};
    EXPECT_FALSE(absent);
    EXPECT_EQ(absent, std::nullopt);
    EXPECT_TRUE(absent.empty());
    EXPECT_TRUE(empty);
    EXPECT_TRUE(empty.empty());
    EXPECT_NE(absent, empty);
    EXPECT_EQ(absent.texts(), std::nullopt);
    EXPECT_EQ(empty.texts(), std::vector<std::string>{});
    ASSERT_EQ(two.size(), 2u);
    EXPECT_EQ(two[1], "https://a.test/2");
    EXPECT_EQ(std::vector<std::string>(two.begin(), two.end()),
              (std::vector<std::string>{"https://a.test/1", "https://a.test/2"}));
    EXPECT_EQ(two, (std::vector<std::string>{"https://a.test/1", "https://a.test/2"}));
    EXPECT_NE(two, (std::vector<std::string>{"https://a.test/1"}));
    EXPECT_NE(empty, (std::vector<std::string>{""}));
    EXPECT_EQ(TrackerUrlList(std::optional<std::vector<std::string>>()), absent);
    EXPECT_EQ(TrackerUrlList{""}, (std::vector<std::string>{""}));  // an empty text is a text
}

// Copies, assignments and resets keep every other holder's texts, whoever lets go first; the
// lists of one decoded line item are let go of together.
TEST(TrackerUrlListTests, HoldersKeepTheTextsWhoeverLetsGoFirst) {
    std::optional<AdTrackers> trackers = JsonReader::decode<AdTrackers>(
        R"({"networkLoad":["https://t.test/load"],"click":["https://t.test/c1","https://t.test/c2"],"bidLoss":[]})");
    TrackerUrlList click = trackers->click;
    TrackerUrlList moved = std::move(trackers->networkLoad);
    trackers->impression = std::vector<std::string>{"https://t.test/own"};
    AdTrackers copy = *trackers;
    trackers.reset();
    EXPECT_EQ(click, (std::vector<std::string>{"https://t.test/c1", "https://t.test/c2"}));
    EXPECT_EQ(moved, (std::vector<std::string>{"https://t.test/load"}));
    EXPECT_EQ(copy.impression, (std::vector<std::string>{"https://t.test/own"}));
    EXPECT_EQ(copy.bidLoss, std::vector<std::string>{});
    EXPECT_FALSE(copy.networkLoad);  // moved out before the copy

    click = moved;
    moved.reset();
    copy = AdTrackers();
    EXPECT_EQ(click, (std::vector<std::string>{"https://t.test/load"}));
    click = click;  // self-assignment keeps the texts
    EXPECT_EQ(click[0], "https://t.test/load");
}

// Copies of one list are made and let go of on several threads at once (ThreadSanitizer and
// AddressSanitizer watch the count).
TEST(TrackerUrlListTests, CopiesMayBeLetGoOfOnAnyThread) {
    AdTrackers trackers = JsonReader::decode<AdTrackers>(R"({"networkNoFill":["https://t.test/n"],"bidLoss":["https://t.test/b"]})");
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([noFill = trackers.networkNoFill, bidLoss = trackers.bidLoss] {
            for (int i = 0; i < 1000; ++i) {
                const TrackerUrlList copy = i % 2 ? noFill : bidLoss;
                ASSERT_EQ(copy.size(), 1u);
            }
        });
    }
    trackers = AdTrackers();
    for (auto& thread : threads) {
        thread.join();
    }
}

TEST(TrackerUrlListTests, ListsCountedButNotTakenCostNothing) {
    const JsonDocument document = JsonDocument::parse(R"({"a":["x","y"],"b":["z"]})");
    const JsonReader reader(document);
    TrackerUrlList kept;
    {
        TrackerUrlList::Decoder decoder;
        decoder.count(reader.at("a"));
        decoder.count(reader.at("b"));
        kept = decoder.take(reader.at("a"));
    }
    EXPECT_EQ(kept, (std::vector<std::string>{"x", "y"}));
}

}  // namespace
}  // namespace solen
