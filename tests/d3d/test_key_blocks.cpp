// Dropping triangles and spans that sample only keyed texels: the test may
// answer "all keyed" only when no point or bilinear sample in the range can
// read an unkeyed texel, across the texture's wrap, and never for
// coordinates it cannot place.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "canvas.h"
#include "d3d/key_blocks.h"

namespace d3dtest {
namespace {

using platform::d3d::KeyedBlocks;

// 32 x 32, black (the key) but for one white texel at (x, y).
TestTexture OneOpenTexel(int x, int y) {
  TestTexture t = Checkerboard(32, 1, 0xFF000000, 0xFF000000);
  const uint32_t white = 0xFFFFFFFF;
  std::memcpy(&t.bits[(static_cast<size_t>(y) * 32 + x) * 4], &white, 4);
  t.source.hasColorKey = true;
  t.source.colorKey = 0;
  t.Rebuild();
  return t;
}

// Texture units of texel coordinate t (32 texels).
double T(double t) {
  return t / 32.0;
}

TEST(KeyedBlocks, AllKeyedOnlyWhereNoSampleCanReachAnUnkeyedTexel) {
  KeyedBlocks blocks;
  TestTexture tex = OneOpenTexel(20, 9);
  const KeyedBlocks::Table& t = *blocks.TableFor(tex.cache);
  EXPECT_TRUE(t.mostlyKeyed);
  // Well away from the open texel, in both directions.
  EXPECT_TRUE(KeyedBlocks::AllKeyed(t, T(0), T(10), T(0), T(4)));
  EXPECT_TRUE(KeyedBlocks::AllKeyed(t, T(0), T(31), T(20), T(28)));
  // A point sample in texel 20 reads it, a bilinear one at 21.4 blends
  // texels 20 and 21, one at 20.1 blends 19 and 20: none may be dropped.
  EXPECT_FALSE(KeyedBlocks::AllKeyed(t, T(20.5), T(20.5), T(9.5), T(9.5)));
  EXPECT_FALSE(KeyedBlocks::AllKeyed(t, T(21.4), T(26), T(9.5), T(9.5)));
  EXPECT_FALSE(KeyedBlocks::AllKeyed(t, T(2), T(20.1), T(10.4), T(12)));
  // Bilinear reach across a block boundary (blocks are 8 texels): a sample
  // at 24.3 blends texels 23 and 24, one at 23.9 too.
  TestTexture endOfBlock = OneOpenTexel(23, 9);
  EXPECT_FALSE(
      KeyedBlocks::AllKeyed(*blocks.TableFor(endOfBlock.cache), T(24.3), T(30), T(9.5), T(9.5)));
  TestTexture startOfBlock = OneOpenTexel(24, 9);
  EXPECT_FALSE(
      KeyedBlocks::AllKeyed(*blocks.TableFor(startOfBlock.cache), T(17), T(23.9), T(9.5), T(9.5)));
  // The same texel seen through the wrap: coordinates a whole texture
  // away, and ranges running over the edge.
  EXPECT_FALSE(KeyedBlocks::AllKeyed(t, T(20.5) + 3, T(20.5) + 3, T(9.5) - 2, T(9.5) - 2));
  TestTexture corner = OneOpenTexel(0, 0);
  const KeyedBlocks::Table& c = *blocks.TableFor(corner.cache);
  EXPECT_FALSE(KeyedBlocks::AllKeyed(c, T(31.6), T(31.9), T(31.6), T(31.9)));
  EXPECT_FALSE(KeyedBlocks::AllKeyed(c, T(28), T(33), T(10), T(40)));
  EXPECT_TRUE(KeyedBlocks::AllKeyed(c, T(10), T(20), T(10), T(20)));
  // A range as wide as the texture covers every texel.
  EXPECT_FALSE(KeyedBlocks::AllKeyed(t, T(-40), T(-8), T(8), T(10)));
  // Coordinates it cannot place.
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_FALSE(KeyedBlocks::AllKeyed(t, nan, nan, T(0), T(4)));
  EXPECT_FALSE(KeyedBlocks::AllKeyed(t, 1e9, 1e9, T(0), T(4)));
  // No key, no table.
  TestTexture plain = Checkerboard(8, 2, 0xFF000000, 0xFFFFFFFF);
  EXPECT_EQ(blocks.TableFor(plain.cache), nullptr);
}

TEST(KeyedBlocks, ANewPictureInTheSameTextureIsSeen) {
  KeyedBlocks blocks;
  TestTexture tex = OneOpenTexel(20, 9);
  EXPECT_TRUE(KeyedBlocks::AllKeyed(*blocks.TableFor(tex.cache), T(0), T(8), T(0), T(4)));
  const uint32_t white = 0xFFFFFFFF;
  std::memcpy(&tex.bits[(2 * 32 + 3) * 4], &white, 4);
  tex.Rebuild();
  EXPECT_FALSE(KeyedBlocks::AllKeyed(*blocks.TableFor(tex.cache), T(0), T(8), T(0), T(4)));
}

// Through the rasteriser, with and without perspective: quads sampling
// only the keyed margin leave colour and depth alone; a quad whose
// triangles reach the open texel, though most of its rows do not, still
// draws it.
TEST(KeyedBlocks, DroppedTrianglesAndSpansWouldHaveDrawnNothing) {
  for (float rhwRight : {1.0f, 0.25f}) {
    TestTexture tex = OneOpenTexel(20, 9);
    Canvas canvas(48, 48);
    canvas.Clear(0xFF102030, 0.75f);
    RenderState s;
    s.cullMode = D3DCULL_NONE;
    s.lighting = false;
    s.zEnable = true;
    s.colorKeyEnable = true;
    Rasterizer r;
    auto quad = [&](double u0, double u1, double v0, double v1) {
      const float a = static_cast<float>(u0), b = static_cast<float>(u1);
      const float c = static_cast<float>(v0), d = static_cast<float>(v1);
      const D3DTLVERTEX q[] = {Tl(0, 48, 0.5f, 1, ~0u, a, d), Tl(0, 0, 0.5f, 1, ~0u, a, c),
                               Tl(48, 48, 0.5f, rhwRight, ~0u, b, d),
                               Tl(48, 0, 0.5f, rhwRight, ~0u, b, c)};
      r.DrawTransformed(s, &tex.cache, canvas.Target(), D3DPT_TRIANGLESTRIP, q, 4);
    };
    quad(T(0), T(8), T(0), T(6));
    for (int y = 0; y < 48; ++y)
      for (int x = 0; x < 48; ++x) {
        ASSERT_EQ(canvas.Pixel(x, y), 0x102030u);
        ASSERT_EQ(canvas.Depth(x, y), canvas.Depth(0, 0));
      }
    // The whole texture over the canvas: only the open texel's
    // neighbourhood shows (around x = 20/32 * 48, y = 9/32 * 48).
    quad(0, 1, 0, 1);
    int shown = 0;
    for (int y = 0; y < 48; ++y)
      for (int x = 0; x < 48; ++x) shown += canvas.Pixel(x, y) != 0x102030u;
    EXPECT_GT(shown, 0);
    EXPECT_LT(shown, 100);
  }
}

}  // namespace
}  // namespace d3dtest
