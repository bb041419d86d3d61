#include "alloc_counter.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

// Relaxed: only the total matters, and benchmark threads may allocate too.
std::atomic<uint64_t> allocations{0};

}  // namespace

uint64_t allocationCount() { return allocations.load(std::memory_order_relaxed); }

// The array and non-throwing forms of the library forward to this one, so
// every allocation but the over-aligned ones (which nothing here makes) is
// counted.
void* operator new(std::size_t size) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}

void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
