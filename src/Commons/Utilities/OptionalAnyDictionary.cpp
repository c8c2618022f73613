#include "Commons/Utilities/OptionalAnyDictionary.h"

#include <atomic>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <string>

namespace solen {

// One value, shared by the copies that hold it: a count of them, the value once built, and the
// compact text it is built from, stored right after the block in the same allocation.
struct OptionalAnyDictionary::Block {
    std::atomic<std::uint32_t> references{1};
    std::uint32_t length = 0;
    std::atomic<const AnyDictionary*> value{nullptr};

    std::string_view text() const { return {reinterpret_cast<const char*>(this + 1), length}; }

    static Block* withText(std::string_view text) {
        void* memory = ::operator new(sizeof(Block) + text.size());
        Block* block = new (memory) Block();
        block->length = static_cast<std::uint32_t>(text.size());
        std::memcpy(reinterpret_cast<char*>(block + 1), text.data(), text.size());
        return block;
    }

    static Block* withValue(AnyDictionary value) {
        auto built = std::make_unique<AnyDictionary>(std::move(value));
        Block* block = new (::operator new(sizeof(Block))) Block();
        block->value.store(built.release(), std::memory_order_relaxed);
        return block;
    }

    static void release(Block* block) noexcept {
        if (block->references.fetch_sub(1, std::memory_order_acq_rel) == 1) {
            delete block->value.load(std::memory_order_acquire);
            block->~Block();
            ::operator delete(block);
        }
    }
};

namespace {

// The text of a value being decoded is written here first: the block then takes exactly its size.
// A thread keeps this buffer between decodes unless a large value made it grow.
constexpr std::size_t kKeptBufferCapacity = std::size_t{64} << 10;
thread_local std::string compactBuffer;

}  // namespace

OptionalAnyDictionary::OptionalAnyDictionary(AnyDictionary value) : block_(Block::withValue(std::move(value))) {}

OptionalAnyDictionary::OptionalAnyDictionary(std::optional<AnyDictionary> value)
    : block_(value ? Block::withValue(std::move(*value)) : nullptr) {}

OptionalAnyDictionary::OptionalAnyDictionary(const OptionalAnyDictionary& other) noexcept : block_(other.block_) {
    if (block_) {
        block_->references.fetch_add(1, std::memory_order_relaxed);
    }
}

OptionalAnyDictionary& OptionalAnyDictionary::operator=(const OptionalAnyDictionary& other) noexcept {
    OptionalAnyDictionary copy(other);
    std::swap(block_, copy.block_);
    return *this;
}

OptionalAnyDictionary& OptionalAnyDictionary::operator=(OptionalAnyDictionary&& other) noexcept {
    OptionalAnyDictionary taken(std::move(other));
    std::swap(block_, taken.block_);
    return *this;
}

void OptionalAnyDictionary::reset() noexcept {
    if (block_) {
        Block::release(block_);
        block_ = nullptr;
    }
}

OptionalAnyDictionary OptionalAnyDictionary::decode(const JsonReader& reader) {
    compactBuffer.clear();
    if (!reader.appendCompactText(compactBuffer) || compactBuffer.size() > std::numeric_limits<std::uint32_t>::max()) {
        // A null: the full decode fails with its key path and log lines. (A text too long for the
        // block, were there one, is built at once.)
        return OptionalAnyDictionary(decodeAnyDictionary(reader));
    }
    OptionalAnyDictionary result(Block::withText(compactBuffer));
    if (compactBuffer.capacity() > kKeptBufferCapacity) {
        std::string().swap(compactBuffer);
    }
    return result;
}

const AnyDictionary& OptionalAnyDictionary::value() const {
    if (!block_) {
        throw std::bad_optional_access();
    }
    const AnyDictionary* value = block_->value.load(std::memory_order_acquire);
    if (value) {
        return *value;
    }
    // Threads that read it first at the same time each build it; one of them is kept.
    auto built = std::make_unique<AnyDictionary>(JsonReader::parse(block_->text()));
    if (block_->value.compare_exchange_strong(value, built.get(), std::memory_order_acq_rel, std::memory_order_acquire)) {
        return *built.release();
    }
    return *value;
}

OptionalAnyDictionary::operator std::optional<AnyDictionary>() const {
    if (!block_) {
        return std::nullopt;
    }
    if (const AnyDictionary* value = block_->value.load(std::memory_order_acquire)) {
        return *value;
    }
    return JsonReader::parse(block_->text());
}

std::string_view OptionalAnyDictionary::compactText() const noexcept {
    return block_ ? block_->text() : std::string_view();
}

bool operator==(const OptionalAnyDictionary& lhs, const OptionalAnyDictionary& rhs) {
    if (lhs.block_ == rhs.block_) {
        return true;
    }
    if (!lhs || !rhs) {
        return false;
    }
    // The same text reads as the same value; different texts may still hold equal values (1 and 1.0).
    if (!lhs.compactText().empty() && lhs.compactText() == rhs.compactText()) {
        return true;
    }
    return *lhs == *rhs;
}

}  // namespace solen
