#include "Commons/Utilities/HeapOptional.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace solen {
namespace {

TEST(HeapOptionalTests, ReadsAndCopiesLikeAnOptional) {
    HeapOptional<std::string> absent;
    EXPECT_FALSE(absent);
    EXPECT_EQ(absent, std::nullopt);
    EXPECT_EQ(absent, std::optional<std::string>());
    EXPECT_THROW(absent.value(), std::bad_optional_access);

    HeapOptional<std::string> text = std::string("a line item's creative");
    HeapOptional<std::string> copy = text;
    *copy += " changed";  // a copy has a value of its own
    EXPECT_EQ(*text, "a line item's creative");
    EXPECT_EQ(copy->size(), text->size() + 8);
    EXPECT_NE(text, copy);
    EXPECT_EQ(text, std::optional<std::string>("a line item's creative"));

    HeapOptional<std::string> moved = std::move(copy);
    EXPECT_EQ(*moved, "a line item's creative changed");
    text = moved;
    EXPECT_EQ(text, moved);
    text = text;  // self-assignment keeps the value
    EXPECT_EQ(*text, "a line item's creative changed");
    text = std::optional<std::string>();
    EXPECT_FALSE(text);
    moved.reset();
    EXPECT_EQ(moved, text);
}

TEST(HeapOptionalTests, MadeInPlaceFromAFactory) {
    struct Pinned {
        explicit Pinned(int v) : value(v) {}
        Pinned(const Pinned&) = default;
        Pinned(Pinned&&) = delete;  // made where it lives, never moved there
        bool operator==(const Pinned&) const = default;
        int value;
    };
    const auto made = HeapOptional<Pinned>::made([] { return Pinned(7); });
    ASSERT_TRUE(made);
    EXPECT_EQ(made->value, 7);
}

}  // namespace
}  // namespace solen
