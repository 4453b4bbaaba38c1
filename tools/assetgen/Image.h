// A plain RGBA picture with the few drawing operations the generator needs,
// and the writers for the formats the game reads.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace assetgen {

struct Color {
  uint8_t r = 0, g = 0, b = 0, a = 255;
};

constexpr Color kBlack{0, 0, 0, 255};

// Colour from 0xRRGGBB.
Color Rgb(uint32_t rgb, uint8_t alpha = 255);
// a + (b - a) * t, every channel (alpha too).
Color Mix(Color a, Color b, float t);
// Scales r, g, b by f (clamped), keeps alpha.
Color Shade(Color c, float f);
// Raises every channel of an opaque colour to at least 8, so that a 16-bit
// conversion never turns it into the see-through black key.
Color Visible(Color c);

class Image {
 public:
  Image(int width, int height, Color fill = kBlack);

  int width() const { return width_; }
  int height() const { return height_; }
  bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }
  Color Get(int x, int y) const { return pixels_[y * width_ + x]; }
  void Set(int x, int y, Color c) {
    if (Inside(x, y)) pixels_[y * width_ + x] = c;
  }
  // Source-over blend of c with coverage alpha (0..1) times c.a.
  void Blend(int x, int y, Color c, float coverage = 1.0f);
  // Adds c * amount to the pixel (for glows).
  void Add(int x, int y, Color c, float amount);

  void FillRect(int x0, int y0, int x1, int y1, Color c);  // half-open [x0, x1) × [y0, y1)
  void BlendRect(int x0, int y0, int x1, int y1, Color c, float coverage = 1.0f);
  // Rectangle outline of thickness t inside [x0, x1) × [y0, y1).
  void FrameRect(int x0, int y0, int x1, int y1, int t, Color c);
  // Vertical gradient over [y0, y1) from top to bottom.
  void VerticalGradient(int y0, int y1, Color top, Color bottom);
  // Anti-aliased filled disc, and a ring between radii r0 and r1.
  void Disc(float cx, float cy, float r, Color c);
  void Ring(float cx, float cy, float r0, float r1, Color c);
  // Soft additive glow falling off as (1 - d/r)^2.
  void Glow(float cx, float cy, float r, Color c, float strength);
  // Anti-aliased line of the given width.
  void Line(float x0, float y0, float x1, float y1, float width, Color c);
  // Filled polygon (even-odd), sampled at pixel centres with 4×4 supersampling.
  void Polygon(const std::vector<float>& xy, Color c);
  // Copies src with its alpha over this image at (x, y).
  void Draw(const Image& src, int x, int y);

  // Every opaque texel raised to at least (8, 8, 8), except exact black,
  // which stays the see-through key.
  void KeepKeyOnlyWhereBlack();
  // Texels whose brightest channel is below `threshold` become exact black
  // (see-through); every other texel is kept at least (8, 8, 8). Alpha set
  // to opaque.
  void Cutout(int threshold);

  // 24-bit Windows bitmap (alpha dropped).
  bool SaveBmp(const std::string& path) const;
  // 32-bit Truevision TGA, run-length encoded (type 10), bottom row first.
  bool SaveTga(const std::string& path) const;
  // PNG copy for looking at the picture.
  bool SavePng(const std::string& path) const;

 private:
  int width_, height_;
  std::vector<Color> pixels_;
};

// Windows icon file with one 32-bit image (alpha kept) per picture, in the
// order given.
bool SaveIco(const std::vector<Image>& images, const std::string& path);

// Deterministic value noise that repeats every `period` units in x and y.
class TileNoise {
 public:
  TileNoise(int period, uint32_t seed);
  // Smooth noise in [0, 1] at (x, y), in lattice units.
  float At(float x, float y) const;
  // Sum of octaves (period must be divisible by 2^(octaves-1) for seamlessness).
  float Fractal(float x, float y, int octaves) const;

 private:
  float Lattice(int x, int y) const;
  int period_;
  std::vector<float> values_;
};

// Small deterministic random generator (xorshift) so every run draws the same.
class Random {
 public:
  explicit Random(uint32_t seed) : state_(seed ? seed : 0x9E3779B9u) {}
  uint32_t Next();
  float Uniform(float lo = 0.0f, float hi = 1.0f);
  int Int(int lo, int hi);  // inclusive
 private:
  uint32_t state_;
};

}  // namespace assetgen
