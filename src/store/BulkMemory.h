#pragma once

#include <cstddef>

// Memory for bulk data (the records of a large register, the bytes of a large file): whole
// blocks of 2 MiB, which the system is asked to back with large pages where it can. Touching
// fresh memory costs a page fault per 4 KiB page otherwise, and reading a file of 100,000
// taxpayers touches a few hundred megabytes.
namespace bulk_memory {

inline constexpr std::size_t kBlockBytes = std::size_t{2} << 20;

// `bytes` rounded up to whole blocks. Throws std::bad_alloc.
void* allocate(std::size_t bytes);
void release(void* memory) noexcept;

}  // namespace bulk_memory
