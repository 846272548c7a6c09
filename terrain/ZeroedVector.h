#pragma once

#include <cstddef>
#include <limits>
#include <new>
#include <utility>
#include <vector>

namespace morvik {

// Zeroed memory, and its return. Large blocks ask for huge pages where the
// system has them: a map of 8192 x 8192 takes a gigabyte, whose every small
// page would otherwise fault on first use.
void* AllocateZeroed(std::size_t bytes);
void FreeZeroed(void* memory);

// Memory the system hands out already zeroed, and elements that a vector's
// sizing leaves as they are: a large grid then costs nothing until its
// pages are first used, and the threads that first use them share that
// cost, in place of one thread clearing it all.
template <typename T>
struct ZeroedAllocator {
    using value_type = T;

    ZeroedAllocator() = default;
    template <typename U>
    explicit ZeroedAllocator(const ZeroedAllocator<U>&) {}

    T* allocate(std::size_t count) {
        if (count > std::numeric_limits<std::size_t>::max() / sizeof(T)) throw std::bad_alloc();
        return static_cast<T*>(AllocateZeroed(count * sizeof(T)));
    }
    void deallocate(T* memory, std::size_t) { FreeZeroed(memory); }

    // A value-initialised element is zero, which the memory already is.
    template <typename U>
    void construct(U*) {}
    template <typename U, typename... Arguments>
    void construct(U* at, Arguments&&... arguments) {
        ::new (static_cast<void*>(at)) U(std::forward<Arguments>(arguments)...);
    }

    friend bool operator==(const ZeroedAllocator&, const ZeroedAllocator&) = default;
};

template <typename T>
using ZeroedVector = std::vector<T, ZeroedAllocator<T>>;

}  // namespace morvik
