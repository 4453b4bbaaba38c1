// Full-screen pictures, 640 × 480: the sky behind the stage, the title, the
// level choice, the score screen and the loading notice.
#include <algorithm>
#include <cmath>
#include <string>

#include "Pictures.h"
#include "Text.h"

namespace assetgen {

namespace {

constexpr int kW = 640, kH = 480;

void Stars(Image& img, int bottom, uint32_t seed, int count) {
  Random rng(seed);
  for (int i = 0; i < count; ++i) {
    float x = rng.Uniform(0, kW), y = rng.Uniform(0, float(bottom));
    float fade = 1.0f - y / bottom;
    float b = rng.Uniform(0.3f, 1.0f) * (0.35f + 0.65f * fade);
    Color c = Mix(Rgb(0xA0B8FF), Rgb(0xFFF0D0), rng.Uniform());
    if (rng.Uniform() < 0.06f) {
      img.Glow(x, y, 4.5f, c, b);
      img.Add(int(x), int(y), c, b);
    } else {
      img.Add(int(x), int(y), c, b * 0.9f);
    }
  }
}

void Moon(Image& img, float cx, float cy, float r) {
  img.Glow(cx, cy, r * 4.0f, Rgb(0x303A60), 0.8f);
  img.Disc(cx, cy, r, Rgb(0xF0EAD0));
  img.Disc(cx - r * 0.3f, cy + r * 0.2f, r * 0.22f, Rgb(0xD8D0B8));
  img.Disc(cx + r * 0.35f, cy - r * 0.3f, r * 0.15f, Rgb(0xDCD4BC));
  img.Disc(cx + r * 0.1f, cy + r * 0.45f, r * 0.12f, Rgb(0xDCD4BC));
}

// Night gradient with a warm city glow just above the horizon.
void NightSky(Image& img, int horizon) {
  for (int y = 0; y < kH; ++y) {
    float t = float(y) / horizon;
    Color c = t < 0.65f ? Mix(Rgb(0x03040E), Rgb(0x121436), t / 0.65f)
                        : Mix(Rgb(0x121436), Rgb(0x4A2E52), std::min(1.0f, (t - 0.65f) / 0.35f));
    if (t > 1.0f) c = Mix(Rgb(0x4A2E52), Rgb(0x1A1420), std::min(1.0f, (t - 1.0f) * 4));
    for (int x = 0; x < kW; ++x) img.Set(x, y, c);
  }
}

// Rows of building silhouettes with lit windows standing on `base`.
void Skyline(Image& img, int base, int tallest, uint32_t seed, Color body, float litShare) {
  Random rng(seed);
  int x = -10;
  while (x < kW) {
    int w = rng.Int(28, 70), h = rng.Int(tallest / 4, tallest);
    Color c = Shade(body, rng.Uniform(0.8f, 1.2f));
    img.FillRect(x, base - h, x + w, base, c);
    if (rng.Uniform() < 0.25f)
      img.FillRect(x + w / 2 - 1, base - h - 14, x + w / 2 + 1, base - h, c);
    for (int wy = base - h + 6; wy < base - 6; wy += 8)
      for (int wx = x + 4; wx < x + w - 5; wx += 7)
        if (rng.Uniform() < litShare)
          img.FillRect(wx, wy, wx + 3, wy + 4,
                       Mix(Rgb(0xFFC860), Rgb(0xE0F0FF), rng.Uniform() * 0.6f));
    x += w + rng.Int(-6, 6);
  }
}

void Backdrop(Image& img, uint32_t seed, float moonX = 540, float moonY = 80, float moonR = 26) {
  NightSky(img, 400);
  Stars(img, 380, seed, 260);
  Moon(img, moonX, moonY, moonR);
  Skyline(img, 430, 170, seed + 1, Rgb(0x1A1A30), 0.15f);
  Skyline(img, 480, 120, seed + 2, Rgb(0x0C0C18), 0.25f);
}

void Title(Image& img, const std::string& text, int y, int size) {
  Font font("DejaVuSans-Bold.ttf", size);
  DrawTextGlow(img, font, text, kW / 2, y, Rgb(0x4080FF), Align::kCenter, 14, 1.0f);
  DrawText(img, font, text, kW / 2, y, Rgb(0xE8F0FF), Align::kCenter, 2, Rgb(0x101830));
}

void KeyCap(Image& img, int x, int y, int size, const std::string& legend) {
  img.BlendRect(x + 3, y + 4, x + size + 3, y + size + 4, Rgb(0x000000, 140));
  img.FillRect(x, y, x + size, y + size, Rgb(0x5A6890));
  img.FillRect(x + 3, y + 3, x + size - 3, y + size - 5, Rgb(0x2C3450));
  img.FrameRect(x, y, x + size, y + size, 1, Rgb(0xA0B0D8));
  Font font("DejaVuSans-Bold.ttf", size / 2);
  DrawText(img, font, legend, x + size / 2, y + (size - font.Height()) / 2 - 1, Rgb(0xFFE070),
           Align::kCenter);
}

}  // namespace

Image MakeSky() {
  Image img(kW, kH);
  NightSky(img, 260);
  Stars(img, 250, 11u, 320);
  Moon(img, 470, 70, 20);
  // Faint clouds lit from below by the city.
  TileNoise clouds(16, 3u);
  for (int y = 110; y < 300; ++y)
    for (int x = 0; x < kW; ++x) {
      float n = clouds.Fractal(x / 40.0f, y / 14.0f, 4);
      float band = std::max(0.0f, 1.0f - std::abs(y - 200.0f) / 95.0f);
      float a = std::max(0.0f, n - 0.52f) * 2.2f * band;
      if (a > 0) img.Blend(x, y, Rgb(0x5A4468), a * 0.6f);
    }
  return img;
}

Image MakeTitle() {
  Image img(kW, kH);
  Backdrop(img, 21u);
  Title(img, "Voskar", 96, 92);
  Font sub("DejaVuSans-Bold.ttf", 24);
  DrawText(img, sub, "-Night Harrow Typing Game.-", kW / 2, 214, Rgb(0xFFD868), Align::kCenter, 2,
           Rgb(0x140C08));
  img.BlendRect(0, 380, kW, 428, Rgb(0x04050C), 0.6f);
  Font prompt("DejaVuSans-Bold.ttf", 22);
  DrawTextGlow(img, prompt, "press any key", kW / 2, 392, Rgb(0x60A0FF), Align::kCenter, 8, 0.8f);
  DrawText(img, prompt, "press any key", kW / 2, 392, Rgb(0xFFFFFF), Align::kCenter, 2,
           Rgb(0x081020));
  return img;
}

Image MakeLevelSelect() {
  Image img(kW, kH);
  Backdrop(img, 33u);
  img.BlendRect(60, 120, 580, 420, Rgb(0x060818), 0.7f);
  img.FrameRect(60, 120, 580, 420, 2, Rgb(0x4060A0));
  Title(img, "Select Level", 40, 46);
  struct Row {
    const char* key;
    const char* name;
    const char* note;
  };
  const Row rows[3] = {{"E", "Easy", "short words, keyboard shown"},
                       {"N", "Normal", "longer words"},
                       {"D", "Difficult", "long words, more enemies"}};
  Font name("DejaVuSans-Bold.ttf", 30), note("DejaVuSans.ttf", 17);
  for (int i = 0; i < 3; ++i) {
    int y = 150 + i * 88;
    KeyCap(img, 100, y, 56, rows[i].key);
    DrawText(img, name, rows[i].name, 190, y + 2, Rgb(0xF0F4FF), Align::kLeft, 2, Rgb(0x080810));
    DrawText(img, note, rows[i].note, 192, y + 38, Rgb(0xA8B8D8));
  }
  img.BlendRect(0, 432, kW, 468, Rgb(0x04050C), 0.6f);
  Font hint("DejaVuSans.ttf", 16);
  DrawText(img, hint, "press E, N or D", kW / 2, 440, Rgb(0xC0C8E0), Align::kCenter, 1);
  return img;
}

Image MakeScore() {
  Image img(kW, kH);
  Backdrop(img, 45u, 596, 34, 18);
  img.BlendRect(40, 78, 600, 432, Rgb(0x060818), 0.72f);
  img.FrameRect(40, 78, 600, 432, 2, Rgb(0x4060A0));
  Title(img, "Result", 16, 46);
  // Labels end left of the digit columns (x 320 for the first three rows,
  // 416 for the hit rate); the digits (32 high) are drawn over dark boxes.
  struct Row {
    const char* label;
    int y, digitsLeft;
  };
  const Row rows[4] = {{"Score", 96, 320},
                       {"Rounds fired", 192, 320},
                       {"Correct letters", 288, 320},
                       {"Hit rate", 384, 416}};
  Font label("DejaVuSans-Bold.ttf", 24);
  for (const Row& r : rows) {
    img.BlendRect(r.digitsLeft - 8, r.y - 6, 520, r.y + 38, Rgb(0x04060E), 0.8f);
    img.FrameRect(r.digitsLeft - 8, r.y - 6, 520, r.y + 38, 2, Rgb(0x3A5A90));
    DrawText(img, label, r.label, r.digitsLeft - 24, r.y + (32 - label.Height()) / 2, Rgb(0xFFD868),
             Align::kRight, 2, Rgb(0x100804));
  }
  DrawText(img, label, "%", 532, 384 + (32 - label.Height()) / 2, Rgb(0xFFD868), Align::kLeft, 2,
           Rgb(0x100804));
  img.BlendRect(0, 436, kW, 466, Rgb(0x04050C), 0.6f);
  Font hint("DejaVuSans.ttf", 16);
  DrawText(img, hint, "press any key", kW / 2, 440, Rgb(0xC0C8E0), Align::kCenter, 1);
  return img;
}

Image MakeNowLoading() {
  Image img(kW, kH);
  Backdrop(img, 57u);
  Title(img, "Now Loading...", 200, 48);
  return img;
}

}  // namespace assetgen
