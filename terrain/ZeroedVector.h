#pragma once

#include <cstddef>
#include <cstdlib>
#include <new>
#include <utility>
#include <vector>

namespace morvik {

// Memory the system hands out already zeroed (calloc), and elements that a
// vector's sizing leaves as they are: a large grid then costs nothing until
// its pages are first used, and the threads that first use them share that
// cost, in place of one thread clearing it all.
template <typename T>
struct ZeroedAllocator {
    using value_type = T;

    ZeroedAllocator() = default;
    template <typename U>
    explicit ZeroedAllocator(const ZeroedAllocator<U>&) {}

    T* allocate(std::size_t count) {
        void* memory = std::calloc(count, sizeof(T));
        if (memory == nullptr) throw std::bad_alloc();
        return static_cast<T*>(memory);
    }
    void deallocate(T* memory, std::size_t) { std::free(memory); }

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
