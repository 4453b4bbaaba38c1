// The GDI objects of the stand-in: DIB sections loaded from .bmp files,
// memory DCs that hold them, and DCs on DirectDraw surfaces. Handles are
// pointers to these objects, checked against the set of live objects before
// use, so a stale or foreign handle fails instead of crashing.
#pragma once

#include <cstdint>
#include <vector>

#include "win32.h"

namespace platform {

class Surface;

namespace gdi {

enum class Kind { Bitmap, MemoryDC, SurfaceDC };

struct Object {
  explicit Object(Kind k) : kind(k) {}
  virtual ~Object() = default;
  Kind kind;
};

struct Dc;

// The pixels of a picture. Large ones live in pages of their own, given
// back to the system when the picture is deleted, instead of among the
// program's small allocations.
class PixelBuffer {
 public:
  PixelBuffer() = default;
  PixelBuffer(const PixelBuffer&) = delete;
  PixelBuffer& operator=(const PixelBuffer&) = delete;
  ~PixelBuffer() { Free(); }
  // Uninitialised storage for `bytes` bytes; throws std::bad_alloc.
  void Allocate(size_t bytes);
  uint8_t* data() { return data_; }
  const uint8_t* data() const { return data_; }
  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }

 private:
  void Free();
  uint8_t* data_ = nullptr;
  size_t size_ = 0;
};

// A DIB section: the decoded picture with its colour table. Pictures of up
// to 8 bits keep their palette indices; deeper ones keep three bytes per
// pixel (blue, green, red), all that GDI reads of them.
struct Bitmap : Object {
  Bitmap() : Object(Kind::Bitmap) {}
  int width = 0;
  int height = 0;
  int fileBits = 0;  // bits per pixel as stored in the file
  std::vector<RGBQUAD> colors;
  std::vector<uint8_t> indices;  // width * height, top row first
  PixelBuffer bgr;               // 3 * width * height, top row first
  Dc* selectedInto = nullptr;
  bool stock = false;  // the default bitmap of a new memory DC

  // The pixel at (x, y) as 0x00RRGGBB.
  uint32_t ColorAt(int x, int y) const;
};

struct Dc : Object {
  explicit Dc(Kind k) : Object(k) {}
  Bitmap* bitmap = nullptr;    // memory DC: the selected bitmap
  Surface* surface = nullptr;  // surface DC: the surface drawn on
  COLORREF textColor = 0;      // black
  int bkMode = OPAQUE;
};

void Track(Object* object);
void Untrack(Object* object);
Bitmap* AsBitmap(const void* handle);
Dc* AsDc(const void* handle);
// The 1 x 1 bitmap every new memory DC starts with.
Bitmap* StockBitmap();

}  // namespace gdi
}  // namespace platform
