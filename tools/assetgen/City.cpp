// The city: six building pictures, each four walls side by side (the box wraps
// the picture once around: -z, +x, +z and -x faces), and the ground tile.
#include <algorithm>
#include <cmath>

#include "Pictures.h"

namespace assetgen {

namespace {

constexpr int kWall = 128;  // width of one wall in the 512-wide picture
constexpr int kHeight = 512;

struct Style {
  Color wall, wallDark;     // facade colours (noise mixes between them)
  Color trim;               // pilasters, sills, floor bands
  Color unlit, lit1, lit2;  // window colours
  int floors, columns;      // window grid per wall
  float litShare;           // share of lit windows
  float windowW, windowH;   // window size as a share of its grid cell
  int courses = 0;          // brick course spacing in texels, 0 for none
};

// Facade with a grid of windows; `lit` decides per window, `crown` rows at the
// top are left as wall (parapet).
void Facade(Image& img, const Style& s, uint32_t seed, int groundRows, int crown) {
  Random rng(seed);
  TileNoise noise(16, seed ^ 0xABCDu);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < 4 * kWall; ++x) {
      float n = noise.Fractal(x / 16.0f, y / 16.0f, 3);
      img.Set(x, y, Mix(s.wallDark, s.wall, n));
      if (s.courses && y % s.courses == 0) img.Set(x, y, Shade(s.wallDark, 0.8f));
    }
  const int top = crown, bottom = kHeight - groundRows;
  const float cellH = float(bottom - top) / s.floors;
  const float cellW = float(kWall) / s.columns;
  for (int wall = 0; wall < 4; ++wall) {
    int x0 = wall * kWall;
    // Corner shading so the edges of the box read.
    for (int y = 0; y < kHeight; ++y)
      for (int k = 0; k < 3; ++k) {
        img.Set(x0 + k, y, Shade(img.Get(x0 + k, y), 0.55f + 0.12f * k));
        img.Set(x0 + kWall - 1 - k, y, Shade(img.Get(x0 + kWall - 1 - k, y), 0.55f + 0.12f * k));
      }
    for (int f = 0; f < s.floors; ++f) {
      // Some floors are lit across, like offices working late.
      bool busy = rng.Uniform() < 0.12f;
      for (int c = 0; c < s.columns; ++c) {
        float wx = x0 + c * cellW + cellW * (1 - s.windowW) / 2;
        float wy = top + f * cellH + cellH * (1 - s.windowH) / 2;
        int ax = int(wx), ay = int(wy);
        int bx = int(wx + cellW * s.windowW), by = int(wy + cellH * s.windowH);
        bool lit = busy || rng.Uniform() < s.litShare;
        Color glass = lit ? Mix(s.lit1, s.lit2, rng.Uniform()) : s.unlit;
        if (!lit) glass = Shade(glass, rng.Uniform(0.8f, 1.25f));
        img.FillRect(ax - 1, ay - 1, bx + 1, by + 1, Shade(s.trim, 0.7f));
        img.FillRect(ax, ay, bx, by, glass);
        if (lit && by - ay > 6) {
          // A lamp brighter at the top of the room; sometimes a blind.
          img.FillRect(ax, ay, bx, ay + (by - ay) / 3, Mix(glass, Rgb(0xFFF8E0), 0.35f));
          if (rng.Uniform() < 0.25f)
            img.FillRect(ax, ay, bx, ay + int((by - ay) * rng.Uniform(0.3f, 0.7f)),
                         Shade(glass, 0.6f));
        }
        // Sill.
        img.FillRect(ax - 1, by + 1, bx + 1, by + 2, s.trim);
      }
    }
  }
}

// Ground floor: doors, shop windows and signs along the bottom rows.
void GroundFloor(Image& img, int rows, Color frame, Color glow, uint32_t seed) {
  Random rng(seed);
  int top = kHeight - rows;
  img.FillRect(0, top - 3, 4 * kWall, top, frame);
  for (int wall = 0; wall < 4; ++wall) {
    int x0 = wall * kWall;
    int door = x0 + rng.Int(12, kWall - 40);
    for (int x = x0 + 6; x + 22 < x0 + kWall - 4; x += 28) {
      if (x + 22 > door && x < door + 22) continue;
      img.FillRect(x, top + 4, x + 22, kHeight - 6, Shade(frame, 0.6f));
      img.FillRect(x + 2, top + 6, x + 20, kHeight - 8, Mix(glow, Rgb(0x202020), 0.35f));
    }
    img.FillRect(door, top + 2, door + 20, kHeight, Rgb(0x2A2420));
    img.FillRect(door + 2, top + 4, door + 18, kHeight, Mix(glow, Rgb(0xFFFFFF), 0.2f));
  }
}

// A ragged roof line: columns of the top rows left see-through (exact black)
// to break the flat top of the box against the sky.
void Roofline(Image& img, uint32_t seed, int maxDepth) {
  Random rng(seed);
  for (int wall = 0; wall < 4; ++wall) {
    int x = wall * kWall + 8;
    while (x < (wall + 1) * kWall - 8) {
      int w = rng.Int(10, 30), depth = rng.Int(0, maxDepth);
      for (int xx = x; xx < std::min(x + w, (wall + 1) * kWall - 8); ++xx)
        img.FillRect(xx, 0, xx + 1, depth, kBlack);
      x += w;
    }
  }
}

}  // namespace

Image MakeBuilding(int which) {
  Image img(4 * kWall, kHeight);
  uint32_t seed = 1000u + which * 97u;
  switch (which) {
    case 1: {  // glass office tower, cool and warm lights
      Style s{Rgb(0x34465A),
              Rgb(0x243242),
              Rgb(0x5A6A7A),
              Rgb(0x182838),
              Rgb(0xFFE8A0),
              Rgb(0xC8E8FF),
              24,
              6,
              0.38f,
              0.72f,
              0.62f};
      Facade(img, s, seed, 24, 8);
      GroundFloor(img, 24, Rgb(0x5A6A7A), Rgb(0xE0F0FF), seed);
      break;
    }
    case 2: {  // brick apartments, warm windows
      Style s{Rgb(0x7A3A2A),
              Rgb(0x5A2A20),
              Rgb(0xB0A090),
              Rgb(0x241C20),
              Rgb(0xFFB050),
              Rgb(0xFFD890),
              10,
              4,
              0.45f,
              0.5f,
              0.55f,
              6};
      Facade(img, s, seed, 44, 14);
      GroundFloor(img, 44, Rgb(0x3A2A24), Rgb(0xFF9A40), seed);
      break;
    }
    case 3: {  // concrete offices with ribbon windows
      Style s{Rgb(0x5E605E),
              Rgb(0x464846),
              Rgb(0x7A7C78),
              Rgb(0x20282C),
              Rgb(0xD0FFF8),
              Rgb(0xA0E8FF),
              16,
              8,
              0.4f,
              0.94f,
              0.5f};
      Facade(img, s, seed, 30, 10);
      GroundFloor(img, 30, Rgb(0x505050), Rgb(0xC0F0FF), seed);
      break;
    }
    case 4: {  // dark deco tower with bronze pilasters and a stepped crown
      Style s{Rgb(0x2C3C34),
              Rgb(0x1C2824),
              Rgb(0xA08040),
              Rgb(0x141C18),
              Rgb(0xFFD070),
              Rgb(0xFFF0B0),
              30,
              5,
              0.3f,
              0.5f,
              0.6f};
      Facade(img, s, seed, 20, 24);
      for (int wall = 0; wall < 4; ++wall)
        for (int c = 0; c <= 5; ++c) {
          int x = wall * kWall + c * kWall / 5;
          img.FillRect(x - 2, 24, x + 2, kHeight - 20, Rgb(0x806430));
        }
      for (int wall = 0; wall < 4; ++wall) {
        int x0 = wall * kWall;
        img.FillRect(x0, 0, x0 + 30, 14, kBlack);
        img.FillRect(x0 + kWall - 30, 0, x0 + kWall, 14, kBlack);
        img.FillRect(x0 + 30, 14, x0 + kWall - 30, 24, Rgb(0xC0A050));
      }
      GroundFloor(img, 20, Rgb(0x806430), Rgb(0xFFD070), seed);
      break;
    }
    case 5: {  // low shop-house with neon signs
      Style s{Rgb(0x5A4A60),
              Rgb(0x3A3040),
              Rgb(0x9080A0),
              Rgb(0x201828),
              Rgb(0xFF90C0),
              Rgb(0xFFE0A0),
              3,
              3,
              0.55f,
              0.55f,
              0.55f};
      Facade(img, s, seed, 150, 12);
      GroundFloor(img, 110, Rgb(0x282030), Rgb(0xFFE0B0), seed);
      const Color neon[4] = {Rgb(0xFF3CAA), Rgb(0x3CF0FF), Rgb(0xFFE040), Rgb(0x60FF80)};
      for (int wall = 0; wall < 4; ++wall) {
        int x0 = wall * kWall, y0 = kHeight - 110 - 36;
        img.FillRect(x0 + 14, y0, x0 + kWall - 14, y0 + 26, Rgb(0x180C18));
        img.FrameRect(x0 + 14, y0, x0 + kWall - 14, y0 + 26, 3, neon[wall]);
        for (int i = 0; i < 5; ++i)
          img.FillRect(x0 + 24 + i * 17, y0 + 8, x0 + 34 + i * 17, y0 + 18, neon[(wall + i) % 4]);
      }
      break;
    }
    default: {  // black glass skyscraper with LED edges
      Style s{Rgb(0x1C1C2C),
              Rgb(0x101018),
              Rgb(0x303048),
              Rgb(0x141420),
              Rgb(0xB0C8FF),
              Rgb(0xFFFFFF),
              20,
              6,
              0.22f,
              0.8f,
              0.7f};
      Facade(img, s, seed, 26, 6);
      for (int wall = 0; wall < 4; ++wall) {
        int x0 = wall * kWall;
        img.FillRect(x0 + 3, 6, x0 + 6, kHeight - 26, Rgb(0xD040FF));
        img.FillRect(x0 + kWall - 6, 6, x0 + kWall - 3, kHeight - 26, Rgb(0x40E0FF));
        img.FillRect(x0, 6, x0 + kWall, 9, Rgb(0xD040FF));
      }
      GroundFloor(img, 26, Rgb(0x303048), Rgb(0xB0C8FF), seed);
      break;
    }
  }
  img.KeepKeyOnlyWhereBlack();
  if (which == 1 || which == 3) Roofline(img, seed, 6);
  return img;
}

Image MakeGround() {
  // One tile is 2 × 2 world units: four paving slabs of one unit each. The
  // noise repeats with the tile, so the ground has no seams.
  const int size = 128;
  Image img(size, size);
  TileNoise coarse(8, 99u), fine(32, 7u);
  Random rng(5u);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      float n = coarse.Fractal(x * 8.0f / size, y * 8.0f / size, 3);
      float g = fine.At(x * 32.0f / size, y * 32.0f / size);
      Color c = Mix(Rgb(0x2A2C34), Rgb(0x484A54), 0.6f * n + 0.4f * g);
      // Each slab slightly different in tone.
      int slab = (x / 64) + 2 * (y / 64);
      c = Shade(c, 0.92f + 0.05f * slab);
      img.Set(x, y, c);
    }
  for (int i = 0; i < 180; ++i) {
    int x = rng.Int(0, size - 1), y = rng.Int(0, size - 1);
    img.Set(x, y, Shade(img.Get(x, y), rng.Uniform() < 0.5f ? 0.7f : 1.3f));
  }
  // Joints on the slab edges (x, y = 0 and 64), one texel each side so they
  // meet across the tile border.
  for (int k = 0; k < size; ++k)
    for (int j : {0, size - 1, size / 2 - 1, size / 2}) {
      img.Set(j, k, Shade(img.Get(j, k), 0.75f));
      img.Set(k, j, Shade(img.Get(k, j), 0.75f));
    }
  img.KeepKeyOnlyWhereBlack();
  return img;
}

}  // namespace assetgen
