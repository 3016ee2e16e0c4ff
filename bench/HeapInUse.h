#pragma once

#include <cstddef>
#include <limits>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

// Heap bytes in use (glibc's count; 0 elsewhere).
inline std::size_t heapInUse() {
#if defined(__GLIBC__)
    return mallinfo2().uordblks;
#else
    return 0;
#endif
}

// Freed memory stays with the process for the whole run, so that no benchmark's time depends on
// whether the allocator happened to hand its big buffers back to the system after the benchmark
// before (which would make every page of them fault again, at several microseconds a page on a
// virtual machine), and all memory is on the heap heapInUse() counts.
inline void keepFreedMemory() {
#if defined(__GLIBC__)
    mallopt(M_MMAP_MAX, 0);
    mallopt(M_TRIM_THRESHOLD, std::numeric_limits<int>::max());
#endif
}
