#include "store/BulkMemory.h"

#include <cstdlib>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace bulk_memory {

void* allocate(std::size_t bytes) {
    const std::size_t rounded = (bytes + kBlockBytes - 1) / kBlockBytes * kBlockBytes;
    void* memory = std::aligned_alloc(kBlockBytes, rounded == 0 ? kBlockBytes : rounded);
    if (!memory) throw std::bad_alloc();
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    ::madvise(memory, rounded, MADV_HUGEPAGE);  // a hint: without large pages all still works
#endif
    return memory;
}

void release(void* memory) noexcept { std::free(memory); }

}  // namespace bulk_memory
