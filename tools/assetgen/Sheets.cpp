// The sheets the game cuts up: the glyph sheet, the panel sprite sheet and the
// sight.
#include <SDL_ttf.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "Pictures.h"
#include "Text.h"

namespace assetgen {

namespace {

// Hard cut for colour-keyed pictures drawn on a transparent canvas: texels
// at least half covered become opaque (and never black), the rest exact black.
void Harden(Image& img) {
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) {
      Color c = img.Get(x, y);
      img.Set(x, y, c.a >= 128 ? Visible(Color{c.r, c.g, c.b, 255}) : kBlack);
    }
}

void DrawHeart(Image& img, float cx, float cy, float s, Color fill, Color rim) {
  // Two lobes and a point, as a polygon traced from the heart curve.
  std::vector<float> outline, inner;
  for (int i = 0; i < 64; ++i) {
    float t = 2.0f * 3.1415927f * i / 64;
    float x = 16 * std::pow(std::sin(t), 3.0f);
    float y = 13 * std::cos(t) - 5 * std::cos(2 * t) - 2 * std::cos(3 * t) - std::cos(4 * t);
    outline.push_back(cx + x * s / 17.0f);
    outline.push_back(cy - y * s / 17.0f);
    inner.push_back(cx + x * s * 0.8f / 17.0f);
    inner.push_back(cy - y * s * 0.8f / 17.0f + s * 0.04f);
  }
  img.Polygon(outline, rim);
  img.Polygon(inner, fill);
  img.Disc(cx - s * 0.38f, cy - s * 0.38f, s * 0.14f, Rgb(0xFFC0C8));
}

void DrawCartridge(Image& img, int x0, int y0) {
  // Brass case, rim and copper bullet, pointing right, in a 57 × 31 box.
  const Color outline = Rgb(0x181410);
  img.FillRect(x0 + 3, y0 + 8, x0 + 36, y0 + 24, outline);
  img.FillRect(x0 + 5, y0 + 10, x0 + 35, y0 + 22, Rgb(0xC89A30));
  img.FillRect(x0 + 5, y0 + 11, x0 + 35, y0 + 14, Rgb(0xF4D070));  // highlight
  img.FillRect(x0 + 2, y0 + 7, x0 + 8, y0 + 25, outline);          // rim
  img.FillRect(x0 + 3, y0 + 8, x0 + 7, y0 + 24, Rgb(0xA07828));
  std::vector<float> tip = {float(x0 + 35), float(y0 + 8),  float(x0 + 44), float(y0 + 9),
                            float(x0 + 51), float(y0 + 12), float(x0 + 54), float(y0 + 16),
                            float(x0 + 51), float(y0 + 20), float(x0 + 44), float(y0 + 23),
                            float(x0 + 35), float(y0 + 24)};
  img.Polygon(tip, outline);
  std::vector<float> copper = {float(x0 + 35), float(y0 + 10), float(x0 + 43), float(y0 + 11),
                               float(x0 + 49), float(y0 + 13), float(x0 + 51), float(y0 + 16),
                               float(x0 + 49), float(y0 + 19), float(x0 + 43), float(y0 + 21),
                               float(x0 + 35), float(y0 + 22)};
  img.Polygon(copper, Rgb(0xC06030));
  img.Line(float(x0 + 37), float(y0 + 12.5f), float(x0 + 46), float(y0 + 13.5f), 2.0f,
           Rgb(0xF0A070));
}

}  // namespace

Image MakeLetters() {
  Image sheet(512, 256, Rgb(0xFFFFFF));
  Font font("DejaVuSansMono-Bold.ttf", 50);
  const int height = font.Height();
  auto cell = [&](char ch, int left, int top) {
    Image glyph = RenderTextSolid(font, std::string(1, ch), kLetterColor);
    int x = left + (32 - glyph.width()) / 2;
    int y = top + (64 - height) / 2;
    for (int gy = 0; gy < glyph.height(); ++gy)
      for (int gx = 0; gx < glyph.width(); ++gx)
        if (glyph.Get(gx, gy).a && gx + x >= left && gx + x < left + 32 && gy + y >= top &&
            gy + y < top + 64)
          sheet.Set(gx + x, gy + y, kLetterColor);
  };
  for (int k = 0; k < 26; ++k) {
    cell(char('a' + k), (k % 16) * 32, (k / 16) * 64);
    cell(char('A' + k), (k % 16) * 32, (k / 16) * 64 + 128);
  }
  return sheet;
}

Image MakeSprite() {
  Image layer(512, 512, Color{0, 0, 0, 0});
  Font digits("DejaVuSans-Bold.ttf", 29);
  const Color fill = Rgb(0x9FEAFF);
  for (int j = 0; j < 10; ++j) {
    // Centred in the 32 × 32 cell at (0, 32j), clear of the cell edges so that
    // filtering never pulls in a neighbour.
    std::string d(1, char('0' + j));
    int y = 32 * j + (32 - digits.Height()) / 2;
    DrawText(layer, digits, d, 16, y, fill, Align::kCenter, 2, Rgb(0x101828));
  }
  DrawCartridge(layer, 129, 0);
  DrawHeart(layer, 47.5f, 191.0f, 14.0f, Rgb(0xE8283C), Rgb(0x200810));
  Harden(layer);
  return layer;
}

Image MakeSight() {
  Image img(128, 128);
  // Centred on the middle of the target's picture: the sight square is 1.5
  // times the picture's size and stands on the same bottom edge.
  const float cx = 64.0f, cy = 84.0f;
  const Color red = Rgb(0xFF3020), amber = Rgb(0xFFB040);
  img.Ring(cx, cy, 31.0f, 34.0f, red);
  img.Ring(cx, cy, 20.0f, 21.5f, Shade(red, 0.6f));
  for (int k = 0; k < 4; ++k) {
    float a = k * 3.1415927f / 2;
    float dx = std::cos(a), dy = std::sin(a);
    img.Line(cx + dx * 24, cy + dy * 24, cx + dx * 42, cy + dy * 42, 3.0f, amber);
  }
  img.Disc(cx, cy, 2.5f, amber);
  // Corner brackets of the lock box.
  const float b = 40.0f, l = 10.0f;
  for (int sx = -1; sx <= 1; sx += 2)
    for (int sy = -1; sy <= 1; sy += 2) {
      float x = cx + sx * b, y = std::min(cy + sy * b, 126.0f);
      img.Line(x, y, x - sx * l, y, 2.5f, red);
      img.Line(x, y, x, y - sy * l, 2.5f, red);
    }
  img.Glow(cx, cy, 46.0f, Rgb(0x501008), 0.6f);
  img.Cutout(6);
  return img;
}

}  // namespace assetgen
