#include "Image.h"

#include <SDL.h>
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace assetgen {

namespace {

uint8_t Clamp8(float v) {
  return static_cast<uint8_t>(std::clamp(v, 0.0f, 255.0f) + 0.5f);
}

}  // namespace

Color Rgb(uint32_t rgb, uint8_t alpha) {
  return Color{static_cast<uint8_t>(rgb >> 16), static_cast<uint8_t>(rgb >> 8),
               static_cast<uint8_t>(rgb), alpha};
}

Color Mix(Color a, Color b, float t) {
  return Color{Clamp8(a.r + (b.r - a.r) * t), Clamp8(a.g + (b.g - a.g) * t),
               Clamp8(a.b + (b.b - a.b) * t), Clamp8(a.a + (b.a - a.a) * t)};
}

Color Shade(Color c, float f) {
  return Color{Clamp8(c.r * f), Clamp8(c.g * f), Clamp8(c.b * f), c.a};
}

Color Visible(Color c) {
  return Color{std::max<uint8_t>(c.r, 8), std::max<uint8_t>(c.g, 8), std::max<uint8_t>(c.b, 8),
               c.a};
}

Image::Image(int width, int height, Color fill)
    : width_(width), height_(height), pixels_(static_cast<size_t>(width) * height, fill) {}

void Image::Blend(int x, int y, Color c, float coverage) {
  if (!Inside(x, y)) return;
  float a = std::clamp(coverage, 0.0f, 1.0f) * (c.a / 255.0f);
  if (a <= 0.0f) return;
  Color& d = pixels_[y * width_ + x];
  float da = d.a / 255.0f;
  float oa = a + da * (1.0f - a);
  auto ch = [&](uint8_t s, uint8_t t) {
    return Clamp8(oa > 0 ? (s * a + t * da * (1.0f - a)) / oa : 0.0f);
  };
  d = Color{ch(c.r, d.r), ch(c.g, d.g), ch(c.b, d.b), Clamp8(oa * 255.0f)};
}

void Image::Add(int x, int y, Color c, float amount) {
  if (!Inside(x, y) || amount <= 0.0f) return;
  Color& d = pixels_[y * width_ + x];
  d.r = Clamp8(d.r + c.r * amount);
  d.g = Clamp8(d.g + c.g * amount);
  d.b = Clamp8(d.b + c.b * amount);
}

void Image::FillRect(int x0, int y0, int x1, int y1, Color c) {
  for (int y = std::max(0, y0); y < std::min(height_, y1); ++y)
    for (int x = std::max(0, x0); x < std::min(width_, x1); ++x) pixels_[y * width_ + x] = c;
}

void Image::BlendRect(int x0, int y0, int x1, int y1, Color c, float coverage) {
  for (int y = std::max(0, y0); y < std::min(height_, y1); ++y)
    for (int x = std::max(0, x0); x < std::min(width_, x1); ++x) Blend(x, y, c, coverage);
}

void Image::FrameRect(int x0, int y0, int x1, int y1, int t, Color c) {
  FillRect(x0, y0, x1, y0 + t, c);
  FillRect(x0, y1 - t, x1, y1, c);
  FillRect(x0, y0, x0 + t, y1, c);
  FillRect(x1 - t, y0, x1, y1, c);
}

void Image::VerticalGradient(int y0, int y1, Color top, Color bottom) {
  for (int y = std::max(0, y0); y < std::min(height_, y1); ++y) {
    float t = (y1 - y0) > 1 ? float(y - y0) / float(y1 - y0 - 1) : 0.0f;
    Color c = Mix(top, bottom, t);
    for (int x = 0; x < width_; ++x) pixels_[y * width_ + x] = c;
  }
}

void Image::Disc(float cx, float cy, float r, Color c) {
  Ring(cx, cy, -1.0f, r, c);
}

void Image::Ring(float cx, float cy, float r0, float r1, Color c) {
  int xa = int(std::floor(cx - r1 - 1)), xb = int(std::ceil(cx + r1 + 1));
  int ya = int(std::floor(cy - r1 - 1)), yb = int(std::ceil(cy + r1 + 1));
  for (int y = ya; y <= yb; ++y)
    for (int x = xa; x <= xb; ++x) {
      float d = std::hypot(x + 0.5f - cx, y + 0.5f - cy);
      float cov = std::clamp(r1 - d + 0.5f, 0.0f, 1.0f);
      if (r0 >= 0) cov = std::min(cov, std::clamp(d - r0 + 0.5f, 0.0f, 1.0f));
      if (cov > 0) Blend(x, y, c, cov);
    }
}

void Image::Glow(float cx, float cy, float r, Color c, float strength) {
  int xa = int(cx - r - 1), xb = int(cx + r + 1), ya = int(cy - r - 1), yb = int(cy + r + 1);
  for (int y = ya; y <= yb; ++y)
    for (int x = xa; x <= xb; ++x) {
      float d = std::hypot(x + 0.5f - cx, y + 0.5f - cy) / r;
      if (d < 1.0f) Add(x, y, c, strength * (1.0f - d) * (1.0f - d));
    }
}

void Image::Line(float x0, float y0, float x1, float y1, float width, Color c) {
  float dx = x1 - x0, dy = y1 - y0;
  float len2 = dx * dx + dy * dy;
  float h = width / 2.0f;
  int xa = int(std::floor(std::min(x0, x1) - h - 1)), xb = int(std::ceil(std::max(x0, x1) + h + 1));
  int ya = int(std::floor(std::min(y0, y1) - h - 1)), yb = int(std::ceil(std::max(y0, y1) + h + 1));
  for (int y = ya; y <= yb; ++y)
    for (int x = xa; x <= xb; ++x) {
      float px = x + 0.5f - x0, py = y + 0.5f - y0;
      float t = len2 > 0 ? std::clamp((px * dx + py * dy) / len2, 0.0f, 1.0f) : 0.0f;
      float d = std::hypot(px - t * dx, py - t * dy);
      float cov = std::clamp(h - d + 0.5f, 0.0f, 1.0f);
      if (cov > 0) Blend(x, y, c, cov);
    }
}

void Image::Polygon(const std::vector<float>& xy, Color c) {
  size_t n = xy.size() / 2;
  if (n < 3) return;
  float minx = xy[0], maxx = xy[0], miny = xy[1], maxy = xy[1];
  for (size_t i = 0; i < n; ++i) {
    minx = std::min(minx, xy[2 * i]), maxx = std::max(maxx, xy[2 * i]);
    miny = std::min(miny, xy[2 * i + 1]), maxy = std::max(maxy, xy[2 * i + 1]);
  }
  auto inside = [&](float px, float py) {
    bool in = false;
    for (size_t i = 0, j = n - 1; i < n; j = i++) {
      float xi = xy[2 * i], yi = xy[2 * i + 1], xj = xy[2 * j], yj = xy[2 * j + 1];
      if ((yi > py) != (yj > py) && px < (xj - xi) * (py - yi) / (yj - yi) + xi) in = !in;
    }
    return in;
  };
  for (int y = int(std::floor(miny)); y <= int(std::ceil(maxy)); ++y)
    for (int x = int(std::floor(minx)); x <= int(std::ceil(maxx)); ++x) {
      int hits = 0;
      for (int sy = 0; sy < 4; ++sy)
        for (int sx = 0; sx < 4; ++sx) hits += inside(x + (sx + 0.5f) / 4, y + (sy + 0.5f) / 4);
      if (hits) Blend(x, y, c, hits / 16.0f);
    }
}

void Image::Draw(const Image& src, int x, int y) {
  for (int sy = 0; sy < src.height(); ++sy)
    for (int sx = 0; sx < src.width(); ++sx) Blend(x + sx, y + sy, src.Get(sx, sy));
}

void Image::KeepKeyOnlyWhereBlack() {
  for (Color& c : pixels_)
    if (c.r || c.g || c.b) c = Visible(c);
}

void Image::Cutout(int threshold) {
  for (Color& c : pixels_) {
    int m = std::max({c.r, c.g, c.b});
    c = m < threshold ? kBlack : Visible(Color{c.r, c.g, c.b, 255});
  }
}

bool Image::SaveBmp(const std::string& path) const {
  SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, width_, height_, 24, SDL_PIXELFORMAT_BGR24);
  if (!s) return false;
  for (int y = 0; y < height_; ++y) {
    auto* row = static_cast<uint8_t*>(s->pixels) + y * s->pitch;
    for (int x = 0; x < width_; ++x) {
      Color c = Get(x, y);
      row[3 * x] = c.b, row[3 * x + 1] = c.g, row[3 * x + 2] = c.r;
    }
  }
  bool ok = SDL_SaveBMP(s, path.c_str()) == 0;
  SDL_FreeSurface(s);
  return ok;
}

bool Image::SaveTga(const std::string& path) const {
  std::vector<uint8_t> out(18, 0);
  out[2] = 10;  // run-length encoded true-colour
  out[12] = width_ & 0xFF, out[13] = width_ >> 8;
  out[14] = height_ & 0xFF, out[15] = height_ >> 8;
  out[16] = 32;
  out[17] = 8;  // 8 alpha bits, bottom-left origin
  auto same = [](Color a, Color b) { return a.r == b.r && a.g == b.g && a.b == b.b && a.a == b.a; };
  auto put = [&](Color c) { out.insert(out.end(), {c.b, c.g, c.r, c.a}); };
  for (int y = height_ - 1; y >= 0; --y) {
    const Color* row = &pixels_[y * width_];
    // Packets never cross a row end.
    int x = 0;
    while (x < width_) {
      int run = 1;
      while (x + run < width_ && run < 128 && same(row[x + run], row[x])) ++run;
      if (run >= 2) {
        out.push_back(static_cast<uint8_t>(0x80 | (run - 1)));
        put(row[x]);
        x += run;
        continue;
      }
      int raw = 1;
      while (x + raw < width_ && raw < 128 &&
             !(x + raw + 1 < width_ && same(row[x + raw], row[x + raw + 1])))
        ++raw;
      out.push_back(static_cast<uint8_t>(raw - 1));
      for (int i = 0; i < raw; ++i) put(row[x + i]);
      x += raw;
    }
  }
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
  return std::fclose(f) == 0 && ok;
}

bool Image::SavePng(const std::string& path) const {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!png || !info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
    return false;
  }
  png_init_io(png, f);
  png_set_IHDR(png, info, width_, height_, 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < height_; ++y)
    png_write_row(png, reinterpret_cast<png_const_bytep>(&pixels_[y * width_]));
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return std::fclose(f) == 0;
}

bool SaveIco(const std::vector<Image>& images, const std::string& path) {
  std::vector<uint8_t> out;
  auto u16 = [&](unsigned v) { out.insert(out.end(), {uint8_t(v), uint8_t(v >> 8)}); };
  auto u32 = [&](uint32_t v) {
    out.insert(out.end(), {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)});
  };
  u16(0);
  u16(1);  // an icon
  u16(static_cast<unsigned>(images.size()));
  // Each image: a bitmap header of twice the height (colour rows, then the
  // 1-bit mask rows), the colour rows bottom first, then the mask, which
  // is all zero as the alpha channel decides.
  auto maskPitch = [](int width) { return ((width + 31) / 32) * 4; };
  uint32_t offset = 6 + 16 * static_cast<uint32_t>(images.size());
  for (const Image& image : images) {
    const int w = image.width(), h = image.height();
    if (w < 1 || h < 1 || w > 256 || h > 256) return false;
    const uint32_t bytes = 40 + 4u * w * h + uint32_t(maskPitch(w)) * h;
    out.push_back(uint8_t(w & 0xFF));  // 0 stands for 256
    out.push_back(uint8_t(h & 0xFF));
    out.push_back(0);  // no palette
    out.push_back(0);
    u16(1);   // planes
    u16(32);  // bits per pixel
    u32(bytes);
    u32(offset);
    offset += bytes;
  }
  for (const Image& image : images) {
    const int w = image.width(), h = image.height();
    u32(40);
    u32(static_cast<uint32_t>(w));
    u32(static_cast<uint32_t>(2 * h));
    u16(1);
    u16(32);
    u32(0);  // uncompressed
    u32(4u * w * h + uint32_t(maskPitch(w)) * h);
    u32(0);
    u32(0);
    u32(0);
    u32(0);
    for (int y = h - 1; y >= 0; --y)
      for (int x = 0; x < w; ++x) {
        Color c = image.Get(x, y);
        out.insert(out.end(), {c.b, c.g, c.r, c.a});
      }
    out.insert(out.end(), static_cast<size_t>(maskPitch(w)) * h, 0);
  }
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
  return std::fclose(f) == 0 && ok;
}

TileNoise::TileNoise(int period, uint32_t seed) : period_(period), values_(period * period) {
  Random rng(seed);
  for (float& v : values_) v = rng.Uniform();
}

float TileNoise::Lattice(int x, int y) const {
  x = ((x % period_) + period_) % period_;
  y = ((y % period_) + period_) % period_;
  return values_[y * period_ + x];
}

float TileNoise::At(float x, float y) const {
  int ix = int(std::floor(x)), iy = int(std::floor(y));
  float fx = x - ix, fy = y - iy;
  fx = fx * fx * (3 - 2 * fx), fy = fy * fy * (3 - 2 * fy);
  float a = Lattice(ix, iy) + (Lattice(ix + 1, iy) - Lattice(ix, iy)) * fx;
  float b = Lattice(ix, iy + 1) + (Lattice(ix + 1, iy + 1) - Lattice(ix, iy + 1)) * fx;
  return a + (b - a) * fy;
}

float TileNoise::Fractal(float x, float y, int octaves) const {
  float sum = 0, amp = 0.5f, norm = 0;
  float scale = 1.0f;
  for (int i = 0; i < octaves; ++i) {
    sum += At(x * scale, y * scale) * amp;
    norm += amp;
    amp *= 0.5f, scale *= 2.0f;
  }
  return sum / norm;
}

uint32_t Random::Next() {
  state_ ^= state_ << 13;
  state_ ^= state_ >> 17;
  state_ ^= state_ << 5;
  return state_;
}

float Random::Uniform(float lo, float hi) {
  return lo + (hi - lo) * (Next() >> 8) / 16777216.0f;
}

int Random::Int(int lo, int hi) {
  return lo + int(Next() % uint32_t(hi - lo + 1));
}

}  // namespace assetgen
