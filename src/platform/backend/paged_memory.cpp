#include "backend/paged_memory.h"

#include <sys/mman.h>

#include <cstring>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#define VOSKAR_PAGED_FROM_HEAP 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VOSKAR_PAGED_FROM_HEAP 1
#endif
#endif

namespace platform {

namespace {

// Below this, the heap is cheaper and its waste small.
constexpr size_t kPagedBytes = size_t{64} << 10;

bool Paged(size_t bytes) {
#ifdef VOSKAR_PAGED_FROM_HEAP
  (void)bytes;
  return false;
#else
  return bytes >= kPagedBytes;
#endif
}

}  // namespace

void* AllocatePaged(size_t bytes) {
  if (!Paged(bytes)) return ::operator new(bytes);
  void* p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (p == MAP_FAILED) throw std::bad_alloc();
  return p;
}

void FreePaged(void* memory, size_t bytes) {
  if (!memory) return;
  if (Paged(bytes))
    munmap(memory, bytes);
  else
    ::operator delete(memory);
}

ZeroedPages::ZeroedPages(size_t bytes)
    : data_(static_cast<unsigned char*>(AllocatePaged(bytes ? bytes : 1))), size_(bytes) {
  // Fresh pages of their own read as zero until written; heap memory does not.
  if (!Paged(bytes ? bytes : 1)) std::memset(data_, 0, bytes);
}

void ZeroedPages::Discard() {
  if (Paged(size_)) madvise(data_, size_, MADV_DONTNEED);
}

ZeroedPages::~ZeroedPages() {
  FreePaged(data_, size_ ? size_ : 1);
}

}  // namespace platform
