// The rasteriser drawn directly into memory buffers: fill rule, depth,
// perspective, clipping, colour key, blending, lighting and dithering,
// checked pixel by pixel where the rule is exact and against golden
// pictures for the whole image.
#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "canvas.h"

namespace d3dtest {
namespace {

using platform::d3d::Vertex;

D3DMATRIX Perspective(float fovY, float aspect, float zn, float zf) {
  D3DMATRIX m{};
  const float h = 1.0f / std::tan(fovY / 2);
  m._11 = h / aspect;
  m._22 = h;
  m._33 = zf / (zf - zn);
  m._34 = 1.0f;
  m._43 = -zn * zf / (zf - zn);
  return m;
}

D3DVERTEX V(float x, float y, float z, float u, float v, float nz = -1.0f) {
  D3DVERTEX d{};
  d.x = x;
  d.y = y;
  d.z = z;
  d.nz = nz;
  d.tu = u;
  d.tv = v;
  return d;
}

RenderState Unlit() {
  RenderState s;
  s.cullMode = D3DCULL_NONE;
  s.lighting = false;
  s.zEnable = true;
  return s;
}

TEST(RasterFillRule, StripSharedEdgesAreDrawnExactlyOnce) {
  Canvas canvas(64, 44);
  RenderState s = Unlit();
  s.zEnable = false;
  s.alphaBlendEnable = true;
  s.srcBlend = D3DBLEND_ONE;
  s.destBlend = D3DBLEND_ONE;
  // A strip of slanted triangles alternating between the bottom and top
  // edges, whose union is the rectangle [2.3, 61.6) x [1.7, 40.2); inner
  // vertices sit at uneven sub-pixel positions.
  std::vector<D3DTLVERTEX> zig;
  for (int i = 0; i <= 20; ++i) {
    const float x = 2.3f + (61.6f - 2.3f) * i / 20.0f + ((i % 3) - 1) * 0.3f * (i > 0 && i < 20);
    zig.push_back(Tl(x, (i % 2) ? 1.7f : 40.2f, 0.5f, 1.0f, 0xFF404040));
  }
  zig.front().sx = 2.3f;
  zig[1].sx = 2.3f;
  zig.back().sx = 61.6f;
  zig[19].sx = 61.6f;
  Rasterizer r;
  r.DrawTransformed(s, nullptr, canvas.Target(), D3DPT_TRIANGLESTRIP, zig.data(),
                    static_cast<int>(zig.size()));
  for (int y = 0; y < canvas.Height(); ++y)
    for (int x = 0; x < canvas.Width(); ++x) {
      const bool inside = x >= 3 && x <= 61 && y >= 2 && y <= 40;
      ASSERT_EQ(canvas.Pixel(x, y), inside ? 0x404040u : 0u) << "at " << x << "," << y;
    }
  EXPECT_EQ(CompareGolden("fill-rule-strip-additive", canvas.Pixels(), 64, 44), "");
}

// Whether pixel centre (x, y) is drawn for the triangle a, b, c (in 1/16
// pixel units, no vertex on a pixel centre): inside, or on an edge that
// bounds the triangle on its left or, when horizontal, on its top.
bool Covered(const int64_t (&v)[3][2], int64_t x, int64_t y) {
  const int64_t px = x * 16, py = y * 16;
  for (int e = 0; e < 3; ++e) {
    const int64_t* a = v[e];
    const int64_t* b = v[(e + 1) % 3];
    const int64_t* c = v[(e + 2) % 3];
    auto side = [&](int64_t qx, int64_t qy) {
      return (b[0] - a[0]) * (qy - a[1]) - (b[1] - a[1]) * (qx - a[0]);
    };
    const int64_t inner = side(c[0], c[1]);  // never 0: the triangle has area
    const int64_t p = side(px, py);
    if (p == 0) {
      const bool top = a[1] == b[1] && c[1] > a[1];
      // Moving right from the edge goes inside: a left edge.
      const bool left = a[1] != b[1] && ((a[1] - b[1] > 0) == (inner > 0));
      if (!top && !left) return false;
    } else if ((p > 0) != (inner > 0)) {
      return false;
    }
  }
  return true;
}

TEST(RasterFillRule, RandomTrianglesCoverExactlyThePixelCentresInside) {
  // Vertices on the 1/16 grid but off pixel centres, many of them outside
  // the canvas (negative coordinates included), and some edges through
  // pixel centres; each triangle against a per-pixel inside test.
  Canvas canvas(48, 40);
  RenderState s = Unlit();
  s.zEnable = false;
  Rasterizer r;
  uint32_t seed = 12345;
  auto next = [&seed](int range) {
    seed = seed * 1664525u + 1013904223u;
    return static_cast<int>((seed >> 8) % static_cast<uint32_t>(range));
  };
  for (int t = 0; t < 300; ++t) {
    int64_t v[3][2];
    D3DTLVERTEX tl[3];
    for (int i = 0; i < 3; ++i) {
      for (int k = 0; k < 2; ++k) {
        // Grid steps of 1/16 in [-24, 72); a few edges get through pixel
        // centres when the offsets are whole and half pixels.
        int64_t sub = next(96 * 16) - 24 * 16;
        if (sub % 16 == 0) sub += (t % 3 == 0) ? 8 : 1;
        v[i][k] = sub;
      }
      tl[i] = Tl(v[i][0] / 16.0f, v[i][1] / 16.0f, 0.5f, 1.0f, 0xFFFFFFFF);
    }
    const int64_t area =
        (v[1][0] - v[0][0]) * (v[2][1] - v[0][1]) - (v[2][0] - v[0][0]) * (v[1][1] - v[0][1]);
    if (area == 0) continue;
    canvas.Clear(0xFF000000);
    r.DrawTransformed(s, nullptr, canvas.Target(), D3DPT_TRIANGLELIST, tl, 3);
    for (int y = 0; y < canvas.Height(); ++y)
      for (int x = 0; x < canvas.Width(); ++x)
        ASSERT_EQ(canvas.Pixel(x, y) != 0, Covered(v, x, y))
            << "triangle " << t << " at " << x << "," << y;
  }
}

TEST(RasterFillRule, PixelCentresOnEdgesGoToTopAndLeft) {
  Canvas canvas(8, 8);
  RenderState s = Unlit();
  s.zEnable = false;
  // A quad on whole pixel coordinates covers exactly the pixels whose
  // centres lie on its top and left edges, not its bottom and right.
  const D3DTLVERTEX quad[] = {Tl(2, 6, 0, 1, 0xFFFFFFFF), Tl(2, 1, 0, 1, 0xFFFFFFFF),
                              Tl(5, 6, 0, 1, 0xFFFFFFFF), Tl(5, 1, 0, 1, 0xFFFFFFFF)};
  Rasterizer r;
  r.DrawTransformed(s, nullptr, canvas.Target(), D3DPT_TRIANGLESTRIP, quad, 4);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x)
      EXPECT_EQ(canvas.Pixel(x, y), (x >= 2 && x < 5 && y >= 1 && y < 6) ? 0xFFFFFFu : 0u)
          << x << "," << y;
}

TEST(RasterFillRule, CullModesFollowScreenWinding) {
  const D3DTLVERTEX clockwise[] = {Tl(1, 1, 0, 1, 0xFFFFFFFF), Tl(7, 1, 0, 1, 0xFFFFFFFF),
                                   Tl(1, 7, 0, 1, 0xFFFFFFFF)};
  for (DWORD cull : {D3DCULL_NONE, D3DCULL_CW, D3DCULL_CCW}) {
    Canvas canvas(8, 8);
    RenderState s = Unlit();
    s.cullMode = cull;
    Rasterizer r;
    r.DrawTransformed(s, nullptr, canvas.Target(), D3DPT_TRIANGLELIST, clockwise, 3);
    EXPECT_EQ(canvas.Pixel(2, 2), cull == D3DCULL_CW ? 0u : 0xFFFFFFu) << cull;
  }
}

TEST(RasterDepth, IntersectingQuadsShowTheNearerSurface) {
  Canvas canvas(64, 48);
  RenderState s = Unlit();
  Rasterizer r;
  // Red leans from near (left) to far (right); green the other way. They
  // cross in the middle column.
  const D3DTLVERTEX red[] = {Tl(4, 44, 0.2f, 1, 0xFFFF0000), Tl(4, 4, 0.2f, 1, 0xFFFF0000),
                             Tl(60, 44, 0.8f, 1, 0xFFFF0000), Tl(60, 4, 0.8f, 1, 0xFFFF0000)};
  const D3DTLVERTEX green[] = {Tl(4, 40, 0.8f, 1, 0xFF00FF00), Tl(4, 8, 0.8f, 1, 0xFF00FF00),
                               Tl(60, 40, 0.2f, 1, 0xFF00FF00), Tl(60, 8, 0.2f, 1, 0xFF00FF00)};
  r.DrawTransformed(s, nullptr, canvas.Target(), D3DPT_TRIANGLESTRIP, red, 4);
  r.DrawTransformed(s, nullptr, canvas.Target(), D3DPT_TRIANGLESTRIP, green, 4);
  EXPECT_EQ(canvas.Pixel(10, 20), 0xFF0000u);  // red nearer on the left
  EXPECT_EQ(canvas.Pixel(54, 20), 0x00FF00u);  // green nearer on the right
  EXPECT_EQ(canvas.Pixel(10, 6), 0xFF0000u);   // only red there
  // The depth buffer keeps the nearer of the two.
  EXPECT_NEAR(canvas.Depth(10, 20) / 65535.0, 0.2 + 0.6 * (10 - 4) / 56.0, 0.002);
  EXPECT_EQ(CompareGolden("depth-intersecting-quads", canvas.Pixels(), 64, 48), "");

  // With ZWRITEENABLE off the buffer keeps its content while testing.
  Canvas second(8, 8);
  s.zWriteEnable = false;
  const D3DTLVERTEX tri[] = {Tl(0, 0, 0.5f, 1, 0xFFFFFFFF), Tl(8, 0, 0.5f, 1, 0xFFFFFFFF),
                             Tl(0, 8, 0.5f, 1, 0xFFFFFFFF)};
  r.DrawTransformed(s, nullptr, second.Target(), D3DPT_TRIANGLELIST, tri, 3);
  EXPECT_EQ(second.Pixel(1, 1), 0xFFFFFFu);
  EXPECT_EQ(second.Depth(1, 1), 0xFFFFu);
}

TEST(RasterDepth, DepthFormatsStoreScaledDepth) {
  for (int bytes : {2, 4}) {
    for (uint32_t mask : {0xFFFFFFFFu, 0x00FFFFFFu}) {
      Canvas canvas(4, 4, 4, bytes, mask);
      RenderState s = Unlit();
      const D3DTLVERTEX quad[] = {Tl(0, 4, 0.25f, 1, ~0u), Tl(0, 0, 0.25f, 1, ~0u),
                                  Tl(4, 4, 0.25f, 1, ~0u), Tl(4, 0, 0.25f, 1, ~0u)};
      Rasterizer r;
      r.DrawTransformed(s, nullptr, canvas.Target(), D3DPT_TRIANGLESTRIP, quad, 4);
      const double zmax = bytes == 2 ? 65535.0 : static_cast<double>(mask);
      EXPECT_NEAR(canvas.Depth(1, 1) / zmax, 0.25, 1e-4) << bytes << " " << mask;
    }
  }
}

// Spans wholly behind the depth buffer are skipped before any stage runs;
// the skip must agree with the per-pixel test at equal depth, for LESS and
// LESSEQUAL, for every depth layout, and never drop a span that is hidden
// only in part.
TEST(RasterDepth, HiddenSpansAgreeWithThePerPixelTest) {
  struct Layout {
    int bytes;
    uint32_t mask;
  };
  for (const Layout& l : {Layout{2, 0xFFFF}, Layout{4, 0xFFFFFFFFu}, Layout{4, 0x00FFFFFFu},
                          Layout{4, 0xFFFFFF00u}}) {
    SCOPED_TRACE(l.mask);
    // Wide enough for several blocks of the scan and a short tail.
    Canvas canvas(203, 6, 4, l.bytes, l.mask);
    RenderState s = Unlit();
    Rasterizer r;
    auto quad = [&](float x0, float x1, float z, D3DCOLOR c) {
      const D3DTLVERTEX q[] = {Tl(x0, 6, z, 1, c), Tl(x0, 0, z, 1, c), Tl(x1, 6, z, 1, c),
                               Tl(x1, 0, z, 1, c)};
      r.DrawTransformed(s, nullptr, canvas.Target(), D3DPT_TRIANGLESTRIP, q, 4);
    };
    quad(0, 203, 0.5f, 0xFFFF0000);
    const uint32_t stored = canvas.Depth(100, 3);
    quad(0, 203, 0.5f, 0xFF0000FF);  // equal depth passes LESSEQUAL
    EXPECT_EQ(canvas.Pixel(202, 5), 0x0000FFu);
    s.zFunc = D3DCMP_LESS;
    quad(0, 203, 0.5f, 0xFF00FF00);  // ... but not LESS
    EXPECT_EQ(canvas.Pixel(0, 0), 0x0000FFu);
    EXPECT_EQ(canvas.Pixel(202, 5), 0x0000FFu);
    quad(0, 203, 0.49f, 0xFF00FF00);  // nearer passes LESS
    EXPECT_EQ(canvas.Pixel(150, 2), 0x00FF00u);
    s.zFunc = D3DCMP_LESSEQUAL;
    quad(0, 203, 0.6f, 0xFFFFFFFF);  // behind everywhere: nothing changes
    EXPECT_EQ(canvas.Pixel(101, 3), 0x00FF00u);
    EXPECT_LT(canvas.Depth(100, 3), stored);
    // Far on the left, near on the right: only the right part shows, even
    // though the span starts hidden for many blocks.
    const D3DTLVERTEX lean[] = {Tl(0, 6, 0.9f, 1, ~0u), Tl(0, 0, 0.9f, 1, ~0u),
                                Tl(203, 6, 0.1f, 1, ~0u), Tl(203, 0, 0.1f, 1, ~0u)};
    r.DrawTransformed(s, nullptr, canvas.Target(), D3DPT_TRIANGLESTRIP, lean, 4);
    EXPECT_EQ(canvas.Pixel(20, 3), 0x00FF00u);
    EXPECT_EQ(canvas.Pixel(200, 3), 0xFFFFFFu);
    // Hidden but for its last pixels: those must still be drawn.
    canvas.Clear(0xFF000000);
    quad(0, 190, 0.2f, 0xFFFF0000);
    quad(0, 203, 0.5f, 0xFF0000FF);
    EXPECT_EQ(canvas.Pixel(189, 3), 0xFF0000u);
    EXPECT_EQ(canvas.Pixel(190, 3), 0x0000FFu);
    EXPECT_EQ(canvas.Pixel(202, 3), 0x0000FFu);
  }
}

// A floor from just in front of the camera to the far distance, drawn with
// a checkerboard: columns of squares must converge, not bend, when
// perspective-correct.
void DrawFloor(Canvas& canvas, bool perspective, float left) {
  RenderState s = Unlit();
  s.texturePerspective = perspective;
  TransformState t;
  t.projection = Perspective(1.0f, 1.0f, 0.5f, 200.0f);
  t.view._41 = left;
  TestTexture tex = Checkerboard(64, 2, 0xFFFFFFFF, 0xFF2040A0);
  const D3DVERTEX floor[] = {V(-4, -1, 1, 0, 0), V(-4, -1, 60, 0, 5), V(4, -1, 1, 4, 0),
                             V(4, -1, 60, 4, 5)};
  DrawTarget target = canvas.Target();
  Rasterizer r;
  r.DrawVertices(s, t, &tex.cache, target, D3DPT_TRIANGLESTRIP, floor, 4);
}

TEST(RasterPerspective, CheckerboardFloorPerspectiveAgainstAffine) {
  Canvas persp(96, 96), affine(96, 96);
  DrawFloor(persp, true, 0);
  DrawFloor(affine, false, 0);
  EXPECT_EQ(CompareGolden("floor-perspective", persp.Pixels(), 96, 96), "");
  EXPECT_EQ(CompareGolden("floor-affine", affine.Pixels(), 96, 96), "");
  // Perspective-correct squares shrink towards the horizon, so the lower
  // rows hold few of them; affine interpolation spreads the rows of squares
  // evenly over the screen instead. Count colour changes up the lower part
  // of the centre column.
  auto changesInLowerPart = [](const Canvas& c) {
    int changes = 0;
    for (int y = 95; y > 70; --y) changes += c.Pixel(48, y) != c.Pixel(48, y - 1);
    return changes;
  };
  EXPECT_LE(changesInLowerPart(persp), 1);
  EXPECT_GE(changesInLowerPart(affine), 3);
}

// A smaller viewport shows exactly the pixels the whole canvas gets within
// it: triangles beside it are dropped, none that reaches a pixel centre of
// its edge columns or rows is. Vertices on pixel centres and just off them.
TEST(RasterClip, ViewportShowsExactlyWhatTheWholeCanvasGetsThere) {
  Canvas whole(64, 48), part(64, 48);
  DrawTarget cropped = part.Target();
  cropped.viewport.x0 = 16;
  cropped.viewport.x1 = 48;
  cropped.viewport.y0 = 8;
  cropped.viewport.y1 = 40;
  RenderState s = Unlit();
  s.zEnable = false;
  Rasterizer r;
  uint32_t seed = 12345;
  auto next = [&seed](int range) {
    seed = seed * 1103515245u + 12345u;
    return static_cast<int>((seed >> 8) % static_cast<uint32_t>(range));
  };
  for (int i = 0; i < 400; ++i) {
    // Around the left and right edges (columns 16 and 47).
    const float edge = next(2) ? 16.0f : 47.0f;
    D3DTLVERTEX tri[3];
    for (D3DTLVERTEX& v : tri) {
      const float nudge = next(3) == 0 ? 0.25f * static_cast<float>(next(3) - 1) : 0.0f;
      v = Tl(edge + static_cast<float>(next(5) - 2) + nudge, static_cast<float>(next(48)), 0.5f, 1,
             0xFF000000u | (static_cast<uint32_t>(i) * 2654435761u >> 8));
    }
    whole.Clear(0xFF000000);
    part.Clear(0xFF000000);
    r.DrawTransformed(s, nullptr, whole.Target(), D3DPT_TRIANGLELIST, tri, 3);
    r.DrawTransformed(s, nullptr, cropped, D3DPT_TRIANGLELIST, tri, 3);
    for (int y = 0; y < 48; ++y)
      for (int x = 0; x < 64; ++x) {
        const bool inside = x >= 16 && x < 48 && y >= 8 && y < 40;
        ASSERT_EQ(part.Pixel(x, y), inside ? whole.Pixel(x, y) : 0u)
            << "triangle " << i << " at " << x << "," << y;
      }
  }
}

TEST(RasterClip, QuadCrossingTheNearPlaneIsClippedCleanly) {
  Canvas canvas(64, 64);
  RenderState s = Unlit();
  TransformState t;
  t.projection = Perspective(1.2f, 1.0f, 1.0f, 100.0f);
  TestTexture tex = Checkerboard(32, 4, 0xFFFFC040, 0xFF4060FF);
  // A wall running from behind the camera (z = -5) to z = 20 on the right.
  const D3DVERTEX wall[] = {V(2, -2, -5, 0, 1), V(2, 2, -5, 0, 0), V(2, -2, 20, 4, 1),
                            V(2, 2, 20, 4, 0)};
  Rasterizer r;
  r.DrawVertices(s, t, &tex.cache, canvas.Target(), D3DPT_TRIANGLESTRIP, wall, 4);
  // The wall fills the right edge of the screen up to the image border
  // (clipped at the near plane where it leaves the view) and nothing on
  // the left half.
  EXPECT_NE(canvas.Pixel(63, 32), 0u);
  EXPECT_NE(canvas.Pixel(63, 5), 0u);
  for (int y = 0; y < 64; ++y) EXPECT_EQ(canvas.Pixel(20, y), 0u) << y;
  EXPECT_EQ(CompareGolden("clip-near-plane", canvas.Pixels(), 64, 64), "");

  // Entirely behind the camera: nothing.
  Canvas behind(16, 16);
  const D3DVERTEX back[] = {V(-1, -1, -5, 0, 0), V(-1, 1, -5, 0, 0), V(1, -1, -5, 0, 0)};
  r.DrawVertices(s, t, &tex.cache, behind.Target(), D3DPT_TRIANGLELIST, back, 3);
  for (uint32_t p : behind.Pixels()) ASSERT_EQ(p, 0xFF000000u);
}

TEST(RasterClip, FarPlaneAndViewportScissor) {
  Canvas canvas(32, 32);
  RenderState s = Unlit();
  TransformState t;
  t.projection = Perspective(1.2f, 1.0f, 1.0f, 10.0f);
  const D3DVERTEX far[] = {V(-1, -1, 20, 0, 0), V(-1, 1, 20, 0, 0), V(1, -1, 20, 0, 0)};
  Rasterizer r;
  r.DrawVertices(s, t, nullptr, canvas.Target(), D3DPT_TRIANGLELIST, far, 3);
  for (uint32_t p : canvas.Pixels()) ASSERT_EQ(p, 0xFF000000u);

  // Pre-transformed vertices far outside are scissored to the viewport.
  DrawTarget target = canvas.Target();
  target.viewport = {8, 8, 24, 20, 0.0f, 1.0f};
  const D3DTLVERTEX big[] = {Tl(-1000, -1000, 0, 1, ~0u), Tl(3000, -1000, 0, 1, ~0u),
                             Tl(-1000, 3000, 0, 1, ~0u)};
  r.DrawTransformed(s, nullptr, target, D3DPT_TRIANGLELIST, big, 3);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x)
      ASSERT_EQ(canvas.Pixel(x, y), (x >= 8 && x < 24 && y >= 8 && y < 20) ? 0xFFFFFFu : 0u);
}

}  // namespace
}  // namespace d3dtest

namespace d3dtest {
namespace {

TEST(RasterRobustness, HostileVerticesDrawNothingWrongAndNeverCrash) {
  Canvas canvas(32, 32);
  RenderState s = Unlit();
  s.stages[0].magFilter = s.stages[0].minFilter = D3DTFG_LINEAR;
  TestTexture tex = Checkerboard(8, 2, 0xFFFFFFFF, 0xFF000000);
  const float nan = std::nanf(""), inf = INFINITY;
  const D3DTLVERTEX cases[][3] = {
      {Tl(nan, 0, 0, 1, ~0u), Tl(10, 0, 0, 1, ~0u), Tl(0, 10, 0, 1, ~0u)},
      {Tl(-inf, 0, 0, 1, ~0u), Tl(inf, 0, 0, 1, ~0u), Tl(0, inf, 0, 1, ~0u)},
      {Tl(-1e30f, -1e30f, 0, 1, ~0u), Tl(1e30f, -1e30f, 0, 1, ~0u), Tl(0, 1e30f, 0, 1, ~0u)},
      {Tl(0, 0, nan, 0, ~0u, nan, nan), Tl(30, 0, 5, -1, ~0u, 1e30f, 0), Tl(0, 30, -5, inf, ~0u)},
      {Tl(0, 0, 0, 1e30f, ~0u, 1e20f, -1e20f), Tl(30, 0, 0, 1e-30f, ~0u), Tl(0, 30, 0, 1, ~0u)},
  };
  Rasterizer r;
  for (const auto& tri : cases)
    r.DrawTransformed(s, &tex.cache, canvas.Target(), D3DPT_TRIANGLELIST, tri, 3);
  // The huge triangle covers the whole canvas, scissored.
  EXPECT_NE(canvas.Pixel(16, 16), 0u);

  // Untransformed vertices with NaN and extreme values, and a projection
  // that puts w at zero.
  TransformState t;
  t.projection._44 = 0.0f;
  D3DVERTEX bad[6] = {};
  bad[0].x = nan;
  bad[1].y = 1e30f;
  bad[2].z = -1e30f;
  bad[3].x = 1;
  bad[4].y = 1;
  bad[5].z = 1;
  r.DrawVertices(s, t, &tex.cache, canvas.Target(), D3DPT_TRIANGLELIST, bad, 6);
  r.DrawVertices(s, t, &tex.cache, canvas.Target(), D3DPT_TRIANGLESTRIP, bad, 2);
}

}  // namespace
}  // namespace d3dtest
