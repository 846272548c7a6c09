#include "terrain/ZeroedVector.h"

#include <cstdint>
#include <cstdlib>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace morvik {

// From calloc, so that the allocator's own bookkeeping (which serves later
// large blocks from memory given back) stays as it would be; the whole huge
// pages inside a large block are then asked for by advice alone.
void* AllocateZeroed(std::size_t bytes) {
    void* memory = std::calloc(bytes == 0 ? 1 : bytes, 1);
    if (memory == nullptr) throw std::bad_alloc();
#ifdef __linux__
    constexpr std::uintptr_t kHugePage = std::uintptr_t{2} << 20;
    const auto start = reinterpret_cast<std::uintptr_t>(memory);
    const std::uintptr_t first = (start + kHugePage - 1) & ~(kHugePage - 1);
    const std::uintptr_t end = (start + bytes) & ~(kHugePage - 1);
    // Only advice: without huge pages the block works all the same.
    if (first < end) madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
#endif
    return memory;
}

void FreeZeroed(void* memory) { std::free(memory); }

}  // namespace morvik
