#include "terrain/ZeroedVector.h"

#include <cstdlib>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace morvik {

namespace {

// Blocks of at least one huge page get pages of their own.
constexpr std::size_t kHugePage = std::size_t{2} << 20;

}  // namespace

void* AllocateZeroed(std::size_t bytes) {
#ifdef __linux__
    if (bytes >= kHugePage) {
        void* memory =
            mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (memory == MAP_FAILED) throw std::bad_alloc();
        // Only advice: without huge pages the block works all the same.
        madvise(memory, bytes, MADV_HUGEPAGE);
        return memory;
    }
#endif
    void* memory = std::calloc(bytes == 0 ? 1 : bytes, 1);
    if (memory == nullptr) throw std::bad_alloc();
    return memory;
}

void FreeZeroed(void* memory, std::size_t bytes) {
#ifdef __linux__
    if (bytes >= kHugePage) {
        munmap(memory, bytes);
        return;
    }
#endif
    std::free(memory);
}

}  // namespace morvik
