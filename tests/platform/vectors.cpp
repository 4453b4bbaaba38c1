// The AVX2 stages and the second thread must give exactly the pixels and
// depth of the scalar single-threaded ones, so that pictures do not depend
// on the processor; and the texel formats those stages read.
#include <gtest/gtest.h>

#include <algorithm>

#include "canvas.h"
#include "d3d/filter.h"

namespace rastertest {
namespace {

using platform::d3d::DefinedBits;
using platform::d3d::ExpandPixel;
using platform::d3d::KeyedBlocks;

// A perspective floor, and quads over it in the state combinations the
// vector stages and their one-loop fast paths take (a keyed texture, alpha
// blending, depth test without write, no depth test with affine spans along
// one texture row, a keyed texture modulated by a colour in perspective and
// affinely, a translucent Gouraud panel), with spans ending on the last
// column of an odd-width canvas, over a depth buffer of the given layout
// whose other bits (a stencil) must survive. Laid out for 101 x 53 and
// scaled to the canvas. The colour of every pixel, then its depth word.
std::vector<uint32_t> DrawScene(int w, int h, uint32_t zMask, int threads = 1) {
  Canvas canvas(w, h, 4, zMask == 0xFFFF ? 2 : 4, zMask);
  canvas.Clear(0xFF304050, 0.5f);
  for (int i = 0; zMask != 0xFFFF && i < w * h; ++i)
    platform::WritePixel(&canvas.depth[4 * i], 4,
                         canvas.DepthWord(i % w, i / w) | (~zMask & (0xA5C3E1B7u ^ i * 131)));
  Rasterizer r;
  r.SetThreads(threads);
  RenderState s = Unlit();
  Bilinear(s);
  TestTexture glass = Checkerboard(16, 4, 0x80FF8000, 0x200080FF, PixelKind::A8R8G8B8);
  TestTexture keyed = Checkerboard(8, 4, 0xFF000000, 0xFFFFC020);
  keyed.Key(0);
  const float sx = w / 101.0f, sy = h / 53.0f;
  auto quad = [&](const TestTexture* tex, float x0, float y0, float x1, float y1, float z,
                  float rhwTop, D3DCOLOR c, float u1, float v1) {
    x0 *= sx, x1 *= sx, y0 *= sy, y1 *= sy;
    Draw(r, s, tex ? &tex->cache : nullptr, canvas.Target(),
         {Tl(x0, y1, z, 1, c, 0, v1), Tl(x0, y0, z, rhwTop, c, 0, 0), Tl(x1, y1, z, 1, c, u1, v1),
          Tl(x1, y0, z, rhwTop, c, u1, 0)});
  };
  TransformState t;
  t.projection._33 = t.projection._34 = 1.0f;
  t.projection._43 = -0.5f;
  t.projection._44 = 0.0f;
  const D3DVERTEX floor[] = {{-3, -1, 1, 0, 0, 0, -2.1f, 0.3f},
                             {-3, -1, 30, 0, 0, 0, -2.1f, 9},
                             {3, -1, 1, 0, 0, 0, 2.1f, 0.3f},
                             {3, -1, 30, 0, 0, 0, 2.1f, 9}};
  s.zEnable = false;
  r.DrawVertices(s, t, &glass.cache, canvas.Target(), D3DPT_TRIANGLESTRIP, floor, 4);
  s.zEnable = true;
  quad(&keyed, 0.4f, 2.2f, 101.0f, 30.5f, 0.3f, 0.4f, ~0u, 2.3f, 1.7f);
  s.alphaBlendEnable = true;
  s.srcBlend = D3DBLEND_SRCALPHA;
  s.destBlend = D3DBLEND_INVSRCALPHA;
  quad(&glass, 7.3f, 10.6f, 101.0f, 50.2f, 0.4f, 0.25f, ~0u, 1.9f, 2.1f);
  s.zWriteEnable = false;
  quad(&glass, 3.1f, 20.4f, 64.7f, 53.0f, 0.2f, 0.6f, 0xFFA0FF60, 1.3f, 0.9f);
  s.zWriteEnable = true;
  s.zEnable = false;
  s.texturePerspective = false;
  quad(&glass, 50.5f, 0.0f, 101.0f, 44.5f, 0.9f, 1.0f, ~0u, 3.1f, 1.1f);
  quad(nullptr, 5, 40, 97, 52, 0, 1, 0x9000FF00, 0, 0);
  s.alphaBlendEnable = false;
  s.zEnable = true;
  s.colorKeyEnable = true;
  s.texturePerspective = true;
  quad(&keyed, 12.2f, 5.9f, 101.0f, 47.3f, 0.1f, 0.3f, 0xFF80C0FF, 3.7f, 2.9f);
  s.texturePerspective = false;
  quad(&keyed, 0.0f, 33.3f, 58.8f, 53.0f, 0.05f, 1.0f, ~0u, 5.3f, 1.2f);
  std::vector<uint32_t> picture = canvas.Pixels();
  for (int i = 0; i < w * h; ++i) picture.push_back(canvas.DepthWord(i % w, i / w));
  return picture;
}

TEST(VectorPaths, GiveTheSamePixelsAndDepthAsScalarAndTwoThreadsAsOne) {
  // 16-bit, 32-bit, and 24-bit depth in the high or low bits of a word.
  for (uint32_t mask : {0xFFFFu, 0xFFFFFFFFu, 0xFFFFFF00u, 0x00FFFFFFu}) {
    SCOPED_TRACE(mask);
    platform::d3d::EnableVectorPaths(false);
    const std::vector<uint32_t> scalar = DrawScene(101, 53, mask);
    platform::d3d::EnableVectorPaths(true);
    const std::vector<uint32_t> vector = DrawScene(101, 53, mask);
    const size_t pixels = 101 * 53;
    for (size_t i = 0; i < scalar.size(); ++i)
      ASSERT_EQ(scalar[i], vector[i])
          << (i < pixels ? "colour " : "depth ") << i % 101 << "," << i % pixels / 101;
    // Not trivial: blended, keyed and untouched pixels all occur, and depth
    // was written.
    const auto depth = vector.begin() + pixels;
    const long background = std::count(vector.begin(), depth, 0xFF304050u);
    EXPECT_GT(background, 0);
    EXPECT_LT(background, long(pixels) / 4);
    EXPECT_NE(*std::min_element(depth, vector.end()), *std::max_element(depth, vector.end()));
  }
  // Large enough for the queue to be split into bands between the threads.
  EXPECT_EQ(DrawScene(404, 212, 0xFFFF, 1), DrawScene(404, 212, 0xFFFF, 2));
}

// Raw pixels of a width x height texture with every keyEvery-th one equal to
// the key and the others varied.
TestTexture Varied(PixelKind kind, int width, int height, bool hasKey, uint32_t key, int keyEvery) {
  uint32_t state = 2654435761u;
  int n = 0;
  TestTexture t = MakeTexture(kind, width, height, [&](int, int) {
    state = state * 1664525u + 1013904223u;
    return n++ % keyEvery == 0 ? key : state >> 3;
  });
  if (hasKey) t.Key(key);
  return t;
}

TEST(TexelLayout, EveryOfferedFormatExpandsToArgb) {
  const struct {
    PixelKind kind;
    uint32_t raw, argb;
  } truth[] = {
      {PixelKind::R5G6B5, 0xF81F, 0xFFFF00FF},      {PixelKind::X1R5G5B5, 0x03E0, 0xFF00FF00},
      {PixelKind::A1R5G5B5, 0x7C00, 0x00FF0000},    {PixelKind::A4R4G4B4, 0x8F84, 0x88FF8844},
      {PixelKind::R8G8B8, 0x123456, 0xFF123456},    {PixelKind::X8R8G8B8, 0xABCDEF, 0xFFABCDEF},
      {PixelKind::A8R8G8B8, 0x40ABCDEF, 0x40ABCDEF}};
  // A colour key compares only the channel bits: 0xFF000000 is black where
  // the high bits belong to no channel.
  EXPECT_EQ(DefinedBits(platform::MakePixelFormat(PixelKind::R5G6B5)), 0xFFFFu);
  EXPECT_EQ(DefinedBits(platform::MakePixelFormat(PixelKind::X8R8G8B8)), 0xFFFFFFu);
  EXPECT_EQ(DefinedBits(platform::MakePixelFormat(PixelKind::A8R8G8B8)), 0xFFFFFFFFu);
  for (const auto& c : truth)
    EXPECT_EQ(ExpandPixel(c.raw, platform::MakePixelFormat(c.kind)), c.argb) << std::hex << c.raw;
}

// The plain texels of a keyed texture are derived from its coverage texels:
// drawn with keying off it must look exactly like the same pixels without a
// key, on every sampling path.
TEST(TexelLayout, KeyedTextureDrawnWithoutKeyingLooksUnkeyed) {
  const TestTexture keyed = Varied(PixelKind::R5G6B5, 13, 11, true, 0x07E0, 3);
  const TestTexture plain = Varied(PixelKind::R5G6B5, 13, 11, false, 0x07E0, 3);
  ASSERT_TRUE(keyed.cache.HasCoverage());
  for (int variant = 0; variant < 8; ++variant) {
    SCOPED_TRACE(variant);
    platform::d3d::EnableVectorPaths(variant & 1);
    RenderState s = Unlit(false);
    if (variant & 2) Bilinear(s);
    s.texturePerspective = variant & 4;
    std::vector<uint32_t> pictures[2];
    for (int i = 0; i < 2; ++i) {
      Canvas canvas(61, 47);
      canvas.Clear(0xFF102030);
      Rasterizer r;
      const TexelCache* tex = i ? &plain.cache : &keyed.cache;
      // Rows of constant v, and a slanted quad in perspective, both wrapping.
      Draw(r, s, tex, canvas.Target(), Quad(0, 0, 61, 30, 0.5f, ~0u, -0.3f, 0, 2.1f, 1.7f));
      Draw(r, s, tex, canvas.Target(),
           {Tl(3, 46, 0.5f, 1.0f, 0xFFC08040, 0, 3), Tl(20, 28, 0.5f, 0.2f, 0xFFC08040, 0, 0),
            Tl(58, 44, 0.5f, 1.0f, 0xFFC08040, 3, 3), Tl(44, 31, 0.5f, 0.2f, 0xFFC08040, 3, 0)});
      pictures[i] = canvas.Pixels();
    }
    EXPECT_EQ(pictures[0], pictures[1]);
  }
  platform::d3d::EnableVectorPaths(true);
}

// Triangles and spans that sample only keyed texels are dropped before
// their pixels are worked out: "all keyed" may be answered only when no
// point or bilinear sample in the range can read an unkeyed texel, across
// the texture's wrap, and never for coordinates that cannot be placed.
TEST(KeyedBlocks, AllKeyedOnlyWhereNoSampleCanReachAnUnkeyedTexel) {
  // 32 x 32 black (the key) but for one white texel; coordinates in texels.
  auto oneOpen = [](int ox, int oy) {
    TestTexture t = MakeTexture(PixelKind::X8R8G8B8, 32, 32, [=](int x, int y) {
      return x == ox && y == oy ? 0xFFFFFFFFu : 0xFF000000u;
    });
    t.Key(0);
    return t;
  };
  auto T = [](double t) { return t / 32.0; };
  KeyedBlocks blocks;
  TestTexture tex = oneOpen(20, 9);
  auto allKeyed = [&](const TestTexture& t, double u0, double u1, double v0, double v1) {
    return KeyedBlocks::AllKeyed(*blocks.TableFor(t.cache), T(u0), T(u1), T(v0), T(v1));
  };
  EXPECT_TRUE(blocks.TableFor(tex.cache)->mostlyKeyed);
  EXPECT_TRUE(allKeyed(tex, 0, 10, 0, 4));
  EXPECT_TRUE(allKeyed(tex, 0, 31, 20, 28));
  // A point sample in texel 20 reads it; bilinear ones at 21.4 and 20.1
  // blend it with a neighbour.
  EXPECT_FALSE(allKeyed(tex, 20.5, 20.5, 9.5, 9.5));
  EXPECT_FALSE(allKeyed(tex, 21.4, 26, 9.5, 9.5));
  EXPECT_FALSE(allKeyed(tex, 2, 20.1, 10.4, 12));
  // Bilinear reach across a boundary of the 8-texel blocks.
  EXPECT_FALSE(allKeyed(oneOpen(23, 9), 24.3, 30, 9.5, 9.5));
  EXPECT_FALSE(allKeyed(oneOpen(24, 9), 17, 23.9, 9.5, 9.5));
  // Through the wrap: a whole texture away, and ranges over the edge.
  EXPECT_FALSE(allKeyed(tex, 20.5 + 96, 20.5 + 96, 9.5 - 64, 9.5 - 64));
  const TestTexture corner = oneOpen(0, 0);
  EXPECT_FALSE(allKeyed(corner, 31.6, 31.9, 31.6, 31.9));
  EXPECT_FALSE(allKeyed(corner, 28, 33, 10, 40));
  EXPECT_TRUE(allKeyed(corner, 10, 20, 10, 20));
  EXPECT_FALSE(allKeyed(tex, -40, -8, 8, 10));                    // as wide as the texture
  EXPECT_FALSE(allKeyed(tex, std::nan(""), std::nan(""), 0, 4));  // cannot be placed
  EXPECT_FALSE(allKeyed(tex, 3.2e10, 3.2e10, 0, 4));
  // A new picture in the same texture is seen; no key, no table.
  tex.Set(3, 2, 0xFFFFFFFF);
  tex.cache.Build(tex.source);
  EXPECT_FALSE(allKeyed(tex, 0, 8, 0, 4));
  EXPECT_EQ(blocks.TableFor(Checkerboard(8, 2, 0xFF000000, ~0u).cache), nullptr);
}

}  // namespace
}  // namespace rastertest
