#pragma once

#include <cstddef>
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
