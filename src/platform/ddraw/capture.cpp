// Saving a surface's pixels as a PNG picture, for tests and debugging.
#include <vector>

#include "backend/png.h"
#include "ddraw/surface.h"
#include "testing.h"

namespace platform {

bool SaveSurfacePng(IDirectDrawSurface7* surface, const std::string& pngPath) {
  Surface* s = Surface::From(surface);
  if (!s) return false;
  const FormatInfo& info = s->Info();
  std::vector<uint32_t> argb(static_cast<size_t>(s->Width()) * s->Height());
  for (int y = 0; y < s->Height(); ++y) {
    const uint8_t* row = s->Bits() + static_cast<size_t>(y) * s->Pitch();
    for (int x = 0; x < s->Width(); ++x)
      argb[static_cast<size_t>(y) * s->Width() + x] =
          PixelToArgb(info, ReadPixel(row + x * info.bytes, info.bytes), s->PaletteEntries());
  }
  return WritePng(pngPath, argb.data(), s->Width(), s->Height(), s->Width(), info.a.bits > 0);
}

}  // namespace platform
