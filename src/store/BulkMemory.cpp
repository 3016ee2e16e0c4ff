#include "store/BulkMemory.h"

#include <algorithm>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace bulk_memory {

void* allocate(std::size_t bytes) {
    const std::size_t size = std::max(kBlockBytes, (bytes + kBlockBytes - 1) / kBlockBytes * kBlockBytes);
    void* memory = ::operator new(size, std::align_val_t{kBlockBytes});
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    ::madvise(memory, size, MADV_HUGEPAGE);  // a hint: without large pages all still works
#endif
    return memory;
}

void release(void* memory) noexcept { ::operator delete(memory, std::align_val_t{kBlockBytes}); }

}  // namespace bulk_memory
