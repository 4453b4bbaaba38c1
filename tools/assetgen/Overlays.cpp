// The translucent overlays, written as 32-bit TGA: the word label's frame and
// the on-screen keyboard.
#include <algorithm>
#include <cmath>
#include <map>
#include <vector>

#include "KeyLayout.h"
#include "Pictures.h"
#include "Text.h"

namespace assetgen {

namespace {

constexpr Color kClear{255, 255, 255, 0};  // white and fully transparent

// Distance from (x, y) to the outside of a rounded rectangle (positive inside).
float RoundedInside(float x, float y, float x0, float y0, float x1, float y1, float r) {
  float cx = std::clamp(x, x0 + r, x1 - r), cy = std::clamp(y, y0 + r, y1 - r);
  return r - std::hypot(x - cx, y - cy);
}

}  // namespace

Image MakeFrame() {
  // 256 × 128, the shape of the label (3 × 1.5 units). Letters sit in the
  // middle band (rows 32–96, from column 16), so the rim stays narrow.
  const int w = 256, h = 128;
  Image img(w, h, kClear);
  const Color rimHi = Rgb(0x9AD8FF), rimLo = Rgb(0x3A70A8);
  const Color middle = Rgb(0x0C1430, 150);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      float d = RoundedInside(x + 0.5f, y + 0.5f, 1, 1, w - 1, h - 1, 14);
      if (d < 0.0f) continue;
      if (d < 6.0f) {
        // Bevelled rim: lighter on its outer edge, opaque.
        Color c = Mix(rimHi, rimLo, d / 6.0f);
        img.Set(x, y, Color{c.r, c.g, c.b, 255});
      } else {
        // The middle darkens slightly towards the bottom.
        Color c = Mix(middle, Rgb(0x060A1C, 170), float(y) / h);
        img.Set(x, y, c);
      }
    }
  return img;
}

Image MakeKeyboard() {
  // 640 × 240: one texel per screen pixel at 640 × 480, each grid cell
  // 10 × 8 texels.
  const int cw = 10, ch = 8;
  const int w = kKeyColumns * cw, h = kKeyRows * ch;
  Image img(w, h, Color{10, 14, 24, 110});

  // Keys are the connected groups of cells with one code (the two Shift keys
  // share a code but are separate keys).
  std::vector<int> group(kKeyRows * kKeyColumns, -1);
  std::vector<int> groupCode;
  for (int r = 0; r < kKeyRows; ++r)
    for (int c = 0; c < kKeyColumns; ++c) {
      if (!KeyCode(r, c) || group[r * kKeyColumns + c] >= 0) continue;
      int id = int(groupCode.size());
      groupCode.push_back(KeyCode(r, c));
      std::vector<std::pair<int, int>> todo = {{r, c}};
      group[r * kKeyColumns + c] = id;
      while (!todo.empty()) {
        auto [rr, cc] = todo.back();
        todo.pop_back();
        const int dr[4] = {1, -1, 0, 0}, dc[4] = {0, 0, 1, -1};
        for (int k = 0; k < 4; ++k) {
          int nr = rr + dr[k], nc = cc + dc[k];
          if (nr < 0 || nc < 0 || nr >= kKeyRows || nc >= kKeyColumns) continue;
          if (KeyCode(nr, nc) != groupCode[id] || group[nr * kKeyColumns + nc] >= 0) continue;
          group[nr * kKeyColumns + nc] = id;
          todo.push_back({nr, nc});
        }
      }
    }
  auto groupAt = [&](int x, int y) {
    if (x < 0 || y < 0 || x >= w || y >= h) return -1;
    return group[(y / ch) * kKeyColumns + x / cw];
  };

  // A texel is on a key when every texel within 2 of it belongs to the same
  // key: keys get a gap between them and rounded outer corners.
  const int margin = 2;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      int id = groupAt(x, y);
      if (id < 0) continue;
      bool inside = true;
      int edge = margin + 1;  // distance to the nearest texel of another key
      for (int dy = -margin - 2; dy <= margin + 2 && inside; ++dy)
        for (int dx = -margin - 2; dx <= margin + 2; ++dx) {
          if (dx * dx + dy * dy > (margin + 2) * (margin + 2)) continue;
          if (groupAt(x + dx, y + dy) != id) {
            int d = std::max(std::abs(dx), std::abs(dy));
            if (dx * dx + dy * dy <= margin * margin + 1) inside = false;
            edge = std::min(edge, d);
          }
        }
      if (!inside) continue;
      bool special = groupCode[id] >= 256 || groupCode[id] == 10;
      Color cap = special ? Rgb(0x2A3040, 232) : Rgb(0x3A4258, 236);
      // Top-left light edge and bottom shade give the caps some depth.
      if (edge <= margin + 1) cap = Mix(cap, Rgb(0x8090B0, 240), 0.45f);
      float t = float(y % (4 * ch)) / (4 * ch);
      img.Set(x, y, Shade(cap, 1.1f - 0.25f * t));
    }

  // Legends at the middle of each key's first four-row band.
  Font letters("DejaVuSans-Bold.ttf", 15), words("DejaVuSans-Bold.ttf", 9);
  std::map<int, std::pair<int, int>> minCell, maxCell;
  for (int r = 0; r < kKeyRows; ++r)
    for (int c = 0; c < kKeyColumns; ++c) {
      int id = group[r * kKeyColumns + c];
      if (id < 0) continue;
      if (!minCell.count(id)) minCell[id] = {r, c}, maxCell[id] = {r, c};
      auto& lo = minCell[id];
      auto& hi = maxCell[id];
      lo.second = std::min(lo.second, c);
      if (r < lo.first + 4) hi.second = std::max(hi.second, c);
      hi.first = std::max(hi.first, r);
    }
  for (auto& [id, lo] : minCell) {
    std::string legend = KeyLegend(groupCode[id]);
    if (legend.empty()) continue;
    bool small = legend.size() > 1;
    const Font& font = small ? words : letters;
    int x = (lo.second * cw + (maxCell[id].second + 1) * cw) / 2;
    int y = lo.first * ch + (4 * ch - font.Height()) / 2;
    Color ink = small ? Rgb(0xB8C4DC) : Rgb(0xF0F4FA);
    DrawText(img, font, legend, x, y, ink, Align::kCenter);
  }
  // Keep pure white out of the picture: it is the key colour.
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      Color c = img.Get(x, y);
      if (c.r == 255 && c.g == 255 && c.b == 255) img.Set(x, y, Color{250, 250, 250, c.a});
    }
  return img;
}

}  // namespace assetgen
