#pragma once

#include "Commons/Json/JsonDocument.h"

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace solen {

// The keys a record reads, as a table built at compile time: a member's key is matched against
// all of them with one hash of its stored head (length and first twelve bytes), one slot probe and
// one comparison, so an object's members are sorted out in one pass whatever the record's size.
// Two keys of one table must differ in length or in their first twelve bytes (the build stops
// otherwise).
//
// A constant: any number of threads may use one table.
template <std::size_t N>
class JsonKeys {
    static_assert(N > 0 && N < 255, "a table holds 1 to 254 keys");

public:
    static constexpr std::size_t size = N;

    template <class... Names>
    consteval explicit JsonKeys(const Names&... names) : names_{std::string_view(names)...} {
        for (std::size_t i = 0; i < N; ++i) {
            heads_[i] = headOf(names_[i]);
            for (std::size_t j = 0; j < i; ++j) {
                if (heads_[i][0] == heads_[j][0] && heads_[i][1] == heads_[j][1]) {
                    throw "two keys alike in length and first twelve bytes";
                }
            }
        }
        heads_[N] = {~std::uint64_t{0}, ~std::uint64_t{0}};  // matches no stored key
        chooseMultiplier();
    }

    // Index of `name` in the table; a name that is not in it stops the build.
    consteval std::size_t indexOf(std::string_view name) const {
        for (std::size_t i = 0; i < N; ++i) {
            if (names_[i] == name) {
                return i;
            }
        }
        throw "the key is not in the record's table";
    }

    constexpr std::string_view name(std::size_t index) const { return names_[index]; }

    // Index of the key stored at `keyAt` in `document`, or N when it is none of the table's.
    std::size_t match(const JsonDocument& document, std::size_t keyAt) const {
        const std::uint64_t word0 = document.stringWord(keyAt, 0);
        const std::size_t length = static_cast<std::uint32_t>(word0);
        const auto& masks = kHeadMasks[length < 12 ? length : 12];
        const std::uint64_t head0 = word0 & masks[0];
        const std::uint64_t head1 = masks[1] == 0 ? 0 : document.stringWord(keyAt, 1) & masks[1];
        const std::size_t index = slots_[slotOf(head0, head1, multiplier_)];
        if (heads_[index][0] != head0 || heads_[index][1] != head1) {
            return N;
        }
        if (length > 12 && document.string(keyAt).substr(12) != names_[index].substr(12)) {
            return N;
        }
        return index;
    }

private:
    static constexpr std::size_t kSlotBits = std::bit_width(4 * N < 16 ? std::size_t{15} : 4 * N - 1);
    static constexpr std::size_t kSlots = std::size_t{1} << kSlotBits;

    // Masks of the two head words that keep a key's length and its text up to twelve bytes, by
    // text length: what follows a shorter text in the store belongs to other strings.
    static constexpr auto kHeadMasks = [] {
        std::array<std::array<std::uint64_t, 2>, 13> masks{};
        for (std::size_t length = 0; length <= 12; ++length) {
            const std::size_t bytes = 4 + length;  // the 4-byte length, then the text
            masks[length][0] = bytes >= 8 ? ~std::uint64_t{0} : (std::uint64_t{1} << (8 * bytes)) - 1;
            masks[length][1] = bytes <= 8    ? 0
                               : bytes >= 16 ? ~std::uint64_t{0}
                                             : (std::uint64_t{1} << (8 * (bytes - 8))) - 1;
        }
        return masks;
    }();

    // The head words of a key as JsonDocument::stringWord gives them for its stored form.
    static constexpr std::array<std::uint64_t, 2> headOf(std::string_view name) {
        std::array<std::uint64_t, 2> head{name.size() & 0xFFFFFFFFu, 0};
        for (std::size_t i = 0; i < name.size() && i < 12; ++i) {
            const std::uint64_t byte = static_cast<unsigned char>(name[i]);
            if (i < 4) {
                head[0] |= byte << (8 * (i + 4));
            } else {
                head[1] |= byte << (8 * (i - 4));
            }
        }
        return head;
    }

    static constexpr std::size_t slotOf(std::uint64_t head0, std::uint64_t head1, std::uint64_t multiplier) {
        const std::uint64_t mixed = (head0 ^ std::rotl(head1, 29)) * multiplier;
        return static_cast<std::size_t>(mixed >> (64 - kSlotBits));
    }

    // Tries odd multipliers until every key has a slot of its own.
    consteval void chooseMultiplier() {
        std::uint64_t state = 0x9E3779B97F4A7C15u;
        for (int attempt = 0; attempt < 100000; ++attempt) {
            state += 0x9E3779B97F4A7C15u;
            std::uint64_t candidate = state;
            candidate = (candidate ^ (candidate >> 30)) * 0xBF58476D1CE4E5B9u;
            candidate = (candidate ^ (candidate >> 27)) * 0x94D049BB133111EBu;
            candidate = (candidate ^ (candidate >> 31)) | 1;
            slots_.fill(N);
            bool distinct = true;
            for (std::size_t i = 0; i < N && distinct; ++i) {
                std::uint8_t& slot = slots_[slotOf(heads_[i][0], heads_[i][1], candidate)];
                distinct = slot == N;
                slot = static_cast<std::uint8_t>(i);
            }
            if (distinct) {
                multiplier_ = candidate;
                return;
            }
        }
        throw "no collision-free slot table found";
    }

    std::array<std::string_view, N> names_{};
    std::array<std::array<std::uint64_t, 2>, N + 1> heads_{};
    std::array<std::uint8_t, kSlots> slots_{};
    std::uint64_t multiplier_ = 0;
};

template <class... Names>
JsonKeys(const Names&...) -> JsonKeys<sizeof...(Names)>;

}  // namespace solen
