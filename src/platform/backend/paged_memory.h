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

// Zero-filled storage of a fixed size whose pages, when it has pages of its
// own, take memory only once they are first written: like a driver's
// managed surfaces, thousands of surfaces that are never drawn on cost
// next to nothing.
class ZeroedPages {
 public:
  explicit ZeroedPages(size_t bytes);
  ~ZeroedPages();
  ZeroedPages(const ZeroedPages&) = delete;
  ZeroedPages& operator=(const ZeroedPages&) = delete;

  unsigned char* data() { return data_; }
  const unsigned char* data() const { return data_; }
  size_t size() const { return size_; }
  // Gives the pages back to the system where they are pages of their own;
  // the content is then undefined (zero or as it was).
  void Discard();

 private:
  unsigned char* data_;
  size_t size_;
};

}  // namespace platform
