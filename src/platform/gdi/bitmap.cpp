// DIB sections from .bmp files (LoadImageA), their description (GetObjectA)
// and deletion, plus the registry of live GDI objects.
#include <SDL.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <unordered_set>

#include "backend/paged_memory.h"
#include "gdi/objects.h"
#include "port.h"

namespace platform {
namespace gdi {

namespace {

// Never destroyed: pictures still registered when the program ends are
// deleted by destructors of other files' statics, which may run after this
// set would have been destroyed.
std::unordered_set<const void*>& LiveObjects() {
  static auto* live = new std::unordered_set<const void*>();
  return *live;
}

// The largest picture side accepted from a file. The decoder trusts the
// header's sizes, so larger ones are refused before decoding.
constexpr int64_t kMaxSide = 16384;
// The largest picture accepted, in pixels (as many as 2048 x 2048, the
// largest texture a device takes): a small run-length file can announce a
// picture whose decoding would take gigabytes.
constexpr int64_t kMaxPixels = int64_t{2048} * 2048;

uint32_t U16(const std::vector<uint8_t>& d, size_t at) {
  return static_cast<uint32_t>(d[at] | (d[at + 1] << 8));
}

uint32_t U32(const std::vector<uint8_t>& d, size_t at) {
  return static_cast<uint32_t>(d[at]) | (static_cast<uint32_t>(d[at + 1]) << 8) |
         (static_cast<uint32_t>(d[at + 2]) << 16) | (static_cast<uint32_t>(d[at + 3]) << 24);
}

struct BmpHeader {
  int64_t width = 0;
  int64_t height = 0;  // absolute value
  int bits = 0;
  size_t colors = 0;  // colour-table entries (pictures of up to 8 bits)
};

// Checks a .bmp file's headers: magic, header size, sizes within limits,
// a known depth and compression, a sane colour count, and (uncompressed)
// enough pixel data. False for anything the decoder should not be given.
bool ParseHeader(const std::vector<uint8_t>& file, BmpHeader* out) {
  if (file.size() < 18 || file[0] != 'B' || file[1] != 'M') return false;
  const uint64_t pixelOffset = U32(file, 10);
  const uint32_t infoSize = U32(file, 14);
  uint32_t compression = 0, colorsUsed = 0, planes = 0;
  if (infoSize == 12) {
    if (file.size() < 14 + 12) return false;
    out->width = U16(file, 18);
    out->height = U16(file, 20);
    planes = U16(file, 22);
    out->bits = static_cast<int>(U16(file, 24));
  } else if (infoSize >= 40 && infoSize <= 1024) {
    if (file.size() < 14 + static_cast<size_t>(infoSize)) return false;
    out->width = static_cast<int32_t>(U32(file, 18));
    out->height = static_cast<int32_t>(U32(file, 22));
    planes = U16(file, 26);
    out->bits = static_cast<int>(U16(file, 28));
    compression = U32(file, 30);
    colorsUsed = U32(file, 46);
  } else {
    return false;
  }
  const bool topDown = out->height < 0;
  if (topDown) out->height = -out->height;
  if (planes != 1 || out->width <= 0 || out->height == 0 || out->width > kMaxSide ||
      out->height > kMaxSide || out->width * out->height > kMaxPixels)
    return false;
  switch (out->bits) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
      break;
    default:
      return false;
  }
  switch (compression) {
    case 0:  // BI_RGB
      break;
    case 1:  // BI_RLE8
      if (out->bits != 8 || topDown) return false;
      break;
    case 2:  // BI_RLE4
      if (out->bits != 4 || topDown) return false;
      break;
    case 3:  // BI_BITFIELDS
      if (out->bits != 16 && out->bits != 32) return false;
      break;
    default:
      return false;
  }
  if (out->bits <= 8) {
    const uint32_t maxColors = 1u << out->bits;
    if (colorsUsed > maxColors) return false;
    out->colors = colorsUsed ? colorsUsed : maxColors;
  }
  if (pixelOffset >= file.size()) return false;
  if (compression == 0 || compression == 3) {
    const uint64_t rowBytes = (static_cast<uint64_t>(out->width) * out->bits + 31) / 32 * 4;
    if (pixelOffset + rowBytes * static_cast<uint64_t>(out->height) > file.size()) return false;
  }
  return true;
}

bool ReadFile(const std::string& path, std::vector<uint8_t>* data) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  uint8_t buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof(buffer), f)) > 0)
    data->insert(data->end(), buffer, buffer + n);
  const bool ok = !std::ferror(f);
  std::fclose(f);
  return ok;
}

struct SdlSurfaceDeleter {
  void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};
using SdlSurfacePtr = std::unique_ptr<SDL_Surface, SdlSurfaceDeleter>;

// Decodes the checked file into a bitmap. SDL does the decoding (every
// depth, RLE8/RLE4, bit fields, top-down rows).
std::unique_ptr<Bitmap> Decode(const std::vector<uint8_t>& file, const BmpHeader& header) {
  if (file.size() > static_cast<size_t>(INT_MAX)) return nullptr;
  SDL_RWops* rw = SDL_RWFromConstMem(file.data(), static_cast<int>(file.size()));
  if (!rw) return nullptr;
  SdlSurfacePtr decoded(SDL_LoadBMP_RW(rw, 1));
  if (!decoded || decoded->w != header.width || decoded->h != header.height) return nullptr;
  auto bitmap = std::make_unique<Bitmap>();
  bitmap->width = decoded->w;
  bitmap->height = decoded->h;
  bitmap->fileBits = header.bits;
  const size_t count = static_cast<size_t>(decoded->w) * static_cast<size_t>(decoded->h);
  SDL_Palette* palette = decoded->format->palette;
  if (header.bits <= 8 && palette && decoded->format->BitsPerPixel == 8) {
    const size_t entries = std::min<size_t>(header.colors, static_cast<size_t>(palette->ncolors));
    bitmap->colors.resize(entries);
    for (size_t i = 0; i < entries; ++i) {
      const SDL_Color& c = palette->colors[i];
      bitmap->colors[i] = RGBQUAD{c.b, c.g, c.r, 0};
    }
    bitmap->indices.resize(count);
    for (int y = 0; y < decoded->h; ++y)
      std::memcpy(
          &bitmap->indices[static_cast<size_t>(y) * decoded->w],
          static_cast<const uint8_t*>(decoded->pixels) + static_cast<size_t>(y) * decoded->pitch,
          static_cast<size_t>(decoded->w));
    return bitmap;
  }
  SdlSurfacePtr rgb(SDL_ConvertSurfaceFormat(decoded.get(), SDL_PIXELFORMAT_ARGB8888, 0));
  if (!rgb) return nullptr;
  bitmap->bgr.Allocate(3 * count);
  uint8_t* out = bitmap->bgr.data();
  for (int y = 0; y < rgb->h; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(rgb->pixels) +
                                                        static_cast<size_t>(y) * rgb->pitch);
    for (int x = 0; x < rgb->w; ++x, out += 3) {
      out[0] = static_cast<uint8_t>(row[x]);
      out[1] = static_cast<uint8_t>(row[x] >> 8);
      out[2] = static_cast<uint8_t>(row[x] >> 16);
    }
  }
  return bitmap;
}

}  // namespace

// Sanitizer builds take every picture from the heap, where accesses are
// checked.
void PixelBuffer::Allocate(size_t bytes) {
  Free();
  if (bytes == 0) return;
  data_ = static_cast<uint8_t*>(AllocatePaged(bytes));
  size_ = bytes;
}

void PixelBuffer::Free() {
  FreePaged(data_, size_);
  data_ = nullptr;
  size_ = 0;
}

uint32_t Bitmap::ColorAt(int x, int y) const {
  const size_t i = static_cast<size_t>(y) * width + x;
  if (!indices.empty()) {
    const uint8_t index = indices[i];
    if (index >= colors.size()) return 0;
    const RGBQUAD& c = colors[index];
    return (uint32_t{c.rgbRed} << 16) | (uint32_t{c.rgbGreen} << 8) | c.rgbBlue;
  }
  if (bgr.empty()) return 0;
  const uint8_t* p = bgr.data() + 3 * i;
  return (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0];
}

void Track(Object* object) {
  LiveObjects().insert(object);
}

void Untrack(Object* object) {
  LiveObjects().erase(object);
}

Bitmap* AsBitmap(const void* handle) {
  if (!handle || !LiveObjects().count(handle)) return nullptr;
  auto* object = static_cast<Object*>(const_cast<void*>(handle));
  return object->kind == Kind::Bitmap ? static_cast<Bitmap*>(object) : nullptr;
}

Dc* AsDc(const void* handle) {
  if (!handle || !LiveObjects().count(handle)) return nullptr;
  auto* object = static_cast<Object*>(const_cast<void*>(handle));
  return object->kind == Kind::Bitmap ? nullptr : static_cast<Dc*>(object);
}

Bitmap* StockBitmap() {
  static Bitmap* stock = [] {
    static Bitmap bitmap;
    bitmap.width = 1;
    bitmap.height = 1;
    bitmap.fileBits = 1;
    bitmap.stock = true;
    bitmap.indices.assign(1, 0);
    bitmap.colors.assign(2, RGBQUAD{0, 0, 0, 0});
    bitmap.colors[1] = RGBQUAD{255, 255, 255, 0};
    Track(&bitmap);
    return &bitmap;
  }();
  return stock;
}

}  // namespace gdi
}  // namespace platform

using platform::gdi::Bitmap;

HANDLE LoadImageA(HINSTANCE, LPCSTR name, UINT type, int, int, UINT flags) {
  // The program carries no resources: only files can be loaded.
  if (type != IMAGE_BITMAP || !(flags & LR_LOADFROMFILE) || !name) return nullptr;
  std::vector<uint8_t> file;
  if (!platform::gdi::ReadFile(Port_FilePath(name), &file)) return nullptr;
  platform::gdi::BmpHeader header;
  if (!platform::gdi::ParseHeader(file, &header)) return nullptr;
  std::unique_ptr<Bitmap> bitmap;
  try {
    bitmap = platform::gdi::Decode(file, header);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  if (!bitmap) return nullptr;
  platform::gdi::Track(bitmap.get());
  return static_cast<platform::gdi::Object*>(bitmap.release());
}

int GetObjectA(HANDLE object, int size, LPVOID buffer) {
  const Bitmap* bitmap = platform::gdi::AsBitmap(object);
  if (!bitmap) return 0;
  if (!buffer) return static_cast<int>(sizeof(BITMAP));
  if (size < static_cast<int>(sizeof(BITMAP))) return 0;
  BITMAP bm{};
  bm.bmType = 0;
  bm.bmWidth = bitmap->width;
  bm.bmHeight = bitmap->height;
  bm.bmWidthBytes = (bitmap->width * bitmap->fileBits + 31) / 32 * 4;
  bm.bmPlanes = 1;
  bm.bmBitsPixel = static_cast<WORD>(bitmap->fileBits);
  // The decoded pixels are not laid out as the file's rows, so no pointer
  // to them is given out.
  bm.bmBits = nullptr;
  std::memcpy(buffer, &bm, sizeof(bm));
  return static_cast<int>(sizeof(BITMAP));
}

BOOL DeleteObject(HGDIOBJ object) {
  Bitmap* bitmap = platform::gdi::AsBitmap(object);
  if (!bitmap) return FALSE;
  if (bitmap->stock) return TRUE;
  // A bitmap still selected into a DC can't be deleted.
  if (bitmap->selectedInto) return FALSE;
  platform::gdi::Untrack(bitmap);
  delete bitmap;
  return TRUE;
}
