#include "Commons/Utilities/OptionalAnyDictionary.h"

#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace solen {
namespace {

OptionalAnyDictionary decodeKept(std::string_view text) {
    const JsonDocument document = JsonDocument::parse(text);
    return OptionalAnyDictionary::decode(JsonReader(document));
}

AnyDictionary decodeBuilt(std::string_view text) {
    const JsonDocument document = JsonDocument::parse(text);
    return decodeAnyDictionary(JsonReader(document));
}

// The value built from the kept text is the one the full decode builds: same members in the same
// order, every number of the same kind and value (the dumps tell 1 from 1.0 and 2^63 from -2^63).
TEST(OptionalAnyDictionaryTests, KeptTextReadsAsTheFullDecode) {
    const std::vector<std::string> texts = {
        R"({"a":1,"b":[true,false,"x",2.5],"c":{"d":{"e":[[],{}]}}})",
        R"([0,-0,-1,9223372036854775807,-9223372036854775808,9223372036854775808,18446744073709551615])",
        R"([100000000000000000000, -100000000000000000000000000])",  // beyond 64 bits: doubles
        R"([0.0,-0.0,1.0,-3.0,0.1,0.2,0.30000000000000004,1.25,0.0012,123456789012345.6,1e15,1e16,1e21])",
        R"([5e-324,2.2250738585072014e-308,1.7976931348623157e308,-1e-7,3.141592653589793,1e-15,9007199254740993.0])",
        R"(["","plain","quote\" back\\ slash\/","\b\f\n\r\t\u0000\u0001\u001f\u007f","\u00e9\u4e2d\ud83d\ude00"])",
        R"({"k\"ey":"v","\u0000":0,"é":"\u2028"})",
        R"({"same":1,"other":2,"same":[3]})",   // a repeated key: its first place, its last value
        R"({"gone":null,"gone":"replaced"})",    // a null that a later value replaces is no null
        R"("just text")", "42", "-7.5", "true",
    };
    for (const auto& text : texts) {
        const AnyDictionary built = decodeBuilt(text);
        const OptionalAnyDictionary kept = decodeKept(text);
        ASSERT_TRUE(kept) << text;
        EXPECT_EQ(kept->dump(), built.dump()) << text << " kept as " << kept.compactText();
        EXPECT_EQ(std::optional<AnyDictionary>(kept)->dump(), built.dump()) << text;
        if (!kept.compactText().empty()) {  // else kept as built, after the null
            EXPECT_EQ(AnyDictionary::parse(kept.compactText()).dump(), built.dump()) << text;
        }
    }
}

TEST(OptionalAnyDictionaryTests, NullFailsAsTheFullDecodeWithItsPathAndLogLine) {
    test::LogCapture log;
    for (const std::string text : {R"({"a":{"b":[1,null]}})", "null", R"([{"x":1},{"y":null,"y":null}])"}) {
        std::string built;
        std::string kept;
        try {
            decodeBuilt(text);
        } catch (const JsonDecodingError& error) {
            built = error.path() + ": " + error.reason();
        }
        try {
            decodeKept(text);
        } catch (const JsonDecodingError& error) {
            kept = error.path() + ": " + error.reason();
        }
        EXPECT_FALSE(built.empty()) << text;
        EXPECT_EQ(kept, built) << text;
    }
    // Both decodes log the same two lines.
    EXPECT_EQ(log.count("The value at a.b[1] contains nothing serialisable"), 4u);
}

TEST(OptionalAnyDictionaryTests, ReadsLikeAnOptionalValue) {
    OptionalAnyDictionary empty;
    EXPECT_FALSE(empty);
    EXPECT_EQ(empty, std::nullopt);
    EXPECT_THROW(empty.value(), std::bad_optional_access);
    EXPECT_FALSE(std::optional<AnyDictionary>(empty));

    OptionalAnyDictionary assigned = AnyDictionary{{"coins", 5}};
    EXPECT_TRUE(assigned.compactText().empty());
    EXPECT_EQ(assigned->at("coins"), 5);
    EXPECT_EQ(assigned, (AnyDictionary{{"coins", 5}}));

    // Copies share the value; values compare as JSON values do, whatever their text.
    const OptionalAnyDictionary kept = decodeKept(R"({"coins":5.0})");
    const OptionalAnyDictionary copy = kept;
    EXPECT_EQ(&*copy, &*kept);
    EXPECT_EQ(kept, assigned);
    EXPECT_NE(kept, decodeKept(R"({"coins":6})"));
    EXPECT_NE(kept, empty);
    assigned = kept;
    EXPECT_EQ(assigned.compactText(), R"({"coins":5.0})");
    assigned.reset();
    EXPECT_FALSE(assigned);
    EXPECT_TRUE(copy);
}

// Threads reading a kept value for the first time at once all get the one value that is kept.
TEST(OptionalAnyDictionaryTests, FirstReadsFromManyThreadsShareOneValue) {
    for (int round = 0; round < 20; ++round) {
        const OptionalAnyDictionary kept = decodeKept(R"({"list":[1,2,3],"name":"n"})");
        std::vector<const AnyDictionary*> seen(4);
        std::vector<std::thread> threads;
        for (std::size_t i = 0; i < seen.size(); ++i) {
            threads.emplace_back([&, i] {
                const OptionalAnyDictionary copy = kept;
                seen[i] = &*copy;
            });
        }
        for (auto& thread : threads) {
            thread.join();
        }
        for (const auto* value : seen) {
            EXPECT_EQ(value, &*kept);
        }
        EXPECT_EQ(kept->at("list").size(), 3u);
    }
}

}  // namespace
}  // namespace solen
