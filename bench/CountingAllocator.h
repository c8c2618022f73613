#pragma once

// Replaces the process's operator new and delete with ones that count the live heap bytes and
// their peak. Include it in one source file of a benchmark program: every allocation of the
// process then passes here.
#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <new>

namespace {
// Bytes held now, the most held since the last reset of `heapPeak`, and blocks handed out so far.
std::atomic<std::size_t> heapLive{0};
std::atomic<std::size_t> heapPeak{0};
std::atomic<std::size_t> heapAllocations{0};

void* counted(void* block) {
    if (block != nullptr) {
        ++heapAllocations;
        const std::size_t live = heapLive += malloc_usable_size(block);
        std::size_t peak = heapPeak.load();
        while (live > peak && !heapPeak.compare_exchange_weak(peak, live)) {
        }
    }
    return block;
}

// Every block comes from malloc through the operators below, so free is its match.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void release(void* block) {
    if (block != nullptr) {
        heapLive -= malloc_usable_size(block);
        std::free(block);
    }
}
#pragma GCC diagnostic pop
}  // namespace

void* operator new(std::size_t size) {
    if (void* block = counted(std::malloc(size == 0 ? 1 : size))) return block;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return counted(std::malloc(size == 0 ? 1 : size)); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return operator new(size, std::nothrow); }
void* operator new(std::size_t size, std::align_val_t align) {
    const std::size_t alignment = std::max(static_cast<std::size_t>(align), sizeof(void*));
    if (void* block = counted(std::aligned_alloc(alignment, (size + alignment - 1) / alignment * alignment))) return block;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size, std::align_val_t align) { return operator new(size, align); }
void operator delete(void* block) noexcept { release(block); }
void operator delete[](void* block) noexcept { release(block); }
void operator delete(void* block, std::size_t) noexcept { release(block); }
void operator delete[](void* block, std::size_t) noexcept { release(block); }
void operator delete(void* block, std::align_val_t) noexcept { release(block); }
void operator delete[](void* block, std::align_val_t) noexcept { release(block); }
void operator delete(void* block, std::size_t, std::align_val_t) noexcept { release(block); }
void operator delete[](void* block, std::size_t, std::align_val_t) noexcept { release(block); }
