// Target pictures: a 4 × 2 grid of 128 × 128 frames. The top row is the living
// animation, the bottom row the explosion. The label covers the lower half of
// each frame in the game, so the bodies sit in the upper part.
#include <algorithm>
#include <cmath>

#include "Pictures.h"

namespace assetgen {

namespace {

constexpr int kFrame = 128;
constexpr float kPi = 3.1415927f;

// The format has no alpha (black is the see-through key), so smoke is soft
// by being porous: near a puff's edge, and all over a thinning cloud, texels
// are left out in an ordered-dither pattern roughened by noise, which the
// game's filtering turns into a ragged, translucent fringe.
const float kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};

struct Puff {
  float x, y, r;
  float tone;  // 0 dark soot .. 1 pale ash
};

// Layered smoke: puffs drawn back to front, each a soft ball lit from the
// upper left, with billowing noise on its surface, a sooty core and, while
// the fire burns (warmth > 0), an orange glow from below.
void DrawSmoke(Image& img, const std::vector<Puff>& puffs, float density, float warmth,
               uint32_t seed) {
  TileNoise billow(16, seed), fringe(16, seed ^ 0x5A5A5A5Au);
  const Color soot = Rgb(0x2E2A28), ash = Rgb(0xA8A29C), ember = Rgb(0xE07830);
  for (const Puff& p : puffs) {
    for (int y = int(p.y - p.r) - 1; y <= int(p.y + p.r) + 1; ++y) {
      for (int x = int(p.x - p.r) - 1; x <= int(p.x + p.r) + 1; ++x) {
        if (!img.Inside(x, y)) continue;
        const float dx = (x + 0.5f - p.x) / p.r, dy = (y + 0.5f - p.y) / p.r;
        // The outline wobbles with the noise, so no puff is a clean circle.
        const float wobble = 0.8f + 0.35f * fringe.Fractal(x / 9.0f, y / 9.0f, 3);
        const float d = std::sqrt(dx * dx + dy * dy) / wobble;
        if (d >= 1.0f) continue;
        // Solid inside, porous over the outer third (and all over a thin cloud).
        const float cover =
            (1.0f - d) * 3.0f * density * (0.7f + 0.6f * billow.Fractal(x / 7.0f, y / 7.0f, 3)) -
            (1.0f - density);
        const float jitter = fringe.At(x * 0.9f + 3.0f, y * 0.9f);
        if (cover <= (kBayer[y & 3][x & 3] + 0.5f) / 16.0f * 0.6f + jitter * 0.4f) continue;
        const float nz = std::sqrt(std::max(0.0f, 1.0f - d * d));
        const float light = std::clamp(0.25f - 0.55f * dx - 0.65f * dy + 0.5f * nz, 0.0f, 1.0f);
        const float grain = billow.Fractal(x / 4.0f + 5.0f, y / 4.0f, 2);
        Color c = Mix(soot, ash,
                      std::clamp(p.tone * 0.5f + light * 0.6f + (grain - 0.5f) * 0.3f, 0.0f, 1.0f));
        if (warmth > 0.0f)
          c = Mix(c, ember, warmth * std::clamp(dy * 0.8f + 0.2f, 0.0f, 1.0f) * (1.0f - light));
        img.Set(x, y, Visible(c));
      }
    }
  }
}

// Explosion stage 0–3 in the frame whose top-left corner is (ox, oy): a
// fireball that grows and cools inside billowing smoke, which is left
// thinning and rising in the last frame (the one a shot target keeps).
void DrawExplosion(Image& img, int ox, int oy, int stage, uint32_t seed) {
  Random rng(seed);
  const float cx = ox + 64.0f, cy = oy + 48.0f;
  const float radius[4] = {18.0f, 32.0f, 42.0f, 46.0f};
  const float heat[4] = {1.0f, 0.85f, 0.5f, 0.22f};
  const float density[4] = {1.2f, 1.15f, 1.0f, 0.72f};
  const float rise[4] = {0.0f, 2.0f, 5.0f, 12.0f};
  float r = radius[stage], h = heat[stage];
  // Back puffs (large, dark) first, front puffs (smaller, paler) last; they
  // drift upwards as the cloud ages.
  std::vector<Puff> puffs;
  for (int i = 0; i < 16; ++i) {
    const float a = rng.Uniform(0, 2 * kPi), d = rng.Uniform(0.1f, 0.7f) * r;
    const float layer = i / 15.0f;
    const float pr = rng.Uniform(0.32f, 0.5f) * r * (1.15f - 0.35f * layer);
    puffs.push_back({cx + std::cos(a) * d, cy + std::sin(a) * d * 0.75f - rise[stage] * layer, pr,
                     0.2f + 0.6f * layer});
  }
  DrawSmoke(img, puffs, density[stage], h > 0.3f ? h : 0.0f, seed);
  if (h > 0.3f) {
    for (int i = 0; i < 10; ++i) {
      float a = rng.Uniform(0, 2 * kPi), d = rng.Uniform(0.0f, 0.5f) * r;
      float pr = rng.Uniform(0.25f, 0.45f) * r * h;
      img.Disc(cx + std::cos(a) * d, cy + std::sin(a) * d * 0.8f, pr, Rgb(0xFF7A18));
    }
    img.Disc(cx, cy, r * 0.45f * h, Rgb(0xFFD040));
    img.Glow(cx, cy, r * 0.5f, Rgb(0xFFF0C0), h);
  }
  // Sparks and debris flying out.
  for (int i = 0; i < 12; ++i) {
    float a = rng.Uniform(0, 2 * kPi), d = r * rng.Uniform(0.9f, 1.25f);
    float x = cx + std::cos(a) * d, y = cy + std::sin(a) * d * 0.8f;
    Color spark = stage < 3 ? Rgb(0xFFE080) : Rgb(0x806040);
    img.Line(x, y, x - std::cos(a) * 5, y - std::sin(a) * 4, 2.0f, spark);
  }
}

void DrawExplosionRow(Image& img, uint32_t seed) {
  for (int stage = 0; stage < 4; ++stage)
    DrawExplosion(img, stage * kFrame, kFrame, stage, seed + stage * 7919u);
}

// A winged night creature: dark body, glowing red eyes, wings beating over
// the four frames.
void DrawBat(Image& img, int ox, int frame) {
  const float cx = ox + 64.0f, cy = 44.0f;
  const float beat[4] = {-0.55f, -0.1f, 0.35f, -0.1f};
  float lift = beat[frame];
  const Color membrane = Rgb(0x603888), bone = Rgb(0x2A1838), body = Rgb(0x443060);
  for (int side = -1; side <= 1; side += 2) {
    float s = float(side);
    float tipY = cy - 26 * std::cos(lift) * 1.0f + 26 * std::sin(lift) + 6;
    std::vector<float> wing = {cx + s * 8,  cy - 6,   cx + s * 30, tipY - 8,
                               cx + s * 58, tipY + 2, cx + s * 50, cy + 6 + lift * 8,
                               cx + s * 40, cy + 2,   cx + s * 32, cy + 12 + lift * 6,
                               cx + s * 22, cy + 8,   cx + s * 10, cy + 14};
    img.Polygon(wing, membrane);
    img.Line(cx + s * 8, cy - 6, cx + s * 30, tipY - 8, 3.0f, bone);
    img.Line(cx + s * 30, tipY - 8, cx + s * 58, tipY + 2, 2.5f, bone);
    img.Line(cx + s * 30, tipY - 8, cx + s * 40, cy + 2, 2.0f, bone);
    img.Line(cx + s * 30, tipY - 8, cx + s * 22, cy + 8, 2.0f, bone);
  }
  img.Disc(cx, cy + 2, 15, body);
  img.Disc(cx, cy - 14, 11, body);
  // Ears.
  img.Polygon({cx - 9, cy - 20, cx - 12, cy - 34, cx - 3, cy - 23}, body);
  img.Polygon({cx + 9, cy - 20, cx + 12, cy - 34, cx + 3, cy - 23}, body);
  // Eyes glow brighter on the down-beat.
  float glow = 0.7f + 0.3f * (frame == 2);
  for (int side = -1; side <= 1; side += 2) {
    img.Disc(cx + side * 5, cy - 15, 3.2f, Rgb(0xFF2A10));
    img.Glow(cx + side * 5, cy - 15, 9, Rgb(0xFF3010), glow);
    img.Disc(cx + side * 5, cy - 15, 1.2f, Rgb(0xFFE0A0));
  }
  // Fangs.
  img.Polygon({cx - 4, cy - 7, cx - 2, cy - 2, cx - 1, cy - 7}, Rgb(0xE8E0D0));
  img.Polygon({cx + 4, cy - 7, cx + 2, cy - 2, cx + 1, cy - 7}, Rgb(0xE8E0D0));
}

// A floating sentry orb: a metal sphere with one cyan eye, a turning ring of
// spikes and a thruster flame below.
void DrawOrb(Image& img, int ox, int frame) {
  const float cx = ox + 64.0f, cy = 44.0f;
  const float turn = frame * kPi / 16;  // a quarter of the spike spacing per frame
  for (int k = 0; k < 8; ++k) {
    float a = turn + k * kPi / 4;
    float x0 = cx + std::cos(a) * 20, y0 = cy + std::sin(a) * 20;
    float x1 = cx + std::cos(a) * 36, y1 = cy + std::sin(a) * 36;
    img.Line(x0, y0, x1, y1, 4.0f, Rgb(0x5A6470));
    img.Disc(x1, y1, 3.0f, Rgb(0xFF6020));
  }
  // Shaded sphere.
  for (int y = int(cy - 26); y <= int(cy + 26); ++y)
    for (int x = int(cx - 26); x <= int(cx + 26); ++x) {
      float dx = (x + 0.5f - cx) / 25.0f, dy = (y + 0.5f - cy) / 25.0f;
      float d2 = dx * dx + dy * dy;
      if (d2 > 1.0f) continue;
      float nz = std::sqrt(1.0f - d2);
      float light = std::max(0.0f, -0.5f * dx - 0.6f * dy + 0.62f * nz);
      Color c = Mix(Rgb(0x1C2430), Rgb(0xB8C8D8), light);
      float edge = std::clamp((1.0f - std::sqrt(d2)) * 25.0f, 0.0f, 1.0f);
      img.Blend(x, y, c, edge);
    }
  // The eye opens and narrows.
  const float open[4] = {7.0f, 8.5f, 7.0f, 4.0f};
  img.Disc(cx, cy + 2, 10.0f, Rgb(0x101820));
  img.Disc(cx, cy + 2, open[frame], Rgb(0x20E0FF));
  img.Disc(cx, cy + 2, open[frame] * 0.4f, Rgb(0xE0FFFF));
  img.Glow(cx, cy + 2, 18, Rgb(0x20C0FF), 0.7f);
  // Thruster.
  float flame = 10.0f + 4.0f * (frame % 2);
  img.Polygon({cx - 6, cy + 24, cx + 6, cy + 24, cx, cy + 24 + flame}, Rgb(0xFF9020));
  img.Glow(cx, cy + 28, 12, Rgb(0xFF8020), 0.6f);
}

// An energy shot: a hot core inside a pulsing shell with a short trail.
void DrawShot(Image& img, int ox, int frame) {
  const float cx = ox + 64.0f, cy = 40.0f;
  const float pulse[4] = {1.0f, 1.12f, 1.22f, 1.1f};
  float p = pulse[frame];
  img.Glow(cx, cy, 40 * p, Rgb(0xFF2050), 0.9f);
  img.Ring(cx, cy, 16 * p, 19 * p, Rgb(0xFF6090));
  img.Disc(cx, cy, 13 * p, Rgb(0xFF3060));
  img.Disc(cx, cy, 7 * p, Rgb(0xFFD0E0));
  for (int k = 0; k < 3; ++k) {
    float a = frame * kPi / 6 + k * 2 * kPi / 3;
    img.Line(cx + std::cos(a) * 20 * p, cy + std::sin(a) * 20 * p, cx + std::cos(a) * 30 * p,
             cy + std::sin(a) * 30 * p, 2.5f, Rgb(0xFFA0C0));
  }
}

template <typename Draw>
Image MakeStrip(Draw draw, uint32_t seed) {
  Image img(4 * kFrame, 2 * kFrame);
  for (int f = 0; f < 4; ++f) draw(img, f * kFrame, f);
  DrawExplosionRow(img, seed);
  img.Cutout(10);
  return img;
}

}  // namespace

Image MakeEnemyA() {
  return MakeStrip(DrawBat, 1234u);
}
Image MakeEnemyB() {
  return MakeStrip(DrawOrb, 4321u);
}
Image MakeBullet() {
  return MakeStrip(DrawShot, 777u);
}

}  // namespace assetgen
