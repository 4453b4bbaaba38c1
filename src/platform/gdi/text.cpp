// ExtTextOutA on surface DCs: the text is rendered with DejaVu Sans at the
// size of the window system's default GUI font and written into the
// surface's pixels in its format.
#include <SDL_ttf.h>

#include <string>

#include "ddraw/surface.h"
#include "gdi/objects.h"

namespace platform {
namespace gdi {
namespace {

// Pixel size of the default GUI font's em.
constexpr int kFontSize = 12;
// The default background colour of a DC (white), used in OPAQUE mode.
constexpr uint32_t kBackground = 0xFFFFFF;

TTF_Font* Font() {
  static TTF_Font* font = [] {
    if (!TTF_WasInit() && TTF_Init() != 0) return static_cast<TTF_Font*>(nullptr);
    return TTF_OpenFont(VOSKAR_FONT_DIR "/DejaVuSans.ttf", kFontSize);
  }();
  return font;
}

uint32_t Mix(uint32_t over, uint32_t under, uint32_t coverage) {
  uint32_t result = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    const uint32_t a = (over >> shift) & 0xFF, b = (under >> shift) & 0xFF;
    result |= ((a * coverage + b * (255 - coverage) + 127) / 255) << shift;
  }
  return result;
}

}  // namespace
}  // namespace gdi
}  // namespace platform

BOOL ExtTextOutA(HDC handle, int x, int y, UINT, const RECT*, LPCSTR text, UINT count, const INT*) {
  platform::gdi::Dc* dc = platform::gdi::AsDc(handle);
  if (!dc || dc->kind != platform::gdi::Kind::SurfaceDC || (!text && count)) return FALSE;
  // Characters past a NUL are not drawn.
  std::string line(text ? text : "", count);
  line.resize(std::char_traits<char>::length(line.c_str()));
  if (line.empty()) return TRUE;
  TTF_Font* font = platform::gdi::Font();
  if (!font) return FALSE;
  const COLORREF c = dc->textColor;
  const SDL_Color color{static_cast<Uint8>(c & 0xFF), static_cast<Uint8>((c >> 8) & 0xFF),
                        static_cast<Uint8>((c >> 16) & 0xFF), 255};
  // The text arrives in the program's 8-bit code page: Latin-1.
  SDL_Surface* rendered = TTF_RenderText_Blended(font, line.c_str(), color);
  if (!rendered) return FALSE;
  SDL_Surface* argb = SDL_ConvertSurfaceFormat(rendered, SDL_PIXELFORMAT_ARGB8888, 0);
  SDL_FreeSurface(rendered);
  if (!argb) return FALSE;

  platform::Surface* surface = dc->surface;
  const platform::FormatInfo& info = surface->Info();
  const PALETTEENTRY* palette = surface->PaletteEntries();
  const uint32_t ink = (static_cast<uint32_t>(color.r) << 16) | (color.g << 8) | color.b;
  for (int row = 0; row < argb->h; ++row) {
    const int64_t dy = int64_t{y} + row;
    if (dy < 0 || dy >= surface->Height()) continue;
    const auto* src = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(argb->pixels) +
                                                        static_cast<size_t>(row) * argb->pitch);
    uint8_t* out = surface->Bits() + static_cast<size_t>(dy) * surface->Pitch();
    for (int col = 0; col < argb->w; ++col) {
      const int64_t dx = int64_t{x} + col;
      if (dx < 0 || dx >= surface->Width()) continue;
      const uint32_t coverage = src[col] >> 24;
      if (coverage == 0 && dc->bkMode == TRANSPARENT) continue;
      uint8_t* p = out + static_cast<size_t>(dx) * info.bytes;
      const uint32_t old = platform::PixelToArgb(info, platform::ReadPixel(p, info.bytes), palette);
      const uint32_t under =
          dc->bkMode == TRANSPARENT ? old & 0xFFFFFF : platform::gdi::kBackground;
      // The pixel's own alpha is kept: text changes colour only.
      const uint32_t mixed = (old & 0xFF000000) | platform::gdi::Mix(ink, under, coverage);
      platform::WritePixel(p, info.bytes, platform::ArgbToPixel(info, mixed, palette));
    }
  }
  SDL_FreeSurface(argb);
  return TRUE;
}
