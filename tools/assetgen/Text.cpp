#include "Text.h"

#include <SDL.h>
#include <SDL_ttf.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace assetgen {

std::string FontDir() {
  const char* dir = std::getenv("VOSKAR_FONT_DIR");
  return dir && *dir ? dir : "/usr/share/fonts/truetype/dejavu";
}

Font::Font(const std::string& file, int pointSize) {
  font_ = TTF_OpenFont((FontDir() + "/" + file).c_str(), pointSize);
  if (!font_) SDL_Log("cannot open font %s: %s", file.c_str(), TTF_GetError());
}

Font::~Font() {
  if (font_) TTF_CloseFont(font_);
}

int Font::Width(const std::string& text) const {
  int w = 0, h = 0;
  if (font_) TTF_SizeUTF8(font_, text.c_str(), &w, &h);
  return w;
}

int Font::Height() const {
  return font_ ? TTF_FontHeight(font_) : 0;
}

namespace {

// Copies an SDL text surface into an Image; `solid` surfaces are 8-bit with
// index 0 as background, blended ones are ARGB8888 with coverage in alpha.
Image FromSurface(SDL_Surface* s, Color c, bool solid) {
  if (!s) return Image(1, 1, Color{0, 0, 0, 0});
  Image out(s->w, s->h, Color{0, 0, 0, 0});
  SDL_LockSurface(s);
  for (int y = 0; y < s->h; ++y) {
    const auto* row = static_cast<const uint8_t*>(s->pixels) + y * s->pitch;
    for (int x = 0; x < s->w; ++x) {
      uint8_t cover;
      if (solid) {
        cover = row[x] != 0 ? 255 : 0;
      } else {
        uint32_t p = reinterpret_cast<const uint32_t*>(row)[x];
        uint8_t r, g, b, a;
        SDL_GetRGBA(p, s->format, &r, &g, &b, &a);
        cover = a;
      }
      if (cover) out.Set(x, y, Color{c.r, c.g, c.b, uint8_t(cover * c.a / 255)});
    }
  }
  SDL_UnlockSurface(s);
  SDL_FreeSurface(s);
  return out;
}

}  // namespace

Image RenderText(const Font& font, const std::string& text, Color c) {
  if (!font.ok() || text.empty()) return Image(1, 1, Color{0, 0, 0, 0});
  SDL_Surface* s = TTF_RenderUTF8_Blended(font.get(), text.c_str(), SDL_Color{255, 255, 255, 255});
  if (s && s->format->format != SDL_PIXELFORMAT_ARGB8888) {
    SDL_Surface* conv = SDL_ConvertSurfaceFormat(s, SDL_PIXELFORMAT_ARGB8888, 0);
    SDL_FreeSurface(s);
    s = conv;
  }
  return FromSurface(s, c, false);
}

Image RenderTextSolid(const Font& font, const std::string& text, Color c) {
  if (!font.ok() || text.empty()) return Image(1, 1, Color{0, 0, 0, 0});
  SDL_Surface* s = TTF_RenderUTF8_Solid(font.get(), text.c_str(), SDL_Color{255, 255, 255, 255});
  return FromSurface(s, c, true);
}

namespace {

int AlignedLeft(int x, int width, Align align) {
  if (align == Align::kCenter) return x - width / 2;
  if (align == Align::kRight) return x - width;
  return x;
}

}  // namespace

void DrawText(Image& image, const Font& font, const std::string& text, int x, int y, Color c,
              Align align, int outline, Color outlineColor) {
  Image glyphs = RenderText(font, text, c);
  int left = AlignedLeft(x, glyphs.width(), align);
  if (outline > 0) {
    // A rim: the coverage dilated by `outline` pixels, drawn first.
    Image rim(glyphs.width() + 2 * outline, glyphs.height() + 2 * outline, Color{0, 0, 0, 0});
    for (int gy = 0; gy < glyphs.height(); ++gy)
      for (int gx = 0; gx < glyphs.width(); ++gx) {
        uint8_t a = glyphs.Get(gx, gy).a;
        if (!a) continue;
        for (int dy = -outline; dy <= outline; ++dy)
          for (int dx = -outline; dx <= outline; ++dx) {
            if (dx * dx + dy * dy > outline * outline + outline) continue;
            Color cur = rim.Get(gx + outline + dx, gy + outline + dy);
            if (cur.a < a)
              rim.Set(gx + outline + dx, gy + outline + dy,
                      Color{outlineColor.r, outlineColor.g, outlineColor.b, a});
          }
      }
    image.Draw(rim, left - outline, y - outline);
  }
  image.Draw(glyphs, left, y);
}

void DrawTextGlow(Image& image, const Font& font, const std::string& text, int x, int y, Color c,
                  Align align, int radius, float strength) {
  Image glyphs = RenderText(font, text, c);
  int left = AlignedLeft(x, glyphs.width(), align);
  // Box blur of the coverage, twice, then added.
  int w = glyphs.width() + 2 * radius, h = glyphs.height() + 2 * radius;
  std::vector<float> cov(w * h, 0.0f), tmp(w * h, 0.0f);
  for (int gy = 0; gy < glyphs.height(); ++gy)
    for (int gx = 0; gx < glyphs.width(); ++gx)
      cov[(gy + radius) * w + gx + radius] = glyphs.Get(gx, gy).a / 255.0f;
  int r = std::max(1, radius / 2);
  for (int pass = 0; pass < 2; ++pass) {
    for (int yy = 0; yy < h; ++yy)
      for (int xx = 0; xx < w; ++xx) {
        float s = 0;
        for (int k = -r; k <= r; ++k) s += (xx + k >= 0 && xx + k < w) ? cov[yy * w + xx + k] : 0;
        tmp[yy * w + xx] = s / (2 * r + 1);
      }
    for (int yy = 0; yy < h; ++yy)
      for (int xx = 0; xx < w; ++xx) {
        float s = 0;
        for (int k = -r; k <= r; ++k) s += (yy + k >= 0 && yy + k < h) ? tmp[(yy + k) * w + xx] : 0;
        cov[yy * w + xx] = s / (2 * r + 1);
      }
  }
  for (int yy = 0; yy < h; ++yy)
    for (int xx = 0; xx < w; ++xx)
      image.Add(left - radius + xx, y - radius + yy, c, cov[yy * w + xx] * strength);
}

}  // namespace assetgen
