#include "Commons/Trackers/TrackerUrlList.h"

#include "Commons/Json/JsonReader.h"

#include <atomic>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>

namespace solen {

namespace {

// Texts and bytes of one block: its offsets are 32-bit.
constexpr std::size_t kMostTexts = std::numeric_limits<std::uint32_t>::max() - 1;

}  // namespace

// Texts shared by the lists that hold them: a count of those lists, the number of texts, then in
// the same allocation the end offset of each text and the bytes of all of them, one after another.
struct TrackerUrlList::Block {
    std::atomic<std::uint32_t> references;
    std::uint32_t texts;

    std::uint32_t* ends() { return reinterpret_cast<std::uint32_t*>(this + 1); }
    const std::uint32_t* ends() const { return reinterpret_cast<const std::uint32_t*>(this + 1); }
    char* bytes() { return reinterpret_cast<char*>(ends() + texts); }
    const char* bytes() const { return reinterpret_cast<const char*>(ends() + texts); }

    std::string_view text(std::size_t index) const {
        const std::uint32_t begin = index == 0 ? 0 : ends()[index - 1];
        return {bytes() + begin, ends()[index] - begin};
    }

    // Room for `texts` texts of `bytes` bytes in all, held by `references` lists.
    static Block* make(std::size_t texts, std::size_t bytes, std::uint32_t references) {
        if (texts > kMostTexts || bytes > kMostTexts) {
            throw std::length_error("tracker URL texts too long");
        }
        void* memory = ::operator new(sizeof(Block) + texts * sizeof(std::uint32_t) + bytes);
        Block* block = new (memory) Block{{references}, static_cast<std::uint32_t>(texts)};
        return block;
    }

    // Lets go of `count` references; the last one frees the block.
    static void release(Block* block, std::uint32_t count = 1) noexcept {
        if (block->references.fetch_sub(count, std::memory_order_acq_rel) == count) {
            block->~Block();
            ::operator delete(block);
        }
    }
};

template <class Texts>
TrackerUrlList TrackerUrlList::of(const Texts& texts, std::size_t count) {
    if (count == 0) {
        return TrackerUrlList(nullptr, 0, 0);
    }
    std::size_t bytes = 0;
    for (const auto& text : texts) {
        bytes += std::string_view(text).size();
    }
    Block* block = Block::make(count, bytes, 1);
    std::size_t at = 0;
    std::size_t index = 0;
    for (const auto& text : texts) {
        const std::string_view view(text);
        std::memcpy(block->bytes() + at, view.data(), view.size());
        at += view.size();
        block->ends()[index++] = static_cast<std::uint32_t>(at);
    }
    return TrackerUrlList(block, 0, static_cast<std::uint32_t>(count));
}

TrackerUrlList::TrackerUrlList(const std::vector<std::string>& texts) : TrackerUrlList(of(texts, texts.size())) {}

TrackerUrlList::TrackerUrlList(std::initializer_list<std::string_view> texts) : TrackerUrlList(of(texts, texts.size())) {}

TrackerUrlList::TrackerUrlList(const std::optional<std::vector<std::string>>& texts)
    : TrackerUrlList(texts ? TrackerUrlList(*texts) : TrackerUrlList()) {}

void TrackerUrlList::share(Block* block) noexcept { block->references.fetch_add(1, std::memory_order_relaxed); }

void TrackerUrlList::unshare(Block* block) noexcept { Block::release(block); }

void TrackerUrlList::releaseAll(std::span<TrackerUrlList* const> lists) noexcept {
    for (std::size_t i = 0; i < lists.size(); ++i) {
        Block* const block = lists[i]->block_;
        if (!block) {
            continue;  // a record moved from holds none
        }
        std::uint32_t holders = 0;
        for (std::size_t j = i; j < lists.size(); ++j) {
            if (lists[j]->block_ == block) {
                lists[j]->block_ = nullptr;
                ++holders;
            }
        }
        Block::release(block, holders);
    }
}

std::string_view TrackerUrlList::at(std::size_t index) const { return block_->text(first_ + index); }

std::optional<std::vector<std::string>> TrackerUrlList::texts() const {
    if (!has_value()) {
        return std::nullopt;
    }
    return std::vector<std::string>(begin(), end());
}

bool operator==(const TrackerUrlList& lhs, const TrackerUrlList& rhs) noexcept {
    if (lhs.has_value() != rhs.has_value() || lhs.size() != rhs.size()) {
        return false;
    }
    for (std::size_t i = 0; i < lhs.size(); ++i) {
        if (lhs[i] != rhs[i]) {
            return false;
        }
    }
    return true;
}

bool operator==(const TrackerUrlList& lhs, const std::vector<std::string>& rhs) noexcept {
    if (!lhs || lhs.size() != rhs.size()) {
        return false;
    }
    for (std::size_t i = 0; i < rhs.size(); ++i) {
        if (lhs[i] != rhs[i]) {
            return false;
        }
    }
    return true;
}

TrackerUrlList::Decoder::~Decoder() {
    if (block_ && taken_ < sharers_) {
        Block::release(block_, sharers_ - taken_);
    }
}

void TrackerUrlList::Decoder::count(const JsonReader& list) {
    const std::size_t before = texts_;
    list.forEachString([this](std::string_view text) {
        ++texts_;
        bytes_ += text.size();
    });
    if (texts_ > kMostTexts || bytes_ > kMostTexts) {
        list.reject("tracker URL texts too long");
    }
    if (texts_ > before) {
        ++sharers_;
    }
}

TrackerUrlList TrackerUrlList::Decoder::take(const JsonReader& list) {
    if (!block_ && texts_ > 0) {
        block_ = Block::make(texts_, bytes_, sharers_);
    }
    const std::size_t first = nextText_;
    list.forEachString([this](std::string_view text) {
        if (nextText_ >= texts_ || text.size() > bytes_ - nextByte_) {
            throw std::logic_error("a tracker URL list taken that was not counted");
        }
        std::memcpy(block_->bytes() + nextByte_, text.data(), text.size());
        nextByte_ += text.size();
        block_->ends()[nextText_++] = static_cast<std::uint32_t>(nextByte_);
    });
    const std::size_t count = nextText_ - first;
    if (count == 0) {
        return TrackerUrlList(nullptr, 0, 0);
    }
    ++taken_;
    return TrackerUrlList(block_, static_cast<std::uint32_t>(first), static_cast<std::uint32_t>(count));
}

}  // namespace solen
