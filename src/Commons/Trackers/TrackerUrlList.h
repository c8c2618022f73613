#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace solen {

class JsonReader;

// One list of tracking URL texts as received (they may hold macros that are replaced before
// firing): absent, or present with any number of texts. Read like
// std::optional<std::vector<std::string>> whose elements are views: `if (list)`, `size()`,
// `list[i]`, a range of std::string_view.
//
// The texts never change once made and live in one shared block, with no allocation per text:
// a decoded line item keeps the texts of all its lists in one block (`Decoder`), and copies share
// it, so handing a list to another queue costs a count, not a copy. A view stays valid while any
// list holding its block lives.
//
// Const use (reads, copies, comparisons) is safe from any number of threads at once; the block is
// released by whichever thread lets go of it last. Assigning follows the rules of any value.
class TrackerUrlList {
    struct Block;  // the texts: a count of the lists sharing them, their ends, their bytes

public:
    using value_type = std::string_view;

    class const_iterator {
    public:
        using iterator_category = std::random_access_iterator_tag;
        using value_type = std::string_view;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = std::string_view;

        const_iterator() = default;
        std::string_view operator*() const { return list_->at(index_); }
        std::string_view operator[](difference_type n) const { return list_->at(index_ + static_cast<std::size_t>(n)); }
        const_iterator& operator++() { ++index_; return *this; }
        const_iterator operator++(int) { const_iterator was = *this; ++index_; return was; }
        const_iterator& operator--() { --index_; return *this; }
        const_iterator operator--(int) { const_iterator was = *this; --index_; return was; }
        const_iterator& operator+=(difference_type n) { index_ += static_cast<std::size_t>(n); return *this; }
        const_iterator& operator-=(difference_type n) { index_ -= static_cast<std::size_t>(n); return *this; }
        friend const_iterator operator+(const_iterator it, difference_type n) { return it += n; }
        friend const_iterator operator+(difference_type n, const_iterator it) { return it += n; }
        friend const_iterator operator-(const_iterator it, difference_type n) { return it -= n; }
        friend difference_type operator-(const const_iterator& a, const const_iterator& b) {
            return static_cast<difference_type>(a.index_) - static_cast<difference_type>(b.index_);
        }
        friend bool operator==(const const_iterator& a, const const_iterator& b) { return a.index_ == b.index_; }
        friend auto operator<=>(const const_iterator& a, const const_iterator& b) { return a.index_ <=> b.index_; }

    private:
        friend class TrackerUrlList;
        const_iterator(const TrackerUrlList* list, std::size_t index) : list_(list), index_(index) {}
        const TrackerUrlList* list_ = nullptr;
        std::size_t index_ = 0;
    };
    using iterator = const_iterator;

    // Absent.
    TrackerUrlList() noexcept = default;
    TrackerUrlList(std::nullopt_t) noexcept {}
    // Present, with these texts (an empty list is present).
    TrackerUrlList(const std::vector<std::string>& texts);
    TrackerUrlList(std::initializer_list<std::string_view> texts);
    TrackerUrlList(const std::optional<std::vector<std::string>>& texts);

    TrackerUrlList(const TrackerUrlList& other) noexcept : block_(other.block_), first_(other.first_), count_(other.count_) {
        if (block_) {
            share(block_);
        }
    }
    TrackerUrlList(TrackerUrlList&& other) noexcept : block_(other.block_), first_(other.first_), count_(other.count_) {
        other.block_ = nullptr;
        other.count_ = kAbsent;
    }
    TrackerUrlList& operator=(const TrackerUrlList& other) noexcept {
        TrackerUrlList copy(other);
        return *this = std::move(copy);
    }
    TrackerUrlList& operator=(TrackerUrlList&& other) noexcept {
        if (this != &other) {
            reset();
            block_ = other.block_;
            first_ = other.first_;
            count_ = other.count_;
            other.block_ = nullptr;
            other.count_ = kAbsent;
        }
        return *this;
    }
    ~TrackerUrlList() {
        if (block_) {
            unshare(block_);
        }
    }

    bool has_value() const noexcept { return count_ != kAbsent; }
    explicit operator bool() const noexcept { return has_value(); }
    void reset() noexcept {
        if (block_) {
            unshare(block_);
            block_ = nullptr;
        }
        count_ = kAbsent;
    }

    // Texts of a present list; an absent one has none.
    std::size_t size() const noexcept { return has_value() ? count_ : 0; }
    bool empty() const noexcept { return size() == 0; }
    std::string_view operator[](std::size_t index) const { return at(index); }
    const_iterator begin() const noexcept { return {this, 0}; }
    const_iterator end() const noexcept { return {this, size()}; }
    // Copies of the texts; none for an absent list.
    std::optional<std::vector<std::string>> texts() const;

    // Lets go of the blocks of `lists`, with one change of count per block that several of them
    // share (the lists of a decoded record share one), as a record's destructor does before its
    // lists' own: the lists keep their presence and no texts.
    static void releaseAll(std::span<TrackerUrlList* const> lists) noexcept;

    friend bool operator==(const TrackerUrlList& lhs, const TrackerUrlList& rhs) noexcept;
    friend bool operator==(const TrackerUrlList& lhs, const std::vector<std::string>& rhs) noexcept;
    friend bool operator==(const TrackerUrlList& lhs, std::nullopt_t) noexcept { return !lhs; }

    // Decodes several lists of one record into one block. First `count` each list's value (a
    // reader of a value that is present and not null: an array of strings, else it fails as
    // JsonReader's std::vector<std::string> decoding does, with the same key path), then `take`
    // the same values in the same order, reading the same document. Lists that are never taken
    // cost nothing once the decoder is gone. One thread, one record at a time.
    class Decoder {
    public:
        Decoder() = default;
        Decoder(const Decoder&) = delete;
        Decoder& operator=(const Decoder&) = delete;
        ~Decoder();

        void count(const JsonReader& list);
        TrackerUrlList take(const JsonReader& list);

    private:
        Block* block_ = nullptr;
        std::size_t texts_ = 0;
        std::size_t bytes_ = 0;
        std::uint32_t sharers_ = 0;   // counted lists that will hold the block
        std::uint32_t taken_ = 0;     // of them, taken so far
        std::size_t nextText_ = 0;
        std::size_t nextByte_ = 0;
    };

private:
    friend class Decoder;
    static constexpr std::uint32_t kAbsent = 0xFFFFFFFFu;

    TrackerUrlList(Block* block, std::uint32_t first, std::uint32_t count) noexcept
        : block_(block), first_(first), count_(count) {}
    std::string_view at(std::size_t index) const;
    static void share(Block* block) noexcept;
    static void unshare(Block* block) noexcept;
    template <class Texts>
    static TrackerUrlList of(const Texts& texts, std::size_t count);

    Block* block_ = nullptr;  // none for an absent or empty list
    std::uint32_t first_ = 0;        // index of the first text in the block
    std::uint32_t count_ = kAbsent;  // texts of the list, or kAbsent
};

}  // namespace solen
