// The rasteriser drawn straight into memory buffers: exact pixels where the
// rule is exact (fill rule, depth, clipping, colour key, blending) and the
// reference pictures for whole scenes.
#include <gtest/gtest.h>

#include <set>

#include "canvas.h"

namespace rastertest {
namespace {

D3DMATRIX Perspective(float fovY, float zn, float zf) {
  D3DMATRIX m{};
  m._11 = m._22 = 1.0f / std::tan(fovY / 2);
  m._33 = zf / (zf - zn);
  m._34 = 1.0f;
  m._43 = -zn * zf / (zf - zn);
  return m;
}

D3DVERTEX V(float x, float y, float z, float u, float v) {
  return D3DVERTEX{x, y, z, 0, 0, -1, u, v};
}

// Whether pixel centre (x, y) belongs to the triangle (vertices in 1/16
// pixels): inside, or on an edge that bounds the triangle on its left or,
// when horizontal, on its top.
bool Covered(const int64_t (&v)[3][2], int64_t x, int64_t y) {
  for (int e = 0; e < 3; ++e) {
    const int64_t *a = v[e], *b = v[(e + 1) % 3], *c = v[(e + 2) % 3];
    auto side = [&](int64_t qx, int64_t qy) {
      return (b[0] - a[0]) * (qy - a[1]) - (b[1] - a[1]) * (qx - a[0]);
    };
    const int64_t inner = side(c[0], c[1]), p = side(x * 16, y * 16);
    if (p == 0) {
      const bool top = a[1] == b[1] && c[1] > a[1];
      const bool left = a[1] != b[1] && ((a[1] - b[1] > 0) == (inner > 0));
      if (!top && !left) return false;
    } else if ((p > 0) != (inner > 0)) {
      return false;
    }
  }
  return true;
}

// Vertices on the 1/16 grid, many outside the canvas, a third of the
// triangles with edges through pixel centres (the ties of the fill rule).
TEST(Raster, FillRuleCoversExactlyThePixelCentresInside) {
  Canvas canvas(48, 40);
  Rasterizer r;
  uint32_t seed = 12345;  // the same sequence on every machine
  auto next = [&seed](int range) {
    seed = seed * 1664525u + 1013904223u;
    return static_cast<int>((seed >> 8) % static_cast<uint32_t>(range));
  };
  for (int t = 0; t < 300; ++t) {
    int64_t v[3][2];
    std::vector<D3DTLVERTEX> tri;
    for (auto& p : v) {
      for (int64_t& c : p) {
        c = next(96 * 16) - 24 * 16;
        if (c % 16 == 0) c += (t % 3 == 0) ? 8 : 1;
      }
      tri.push_back(Tl(p[0] / 16.0f, p[1] / 16.0f, 0.5f, 1, ~0u));
    }
    if ((v[1][0] - v[0][0]) * (v[2][1] - v[0][1]) == (v[2][0] - v[0][0]) * (v[1][1] - v[0][1]))
      continue;
    canvas.Clear(0xFF000000);
    Draw(r, Unlit(false), nullptr, canvas.Target(), tri, D3DPT_TRIANGLELIST);
    for (int y = 0; y < canvas.h; ++y)
      for (int x = 0; x < canvas.w; ++x)
        ASSERT_EQ(canvas.Pixel(x, y) != 0, Covered(v, x, y))
            << "triangle " << t << " " << x << "," << y;
  }
}

TEST(Raster, DepthKeepsTheNearerSurface) {
  Canvas canvas(64, 48);
  RenderState s = Unlit();
  Rasterizer r;
  // Red leans from near on the left to far on the right, green the other
  // way; they cross in the middle.
  std::vector<D3DTLVERTEX> red = Quad(4, 4, 60, 44, 0.2f, 0xFFFF0000);
  std::vector<D3DTLVERTEX> green = Quad(4, 8, 60, 40, 0.8f, 0xFF00FF00);
  red[2].sz = red[3].sz = 0.8f;
  green[2].sz = green[3].sz = 0.2f;
  Draw(r, s, nullptr, canvas.Target(), red);
  Draw(r, s, nullptr, canvas.Target(), green);
  EXPECT_EQ(canvas.Pixel(10, 20), 0xFF0000u);
  EXPECT_EQ(canvas.Pixel(54, 20), 0x00FF00u);
  EXPECT_NEAR(canvas.Depth(10, 20) / 65535.0, 0.2 + 0.6 * 6 / 56.0, 0.002);
  EXPECT_EQ(Golden("depth-intersecting-quads", canvas.Pixels(), 64, 48), "");
  // With ZWRITEENABLE off the pixels are drawn but the buffer keeps its
  // content.
  s.zWriteEnable = false;
  Draw(r, s, nullptr, canvas.Target(), Quad(0, 0, 3, 3, 0.1f, ~0u));
  EXPECT_EQ(canvas.Pixel(1, 1), 0xFFFFFFu);
  EXPECT_EQ(canvas.Depth(1, 1), 0xFFFFu);
}

// Spans wholly behind the depth buffer are skipped before any stage runs;
// the skip must agree with the per-pixel test at equal depth, for LESS and
// LESSEQUAL and every depth layout, and never drop a span hidden only in
// part.
TEST(Raster, HiddenSpansAgreeWithThePerPixelTest) {
  for (uint32_t mask : {0xFFFFu, 0xFFFFFFFFu, 0x00FFFFFFu, 0xFFFFFF00u}) {
    SCOPED_TRACE(mask);
    // Wide enough for several blocks of the scan and a short tail.
    Canvas canvas(203, 6, 4, mask == 0xFFFF ? 2 : 4, mask);
    RenderState s = Unlit();
    Rasterizer r;
    auto quad = [&](float x1, float z, D3DCOLOR c) {
      Draw(r, s, nullptr, canvas.Target(), Quad(0, 0, x1, 6, z, c));
    };
    quad(203, 0.5f, 0xFFFF0000);
    const uint32_t stored = canvas.Depth(100, 3);
    EXPECT_NEAR(stored / double(mask), 0.5, 1e-4);  // depth scaled to the layout
    quad(203, 0.5f, 0xFF0000FF);                    // equal depth passes LESSEQUAL
    EXPECT_EQ(canvas.Pixel(202, 5), 0x0000FFu);
    s.zFunc = D3DCMP_LESS;
    quad(203, 0.5f, 0xFF00FF00);  // ... but not LESS
    EXPECT_EQ(canvas.Pixel(0, 0), 0x0000FFu);
    EXPECT_EQ(canvas.Pixel(202, 5), 0x0000FFu);
    quad(203, 0.49f, 0xFF00FF00);
    EXPECT_EQ(canvas.Pixel(150, 2), 0x00FF00u);
    s.zFunc = D3DCMP_LESSEQUAL;
    quad(203, 0.6f, 0xFFFFFFFF);  // behind everywhere
    EXPECT_EQ(canvas.Pixel(101, 3), 0x00FF00u);
    EXPECT_LT(canvas.Depth(100, 3), stored);
    // Hidden but for its last pixels.
    canvas.Clear(0xFF000000);
    quad(190, 0.2f, 0xFFFF0000);
    quad(203, 0.5f, 0xFF0000FF);
    EXPECT_EQ(canvas.Pixel(189, 3), 0xFF0000u);
    EXPECT_EQ(canvas.Pixel(190, 3), 0x0000FFu);
    EXPECT_EQ(canvas.Pixel(202, 3), 0x0000FFu);
  }
}

// A checkerboard floor from just in front of the camera to the distance.
TEST(Raster, PerspectiveCorrectFloorAgainstAffine) {
  std::vector<uint32_t> pictures[2];
  int changes[2] = {0, 0};
  for (int perspective = 0; perspective < 2; ++perspective) {
    Canvas canvas(96, 96);
    RenderState s = Unlit();
    s.texturePerspective = perspective;
    TransformState t;
    t.projection = Perspective(1.0f, 0.5f, 200.0f);
    TestTexture tex = Checkerboard(64, 2, 0xFFFFFFFF, 0xFF2040A0);
    const D3DVERTEX floor[] = {V(-4, -1, 1, 0, 0), V(-4, -1, 60, 0, 5), V(4, -1, 1, 4, 0),
                               V(4, -1, 60, 4, 5)};
    Rasterizer r;
    r.DrawVertices(s, t, &tex.cache, canvas.Target(), D3DPT_TRIANGLESTRIP, floor, 4);
    pictures[perspective] = canvas.Pixels();
    // Squares shrink towards the horizon: few of them in the lower rows of
    // the centre column, unless interpolated affinely.
    for (int y = 95; y > 70; --y)
      changes[perspective] += canvas.Pixel(48, y) != canvas.Pixel(48, y - 1);
  }
  EXPECT_LE(changes[1], 1);
  EXPECT_GE(changes[0], 3);
  EXPECT_EQ(Golden("floor-perspective", pictures[1], 96, 96), "");
  EXPECT_EQ(Golden("floor-affine", pictures[0], 96, 96), "");
}

TEST(Raster, NearAndFarPlanesClip) {
  Canvas canvas(64, 64);
  TransformState t;
  t.projection = Perspective(1.2f, 1.0f, 100.0f);
  TestTexture tex = Checkerboard(32, 4, 0xFFFFC040, 0xFF4060FF);
  // A wall on the right from behind the camera (z = -5) to z = 20: cut at
  // the near plane, it reaches the image border and nothing of the left.
  const D3DVERTEX wall[] = {V(2, -2, -5, 0, 1), V(2, 2, -5, 0, 0), V(2, -2, 20, 4, 1),
                            V(2, 2, 20, 4, 0)};
  Rasterizer r;
  r.DrawVertices(Unlit(), t, &tex.cache, canvas.Target(), D3DPT_TRIANGLESTRIP, wall, 4);
  EXPECT_NE(canvas.Pixel(63, 32), 0u);
  EXPECT_NE(canvas.Pixel(63, 5), 0u);
  for (int y = 0; y < 64; ++y) EXPECT_EQ(canvas.Pixel(20, y), 0u) << y;
  EXPECT_EQ(Golden("clip-near-plane", canvas.Pixels(), 64, 64), "");
  // Wholly behind the camera, or beyond the far plane: nothing.
  Canvas empty(16, 16);
  t.projection = Perspective(1.2f, 1.0f, 10.0f);
  for (float z : {-5.0f, 20.0f}) {
    const D3DVERTEX tri[] = {V(-1, -1, z, 0, 0), V(-1, 1, z, 0, 0), V(1, -1, z, 0, 0)};
    r.DrawVertices(Unlit(), t, &tex.cache, empty.Target(), D3DPT_TRIANGLELIST, tri, 3);
  }
  for (uint32_t p : empty.Pixels()) ASSERT_EQ(p, 0xFF000000u);
}

TEST(Raster, HostileVerticesNeverCrashAndHugeOnesAreScissored) {
  Canvas canvas(32, 32);
  RenderState s = Unlit();
  Bilinear(s);
  TestTexture tex = Checkerboard(8, 2, 0xFFFFFFFF, 0xFF000000);
  const float nan = std::nanf(""), inf = INFINITY;
  const std::vector<std::vector<D3DTLVERTEX>> cases = {
      {Tl(nan, 0, 0, 1, ~0u), Tl(10, 0, 0, 1, ~0u), Tl(0, 10, 0, 1, ~0u)},
      {Tl(-inf, 0, 0, 1, ~0u), Tl(inf, 0, 0, 1, ~0u), Tl(0, inf, 0, 1, ~0u)},
      {Tl(0, 0, nan, 0, ~0u, nan, nan), Tl(30, 0, 5, -1, ~0u, 1e30f, 0), Tl(0, 30, -5, inf, ~0u)},
      {Tl(0, 0, 0, 1e30f, ~0u, 1e20f, -1e20f), Tl(30, 0, 0, 1e-30f, ~0u), Tl(0, 30, 0, 1, ~0u)}};
  Rasterizer r;
  for (const auto& tri : cases) Draw(r, s, &tex.cache, canvas.Target(), tri, D3DPT_TRIANGLELIST);
  // A triangle far larger than the screen fills exactly the viewport.
  canvas.Clear(0xFF000000);
  DrawTarget target = canvas.Target();
  target.viewport = {8, 8, 24, 20, 0, 1};
  Draw(r, Unlit(), nullptr, target,
       {Tl(-1e30f, -1e30f, 0, 1, ~0u), Tl(1e30f, -1e30f, 0, 1, ~0u), Tl(0, 1e30f, 0, 1, ~0u)},
       D3DPT_TRIANGLELIST);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x)
      ASSERT_EQ(canvas.Pixel(x, y), x >= 8 && x < 24 && y >= 8 && y < 20 ? 0xFFFFFFu : 0u);
}

// A yellow disc with a red ring on a keyed black background, 16 x 16,
// stretched over 64 x 64.
TEST(Raster, KeyedTexelsLeaveColourAndDepthUntouched) {
  TestTexture tex = MakeTexture(PixelKind::R5G6B5, 16, 16, [](int x, int y) {
    const float d = (x - 7.5f) * (x - 7.5f) + (y - 7.5f) * (y - 7.5f);
    return d < 16 ? 0xFFE0u : d < 36 ? 0xF800u : 0u;
  });
  tex.Key(0xFF000000);
  for (bool key : {false, true})
    for (bool bilinear : {false, true}) {
      Canvas canvas(64, 64);
      canvas.Clear(0xFF3050A0);
      RenderState s = Unlit();
      s.colorKeyEnable = key;
      if (bilinear) Bilinear(s);
      Rasterizer r;
      Draw(r, s, &tex.cache, canvas.Target(), Quad(0, 0, 64, 64, 0.5f, ~0u));
      EXPECT_EQ(canvas.Pixel(32, 32), 0xFFFF00u);
      EXPECT_EQ(canvas.Depth(32, 32), 0x8000u);
      EXPECT_EQ(canvas.Pixel(1, 1), key ? 0x3050A0u : 0u);
      if (!key) continue;
      EXPECT_EQ(canvas.Depth(1, 1), 0xFFFFu);
      // No black fringe: every drawn pixel is a blend of yellow and red.
      for (uint32_t p : canvas.Pixels())
        ASSERT_TRUE((p & 0xFFFFFF) == 0x3050A0u || (p & 0xFF00FF) == 0xFF0000u) << std::hex << p;
      EXPECT_EQ(bilinear ? Golden("colorkey-sprite-bilinear", canvas.Pixels(), 64, 64, 2) : "", "");
    }
}

TEST(Raster, BlendModesFollowTheFormula) {
  // Source 0xC08040 with alpha 0x80 over 0x204080, in bands of ten columns.
  const uint32_t bg = 0x204080, src = 0xC08040, a = 0x80;
  auto mix = [&](uint32_t sf, uint32_t df) {
    uint32_t out = 0;
    for (int ch = 0; ch < 24; ch += 8) {
      const uint32_t v =
          (((src >> ch) & 0xFF) * sf + 127) / 255 + (((bg >> ch) & 0xFF) * df + 127) / 255;
      out |= std::min<uint32_t>(v, 255) << ch;
    }
    return out;
  };
  const struct {
    bool enable;
    DWORD src, dst;
    uint32_t expected;
  } modes[] = {
      {false, D3DBLEND_ONE, D3DBLEND_ZERO, src},
      {true, D3DBLEND_ONE, D3DBLEND_ZERO, src},
      {true, D3DBLEND_ONE, D3DBLEND_ONE, mix(255, 255)},
      {true, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, mix(a, 255 - a)},
      {true, D3DBLEND_BOTHSRCALPHA, D3DBLEND_ONE, mix(a, 255 - a)},  // DESTBLEND ignored
      {true, D3DBLEND_ZERO, D3DBLEND_ONE, bg},
      {true, D3DBLEND_SRCALPHA, D3DBLEND_ONE, mix(a, 255)},
  };
  Canvas canvas(70, 10);
  canvas.Clear(0xFF000000 | bg);
  Rasterizer r;
  int x = 0;
  for (const auto& m : modes) {
    RenderState s = Unlit(false);
    s.alphaBlendEnable = m.enable;
    s.srcBlend = m.src;
    s.destBlend = m.dst;
    Draw(r, s, nullptr, canvas.Target(), Quad(x, 0, x + 10, 10, 0.5f, (a << 24) | src));
    for (int ch = 0; ch < 24; ch += 8)
      EXPECT_NEAR(double((canvas.Pixel(x + 5, 5) >> ch) & 0xFF), double((m.expected >> ch) & 0xFF),
                  1.0)
          << m.src << "/" << m.dst;
    x += 10;
  }
  EXPECT_EQ(Golden("blend-modes", canvas.Pixels(), 70, 10), "");
}

TEST(Raster, DitherOnlySixteenBitTargetsAndOnlyWhenEnabled) {
  // A horizontal grey ramp into R5G6B5: without dither each column is one
  // value; with it most columns mix two neighbouring levels.
  for (bool dither : {false, true}) {
    Canvas c(64, 16, 2);
    RenderState s = Unlit(false);
    s.ditherEnable = dither;
    std::vector<D3DTLVERTEX> q = Quad(0, 0, 64, 16, 0, 0xFF000000);
    q[2].color = q[3].color = 0xFF404040;
    Rasterizer r;
    Draw(r, s, nullptr, c.Target(), q);
    std::set<std::pair<int, uint32_t>> columnValues;
    for (int i = 0; i < 64 * 16; ++i) columnValues.insert({i % 64, c.Pixel(i % 64, i / 64)});
    EXPECT_EQ(columnValues.size() > 96, dither) << columnValues.size();
    EXPECT_EQ(dither ? Golden("dither-16bit", c.Pixels(), 64, 16) : "", "");
  }
}

}  // namespace
}  // namespace rastertest
