// Memory DCs holding DIB sections, DCs on DirectDraw surfaces, and BitBlt
// from the one to the other with conversion into the surface's format.
#include <algorithm>
#include <new>

#include "ddraw/surface.h"
#include "gdi/objects.h"
#include "gdi/surface_dc.h"

namespace platform {

using gdi::Bitmap;
using gdi::Dc;

HDC CreateSurfaceDC(Surface* surface) {
  auto* dc = new (std::nothrow) Dc(gdi::Kind::SurfaceDC);
  if (!dc) return nullptr;
  dc->surface = surface;
  gdi::Track(dc);
  return reinterpret_cast<HDC>(static_cast<gdi::Object*>(dc));
}

void DeleteSurfaceDC(HDC handle) {
  Dc* dc = gdi::AsDc(handle);
  if (!dc || dc->kind != gdi::Kind::SurfaceDC) return;
  gdi::Untrack(dc);
  delete dc;
}

}  // namespace platform

using platform::gdi::Bitmap;
using platform::gdi::Dc;
using platform::gdi::Kind;

HDC CreateCompatibleDC(HDC compatible) {
  if (compatible && !platform::gdi::AsDc(compatible)) return nullptr;
  auto* dc = new (std::nothrow) Dc(Kind::MemoryDC);
  if (!dc) return nullptr;
  dc->bitmap = platform::gdi::StockBitmap();
  platform::gdi::Track(dc);
  return reinterpret_cast<HDC>(static_cast<platform::gdi::Object*>(dc));
}

HGDIOBJ SelectObject(HDC handle, HGDIOBJ object) {
  Dc* dc = platform::gdi::AsDc(handle);
  Bitmap* bitmap = platform::gdi::AsBitmap(object);
  // Bitmaps are the only objects here, and only memory DCs take them; a
  // bitmap can be selected into one DC at a time.
  if (!dc || dc->kind != Kind::MemoryDC || !bitmap) return nullptr;
  if (bitmap->selectedInto && bitmap->selectedInto != dc) return nullptr;
  Bitmap* previous = dc->bitmap;
  if (previous && !previous->stock) previous->selectedInto = nullptr;
  dc->bitmap = bitmap;
  if (!bitmap->stock) bitmap->selectedInto = dc;
  return static_cast<platform::gdi::Object*>(previous);
}

BOOL DeleteDC(HDC handle) {
  Dc* dc = platform::gdi::AsDc(handle);
  // Surface DCs end with IDirectDrawSurface7::ReleaseDC.
  if (!dc || dc->kind != Kind::MemoryDC) return FALSE;
  if (dc->bitmap && !dc->bitmap->stock) dc->bitmap->selectedInto = nullptr;
  platform::gdi::Untrack(dc);
  delete dc;
  return TRUE;
}

UINT GetDIBColorTable(HDC handle, UINT start, UINT count, RGBQUAD* colors) {
  Dc* dc = platform::gdi::AsDc(handle);
  if (!dc || dc->kind != Kind::MemoryDC || !dc->bitmap || dc->bitmap->stock || !colors) return 0;
  const std::vector<RGBQUAD>& table = dc->bitmap->colors;
  if (start >= table.size()) return 0;
  const UINT n = std::min<UINT>(count, static_cast<UINT>(table.size()) - start);
  for (UINT i = 0; i < n; ++i) colors[i] = table[start + i];
  return n;
}

BOOL BitBlt(HDC destHandle, int x, int y, int width, int height, HDC srcHandle, int srcX, int srcY,
            DWORD rop) {
  Dc* dest = platform::gdi::AsDc(destHandle);
  Dc* src = platform::gdi::AsDc(srcHandle);
  // Copies from a DIB in a memory DC onto a surface are all that's needed.
  if (rop != SRCCOPY || !dest || dest->kind != Kind::SurfaceDC || !src ||
      src->kind != Kind::MemoryDC || !src->bitmap || src->bitmap->stock)
    return FALSE;
  if (width <= 0 || height <= 0) return TRUE;
  platform::Surface* surface = dest->surface;
  const Bitmap& bitmap = *src->bitmap;
  const platform::FormatInfo& info = surface->Info();
  const PALETTEENTRY* palette = surface->PaletteEntries();
  // Palette indices go straight into a palettised surface; everything else
  // is converted. GDI knows no alpha: alpha bits are written as 0.
  const bool indexCopy = info.palettized && !bitmap.indices.empty();
  for (int row = 0; row < height; ++row) {
    const int64_t dy = int64_t{y} + row, sy = int64_t{srcY} + row;
    if (dy < 0 || dy >= surface->Height() || sy < 0 || sy >= bitmap.height) continue;
    uint8_t* out = surface->Bits() + static_cast<size_t>(dy) * surface->Pitch();
    for (int col = 0; col < width; ++col) {
      const int64_t dx = int64_t{x} + col, sx = int64_t{srcX} + col;
      if (dx < 0 || dx >= surface->Width() || sx < 0 || sx >= bitmap.width) continue;
      const uint32_t pixel =
          indexCopy
              ? bitmap.indices[static_cast<size_t>(sy) * bitmap.width + sx]
              : platform::ArgbToPixel(
                    info, bitmap.ColorAt(static_cast<int>(sx), static_cast<int>(sy)), palette);
      platform::WritePixel(out + static_cast<size_t>(dx) * info.bytes, info.bytes, pixel);
    }
  }
  return TRUE;
}

COLORREF SetTextColor(HDC handle, COLORREF color) {
  Dc* dc = platform::gdi::AsDc(handle);
  if (!dc) return CLR_INVALID;
  const COLORREF previous = dc->textColor;
  dc->textColor = color & 0x00FFFFFF;
  return previous;
}

int SetBkMode(HDC handle, int mode) {
  Dc* dc = platform::gdi::AsDc(handle);
  if (!dc || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
  const int previous = dc->bkMode;
  dc->bkMode = mode;
  return previous;
}
