// The AVX2 stages must give exactly the pixels of the scalar ones, so that
// pictures do not depend on the processor.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "canvas.h"
#include "d3d/filter.h"

namespace d3dtest {
namespace {

// A scene touching every vector stage: an affine bilinear quad with depth,
// a perspective bilinear floor, a keyed sprite and an alpha-blended panel,
// on spans of odd lengths.
std::vector<uint32_t> DrawScene(int width = 123, int height = 77, int threads = 1) {
  Canvas canvas(width, height);
  canvas.Clear(0xFF102030);
  Rasterizer r;
  r.SetThreads(threads);
  // The scene is laid out for 123 x 77; larger canvases draw it scaled.
  const float sx = width / 123.0f, sy = height / 77.0f;
  auto S = [&](float x, float y, float z, float rhw, D3DCOLOR c, float u = 0, float v = 0) {
    return Tl(x * sx, y * sy, z, rhw, c, u, v);
  };
  RenderState s;
  s.cullMode = D3DCULL_NONE;
  s.lighting = false;
  s.zEnable = true;
  s.texturePerspective = false;
  s.stages[0].magFilter = s.stages[0].minFilter = D3DTFG_LINEAR;
  TestTexture sky = Checkerboard(16, 4, 0xFFFF8000, 0xFF0080FF);
  const D3DTLVERTEX quad[] = {S(0.3f, 77, 0.9f, 0.5f, ~0u, 0, 1), S(0.3f, 0, 0.9f, 0.5f, ~0u, 0, 0),
                              S(123, 77, 0.9f, 0.5f, ~0u, 1.3f, 1),
                              S(123, 0, 0.9f, 0.5f, ~0u, 1.3f, 0)};
  r.DrawTransformed(s, &sky.cache, canvas.Target(), D3DPT_TRIANGLESTRIP, quad, 4);

  s.texturePerspective = true;
  TransformState t;
  t.projection._33 = 1.0f;
  t.projection._34 = 1.0f;
  t.projection._43 = -0.5f;
  t.projection._44 = 0.0f;
  D3DVERTEX floor[4] = {};
  const float xz[4][2] = {{-3, 1}, {-3, 30}, {3, 1}, {3, 30}};
  for (int i = 0; i < 4; ++i) {
    floor[i].x = xz[i][0];
    floor[i].y = -1;
    floor[i].z = xz[i][1];
    floor[i].tu = xz[i][0] * 0.7f;
    floor[i].tv = xz[i][1] * 0.3f;
  }
  r.DrawVertices(s, t, &sky.cache, canvas.Target(), D3DPT_TRIANGLESTRIP, floor, 4);

  TestTexture sprite = Checkerboard(8, 2, 0xFF000000, 0xFFFFFF00);
  sprite.source.hasColorKey = true;
  sprite.source.colorKey = 0;
  sprite.Rebuild();
  s.colorKeyEnable = true;
  const D3DTLVERTEX spr[] = {S(10.5f, 60, 0.2f, 1, ~0u, 0, 1), S(10.5f, 5, 0.2f, 1, ~0u, 0, 0),
                             S(70, 60, 0.2f, 1, ~0u, 1, 1), S(70, 5, 0.2f, 1, ~0u, 1, 0)};
  r.DrawTransformed(s, &sprite.cache, canvas.Target(), D3DPT_TRIANGLESTRIP, spr, 4);

  s.colorKeyEnable = false;
  // Textured with a constant non-white diffuse colour: the modulate stage.
  const D3DTLVERTEX tinted[] = {
      S(80, 30, 0.1f, 1, 0xC080FF40, 0, 1), S(80, 3, 0.1f, 1, 0xC080FF40, 0, 0),
      S(119, 30, 0.1f, 1, 0xC080FF40, 2, 1), S(119, 3, 0.1f, 1, 0xC080FF40, 2, 0)};
  r.DrawTransformed(s, &sky.cache, canvas.Target(), D3DPT_TRIANGLESTRIP, tinted, 4);
  s.alphaBlendEnable = true;
  s.srcBlend = D3DBLEND_SRCALPHA;
  s.destBlend = D3DBLEND_INVSRCALPHA;
  const D3DTLVERTEX panel[] = {S(5, 70, 0, 1, 0x60FF0000), S(5, 40, 0, 1, 0x20FFFFFF),
                               S(117, 70, 0, 1, 0xE00000FF), S(117, 40, 0, 1, 0x9000FF00)};
  r.DrawTransformed(s, nullptr, canvas.Target(), D3DPT_TRIANGLESTRIP, panel, 4);
  return canvas.Pixels();
}

TEST(VectorPaths, GiveTheSamePixelsAsScalar) {
  platform::d3d::EnableVectorPaths(false);
  const std::vector<uint32_t> scalar = DrawScene();
  platform::d3d::EnableVectorPaths(true);
  const std::vector<uint32_t> vector = DrawScene();
  ASSERT_EQ(scalar.size(), vector.size());
  for (size_t i = 0; i < scalar.size(); ++i)
    ASSERT_EQ(scalar[i], vector[i]) << "pixel " << i % 123 << "," << i / 123;
  EXPECT_EQ(CompareGolden("vector-scalar-scene", vector, 123, 77), "");
}

TEST(Threads, TwoThreadsDrawTheSamePicture) {
  // Large enough for the batches to be split into bands.
  const std::vector<uint32_t> one = DrawScene(492, 308, 1);
  const std::vector<uint32_t> two = DrawScene(492, 308, 2);
  ASSERT_EQ(one.size(), two.size());
  for (size_t i = 0; i < one.size(); ++i) ASSERT_EQ(one[i], two[i]) << "pixel " << i;
}

}  // namespace
}  // namespace d3dtest

namespace d3dtest {
namespace {

using platform::d3d::SpanCoords;

// The fixed-row filter against the per-pixel scalar arithmetic, on spans
// that wrap around the texture and on magnified and minified steps.
TEST(VectorPaths, FixedRowFilterMatchesScalar) {
  if (!platform::d3d::HaveAvx2()) GTEST_SKIP() << "no AVX2 on this processor";
  TestTexture tex = Checkerboard(24, 3, 0xFF20C0F0, 0x80FF4000);
  for (int y = 0; y < 24; ++y)
    for (int x = 0; x < 24; ++x) tex.bits[(y * 24 + x) * 4] = static_cast<uint8_t>(x * 10 + y);
  tex.Rebuild();
  const TexelCache& t = tex.cache;
  const uint32_t steps[] = {0x01000000u, 0x0A3D70A4u, 0xF0000000u, 0x00123456u};
  for (uint32_t du : steps)
    for (uint32_t v : {0u, 0x7FFF1234u, 0xFFFF0000u}) {
      SpanCoords c;
      c.u = 0xF1234567u;
      c.du = du;
      c.v = v;
      uint32_t vector[72], scalar[72];
      const int done = platform::d3d::BilinearRowAvx2(t.Pairs(false), t.Serial(), t.Stride(), 24,
                                                      24, c, 67, vector);
      ASSERT_GE(done, 67);
      for (int i = 0; i < 67; ++i) {
        uint32_t u16, v16;
        platform::d3d::CoordAt(c, i, &u16, &v16);
        const platform::d3d::Footprint f = platform::d3d::BilinearFootprint(
            u16, v16, 24, 24, 32768u / 24, 32768u / 24, t.Stride());
        const size_t at = f.index, below = at + t.Stride();
        scalar[i] = platform::d3d::BilinearBlend(t.TexelAt(at), t.TexelAt(at + 1), t.TexelAt(below),
                                                 t.TexelAt(below + 1), f.fx, f.fy);
        ASSERT_EQ(vector[i], scalar[i]) << "pixel " << i << " du " << du << " v " << v;
      }
    }
}

}  // namespace
}  // namespace d3dtest

namespace d3dtest {
namespace {

// Textured quads in the state combinations the one-loop fast paths take
// (alpha blending, depth test without write, no depth test, a keyed
// texture modulated by a colour, a keyed texture with partial coverage,
// affine spans along one texture row), each with spans that end on the
// last column of an odd-width canvas, over a z-buffer of the given width
// and depth mask. Colour and depth word of every pixel.
struct Picture {
  std::vector<uint32_t> color, depth;
};

Picture DrawFastPathScene(int depthBytes, uint32_t zMask) {
  Canvas canvas(101, 53, 4, depthBytes, zMask);
  canvas.Clear(0xFF304050, 0.5f);
  if (depthBytes == 4 && zMask != 0xFFFFFFFFu) {
    // Bits beside the depth bits (a stencil) must survive depth writes.
    const DrawTarget t = canvas.Target();
    for (int y = 0; y < canvas.Height(); ++y)
      for (int x = 0; x < canvas.Width(); ++x) {
        uint8_t* p = t.depth.bits + static_cast<size_t>(y) * t.depth.pitch + 4 * x;
        uint32_t v;
        std::memcpy(&v, p, 4);
        v |= ~zMask & (0xA5C3E1B7u ^ static_cast<uint32_t>(x * 131 + y * 17));
        std::memcpy(p, &v, 4);
      }
  }
  Rasterizer r;
  RenderState s;
  s.cullMode = D3DCULL_NONE;
  s.lighting = false;
  s.zEnable = true;
  s.stages[0].magFilter = s.stages[0].minFilter = D3DTFG_LINEAR;
  TestTexture glass = Checkerboard(16, 4, 0x80FF8000, 0x200080FF);
  glass.source.format = RgbFormat(32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000);
  glass.Rebuild();
  TestTexture keyed = Checkerboard(8, 4, 0xFF000000, 0xFFFFC020);
  keyed.source.hasColorKey = true;
  keyed.source.colorKey = 0;
  keyed.Rebuild();
  auto quad = [&](const TestTexture& tex, float x0, float y0, float x1, float y1, float z,
                  float rhwFar, D3DCOLOR c, float u1, float v1) {
    const D3DTLVERTEX q[] = {Tl(x0, y1, z, 1.0f, c, 0, v1), Tl(x0, y0, z, rhwFar, c, 0, 0),
                             Tl(x1, y1, z, 1.0f, c, u1, v1), Tl(x1, y0, z, rhwFar, c, u1, 0)};
    r.DrawTransformed(s, &tex.cache, canvas.Target(), D3DPT_TRIANGLESTRIP, q, 4);
  };
  // Depth written here is tested by the quads after it.
  quad(keyed, 0.4f, 2.2f, 101.0f, 30.5f, 0.3f, 0.4f, 0xFFFFFFFF, 2.3f, 1.7f);
  s.alphaBlendEnable = true;
  s.srcBlend = D3DBLEND_SRCALPHA;
  s.destBlend = D3DBLEND_INVSRCALPHA;
  quad(glass, 7.3f, 10.6f, 101.0f, 50.2f, 0.4f, 0.25f, 0xFFFFFFFF, 1.9f, 2.1f);
  s.zWriteEnable = false;
  quad(glass, 3.1f, 20.4f, 64.7f, 53.0f, 0.2f, 0.6f, 0xFFA0FF60, 1.3f, 0.9f);
  s.zWriteEnable = true;
  s.zEnable = false;
  s.texturePerspective = false;
  quad(glass, 50.5f, 0.0f, 101.0f, 44.5f, 0.9f, 1.0f, 0xFFFFFFFF, 3.1f,
       1.1f);  // rows of one texel row
  s.alphaBlendEnable = false;
  s.zEnable = true;
  s.colorKeyEnable = true;
  s.texturePerspective = true;
  quad(keyed, 12.2f, 5.9f, 101.0f, 47.3f, 0.1f, 0.3f, 0xFF80C0FF, 3.7f, 2.9f);
  s.texturePerspective = false;
  quad(keyed, 0.0f, 33.3f, 58.8f, 53.0f, 0.05f, 1.0f, 0xFFFFFFFF, 5.3f, 1.2f);
  Picture p;
  p.color = canvas.Pixels();
  // The whole depth word, bits beside the depth bits included.
  const DrawTarget t = canvas.Target();
  for (int y = 0; y < canvas.Height(); ++y)
    for (int x = 0; x < canvas.Width(); ++x) {
      uint32_t v = 0;
      std::memcpy(&v, t.depth.bits + static_cast<size_t>(y) * t.depth.pitch + depthBytes * x,
                  depthBytes);
      p.depth.push_back(v);
    }
  return p;
}

TEST(VectorPaths, FastPathsGiveTheSamePixelsAndDepthAsScalar) {
  // 16-bit, 32-bit, and 24-bit depth in the high or low bits of a word.
  const struct {
    int bytes;
    uint32_t mask;
  } buffers[] = {{2, 0xFFFFFFFFu}, {4, 0xFFFFFFFFu}, {4, 0xFFFFFF00u}, {4, 0x00FFFFFFu}};
  for (const auto& b : buffers) {
    SCOPED_TRACE(testing::Message() << b.bytes << "-byte depth, mask " << std::hex << b.mask);
    platform::d3d::EnableVectorPaths(false);
    const Picture scalar = DrawFastPathScene(b.bytes, b.mask);
    platform::d3d::EnableVectorPaths(true);
    const Picture vector = DrawFastPathScene(b.bytes, b.mask);
    ASSERT_EQ(scalar.color.size(), vector.color.size());
    for (size_t i = 0; i < scalar.color.size(); ++i) {
      ASSERT_EQ(scalar.color[i], vector.color[i]) << "pixel " << i % 101 << "," << i / 101;
      ASSERT_EQ(scalar.depth[i], vector.depth[i]) << "depth " << i % 101 << "," << i / 101;
    }
    // The scene is not trivial: blended, keyed and untouched pixels all
    // occur, and depth was written.
    int background = 0;
    for (uint32_t c : vector.color) background += (c & 0xFFFFFF) == 0x304050;
    EXPECT_GT(background, 0);
    EXPECT_LT(background, static_cast<int>(vector.color.size()) / 4);
    EXPECT_NE(*std::min_element(vector.depth.begin(), vector.depth.end()),
              *std::max_element(vector.depth.begin(), vector.depth.end()));
  }
}

}  // namespace
}  // namespace d3dtest
