// Large buffers in pages of their own, given back to the system when freed:
// pictures and texture tables come and go during a stage, and inside the
// heap their freed memory would stay resident between other allocations.
// Sanitizer builds take everything from the heap, so that every access is
// checked.
#pragma once

#include <cstddef>

namespace platform {

// Uninitialised storage for `bytes` (> 0) bytes; throws std::bad_alloc.
void* AllocatePaged(size_t bytes);
// Frees what AllocatePaged(bytes) gave, with the same size.
void FreePaged(void* memory, size_t bytes);

}  // namespace platform
