#include "backend/paged_memory.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
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
constexpr size_t kHugePage = size_t{2} << 20;

constexpr size_t RoundUp(size_t n, size_t to) {
  return (n + to - 1) / to * to;
}

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
  if (bytes < kHugePage) {
    void* p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) throw std::bad_alloc();
    return p;
  }
  // Large blocks (a big texture's texels) start on a huge page boundary and
  // ask for huge pages over their whole huge pages: texels far apart in a
  // texture are then not each a miss in the address translation cache.
  // Only the pages of the block stay mapped, so that its size in memory is
  // what it asked for.
  static const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
  const size_t mapped = RoundUp(bytes, page);
  const size_t reserve = mapped + kHugePage - page;
  void* p = mmap(nullptr, reserve, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (p == MAP_FAILED) throw std::bad_alloc();
  const uintptr_t first = reinterpret_cast<uintptr_t>(p);
  const uintptr_t start = RoundUp(first, kHugePage);
  if (start > first) munmap(p, start - first);
  if (first + reserve > start + mapped)
    munmap(reinterpret_cast<void*>(start + mapped), first + reserve - (start + mapped));
  madvise(reinterpret_cast<void*>(start), bytes / kHugePage * kHugePage, MADV_HUGEPAGE);
  return reinterpret_cast<void*>(start);
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
