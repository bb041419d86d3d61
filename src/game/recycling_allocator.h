// An allocator that keeps a few of the blocks it is given back and hands them
// out again. The snake's deque takes a block at its head about as often as it
// gives one back at its tail, so once the snake has its length a move
// allocates nothing. Only the program's one thread uses it.
#pragma once

#include <cstddef>
#include <memory>
#include <utility>

template <class T>
struct RecyclingAllocator {
    using value_type = T;

    RecyclingAllocator() = default;
    template <class U>
    RecyclingAllocator(const RecyclingAllocator<U>&) {}

    T* allocate(std::size_t n) {
        for (Spare& spare : spares) {
            if (spare.block != nullptr && spare.size == n)
                return std::exchange(spare.block, nullptr);
        }
        return std::allocator<T>{}.allocate(n);
    }

    void deallocate(T* block, std::size_t n) {
        for (Spare& spare : spares) {
            if (spare.block == nullptr) {
                spare = {block, n};
                return;
            }
        }
        std::allocator<T>{}.deallocate(block, n);
    }

    friend bool operator==(const RecyclingAllocator&, const RecyclingAllocator&) { return true; }

private:
    struct Spare {
        T* block = nullptr;
        std::size_t size = 0;
    };
    // Shared by every allocator of T: blocks go back where any deque of T takes them.
    inline static Spare spares[4] = {};
};
