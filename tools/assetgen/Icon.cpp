// The program's icon: the stage's sight over a night skyline in a rounded
// square, drawn afresh at each size so that small sizes stay crisp.
#include <algorithm>
#include <cmath>

#include "Pictures.h"

namespace assetgen {

Image MakeIcon(int size) {
  const float k = size / 64.0f;  // drawn in units of a 64-pixel icon
  Image img(size, size, Color{0, 0, 0, 0});

  // The rounded square: a sky from deep blue to the city's violet glow.
  const float x0 = 1.0f * k, x1 = size - 1.0f * k, r = 12.0f * k;
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      float px = x + 0.5f, py = y + 0.5f;
      float cx = std::clamp(px, x0 + r, x1 - r), cy = std::clamp(py, x0 + r, x1 - r);
      float inside = r - std::hypot(px - cx, py - cy);
      float coverage = std::clamp(inside + 0.5f, 0.0f, 1.0f);
      if (coverage <= 0.0f) continue;
      Color sky = Mix(Rgb(0x060820), Rgb(0x4A2E52), std::clamp(py / size, 0.0f, 1.0f));
      img.Blend(x, y, sky, coverage);
    }
  img.Disc(48.0f * k, 14.0f * k, 5.0f * k, Rgb(0xF0EAD0));

  // The skyline along the bottom, with a few lit windows.
  struct Block {
    float left, right, top;
  };
  const Block blocks[] = {{3, 15, 44},  {14, 24, 38}, {23, 35, 47},
                          {34, 44, 36}, {43, 53, 45}, {52, 62, 40}};
  const Color body = Rgb(0x0C0C18), lit = Rgb(0xFFC860);
  for (const Block& b : blocks) {
    for (int y = int(b.top * k); y < int(62.0f * k); ++y)
      for (int x = int(b.left * k); x < int(b.right * k); ++x) img.Blend(x, y, body);
    for (float wy = b.top + 4; wy < 56; wy += 7)
      for (float wx = b.left + 3; wx < b.right - 3; wx += 5)
        if ((int(wx * 7 + wy * 3) % 5) < 2)
          img.BlendRect(int(wx * k), int(wy * k), int(wx * k + std::max(1.0f, 2 * k)),
                        int(wy * k + std::max(1.0f, 2 * k)), lit);
  }
  // The rounded square's bottom corners cut the skyline too.
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      float px = x + 0.5f, py = y + 0.5f;
      float cx = std::clamp(px, x0 + r, x1 - r), cy = std::clamp(py, x0 + r, x1 - r);
      if (r - std::hypot(px - cx, py - cy) < -0.5f) img.Set(x, y, Color{0, 0, 0, 0});
    }

  // The sight: a red ring with amber ticks and an amber centre.
  const float sx = 32.0f * k, sy = 30.0f * k;
  const Color red = Rgb(0xFF3020), amber = Rgb(0xFFB040);
  img.Ring(sx, sy, 13.0f * k, 17.0f * k, red);
  for (int i = 0; i < 4; ++i) {
    float a = i * 3.1415927f / 2;
    float dx = std::cos(a), dy = std::sin(a);
    img.Line(sx + dx * 8 * k, sy + dy * 8 * k, sx + dx * 22 * k, sy + dy * 22 * k,
             std::max(1.2f, 3.0f * k), amber);
  }
  img.Disc(sx, sy, std::max(1.0f, 2.5f * k), amber);
  return img;
}

}  // namespace assetgen
