// How expanded textures are kept: vertical texel pairs with a wrapped
// column and row, coverage texels for keyed textures without alpha (the
// plain texels derived from them on demand), and rebuilds that leave
// nothing of the previous content behind.
#include <gtest/gtest.h>

#include <cstring>

#include "canvas.h"
#include "d3d/filter.h"

namespace d3dtest {
namespace {

using platform::d3d::DefinedBits;
using platform::d3d::ExpandPixel;

// Raw pixels of a width x height texture in `format`, with every
// `keyEvery`-th one equal to `key` (0: none) and the others varied.
TestTexture Texture(const DDPIXELFORMAT& format, int width, int height, bool hasKey, uint32_t key,
                    int keyEvery, uint32_t seed = 1) {
  TestTexture t;
  const int bytes = static_cast<int>(format.dwRGBBitCount / 8);
  const int pitch = width * bytes + 3;  // rows need not be packed
  t.bits.assign(static_cast<size_t>(pitch) * height, 0xAB);
  uint32_t state = seed * 2654435761u;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      state = state * 1664525u + 1013904223u;
      uint32_t raw = state >> 3;
      if (keyEvery && (y * width + x) % keyEvery == 0) raw = key;
      std::memcpy(&t.bits[static_cast<size_t>(y) * pitch + x * bytes], &raw, bytes);
    }
  t.source.bits = t.bits.data();
  t.source.pitch = pitch;
  t.source.width = width;
  t.source.height = height;
  t.source.format = format;
  t.source.hasColorKey = hasKey;
  t.source.colorKey = key;
  t.Rebuild();
  return t;
}

uint32_t RawAt(const TestTexture& t, int x, int y) {
  const int bytes = static_cast<int>(t.source.format.dwRGBBitCount / 8);
  uint32_t raw = 0;
  std::memcpy(&raw, &t.bits[static_cast<size_t>(y) * t.source.pitch + x * bytes], bytes);
  return raw;
}

// Checks every representation of the cache against the source pixels,
// over the whole padded layout (the extra column and row wrap around).
void ExpectMatchesSource(const TestTexture& t) {
  const TexelCache& c = t.cache;
  const int w = t.source.width, h = t.source.height, stride = w + 1;
  ASSERT_TRUE(c.Valid());
  ASSERT_EQ(c.Stride(), stride);
  const uint32_t defined = DefinedBits(t.source.format);
  const bool hasAlpha = (t.source.format.dwFlags & DDPF_ALPHAPIXELS) != 0;
  EXPECT_EQ(c.HasCoverage(), t.source.hasColorKey && !hasAlpha);
  auto texel = [&](int x, int y) { return ExpandPixel(RawAt(t, x % w, y % h), t.source.format); };
  auto keyed = [&](int x, int y) {
    return t.source.hasColorKey &&
           (RawAt(t, x % w, y % h) & defined) == (t.source.colorKey & defined);
  };
  const uint64_t* plain = c.Pairs(false);
  const uint64_t* coverage = c.Pairs(true);
  ASSERT_NE(plain, nullptr);
  EXPECT_EQ(coverage != nullptr, c.HasCoverage());
  for (int y = 0; y <= h; ++y)
    for (int x = 0; x <= w; ++x) {
      const size_t at = static_cast<size_t>(y) * stride + x;
      ASSERT_EQ(c.TexelAt(at), texel(x, y)) << x << "," << y;
      ASSERT_EQ(c.KeyedAt(at), keyed(x, y)) << x << "," << y;
      if (y == h) continue;
      ASSERT_EQ(plain[at], texel(x, y) | uint64_t{texel(x, y + 1)} << 32) << x << "," << y;
      if (!coverage) continue;
      const uint64_t upper = keyed(x, y) ? 0 : texel(x, y);
      const uint64_t lower = keyed(x, y + 1) ? 0 : texel(x, y + 1);
      ASSERT_EQ(coverage[at], upper | lower << 32) << x << "," << y;
    }
}

TEST(TexelLayout, EveryFormatKeepsEachTexelWithTheOneBelowAndWraps) {
  const DDPIXELFORMAT r5g6b5 = RgbFormat(16, 0xF800, 0x07E0, 0x001F);
  const DDPIXELFORMAT x1r5g5b5 = RgbFormat(16, 0x7C00, 0x03E0, 0x001F);
  const DDPIXELFORMAT a4r4g4b4 = RgbFormat(16, 0x0F00, 0x00F0, 0x000F, 0xF000);
  const DDPIXELFORMAT r8g8b8 = RgbFormat(24, 0xFF0000, 0xFF00, 0xFF);
  const DDPIXELFORMAT x8r8g8b8 = RgbFormat(32, 0xFF0000, 0xFF00, 0xFF);
  const DDPIXELFORMAT a8r8g8b8 = RgbFormat(32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000);
  struct Case {
    DDPIXELFORMAT format;
    bool hasKey;
    uint32_t key;
  };
  // Keys with bits outside the channels (ignored), a key of a non-black
  // colour, and keyed textures with and without alpha.
  const Case cases[] = {
      {r5g6b5, true, 0xFF000000}, {r5g6b5, false, 0},           {x1r5g5b5, true, 0x8000 | 0x1234},
      {a4r4g4b4, true, 0x0F0F},   {r8g8b8, true, 0x00808080},   {x8r8g8b8, true, 0x77102030},
      {x8r8g8b8, false, 0},       {a8r8g8b8, true, 0xFF000000}, {a8r8g8b8, false, 0},
  };
  for (const Case& k : cases)
    for (int size : {1, 2, 5}) {
      SCOPED_TRACE(testing::Message()
                   << k.format.dwRGBBitCount << "-bit " << std::hex << k.format.dwRBitMask
                   << " key " << k.key << std::dec << " size " << size);
      ExpectMatchesSource(Texture(k.format, size, size + 2, k.hasKey, k.key, 3));
    }
}

TEST(TexelLayout, RebuildsReplaceEveryRepresentation) {
  const DDPIXELFORMAT x8r8g8b8 = RgbFormat(32, 0xFF0000, 0xFF00, 0xFF);
  TestTexture t = Texture(x8r8g8b8, 7, 4, true, 0x00FF00FF, 2, 1);
  ExpectMatchesSource(t);  // also makes the plain pairs of the keyed texture
  const uint64_t serial = t.cache.Serial();

  // New content of the same size: nothing derived from the old may stay.
  TestTexture other = Texture(x8r8g8b8, 7, 4, true, 0x00123456, 3, 2);
  t.bits = other.bits;
  t.source.bits = t.bits.data();
  t.source.colorKey = 0x00123456;
  t.Rebuild();
  EXPECT_NE(t.cache.Serial(), serial);
  ExpectMatchesSource(t);

  // The key taken away, then another size, then the key back.
  t.source.hasColorKey = false;
  t.Rebuild();
  ExpectMatchesSource(t);
  TestTexture bigger = Texture(x8r8g8b8, 9, 6, true, 0x00123456, 4, 3);
  t.bits = bigger.bits;
  t.source = bigger.source;
  t.source.bits = t.bits.data();
  t.Rebuild();
  ExpectMatchesSource(t);

  // A format the device does not offer empties the cache.
  t.source.format = RgbFormat(8, 0xE0, 0x1C, 0x03);
  t.Rebuild();
  EXPECT_FALSE(t.cache.Valid());
  EXPECT_FALSE(t.cache.HasKey());
  EXPECT_EQ(t.cache.Pairs(false), nullptr);
}

// A keyed texture drawn with keying off must look exactly like the same
// picture without a key, whatever path samples it: its plain texels are
// derived from the coverage ones, so the keyed texels must come back.
TEST(TexelLayout, KeyedTextureDrawnWithoutKeyingLooksUnkeyed) {
  const DDPIXELFORMAT r5g6b5 = RgbFormat(16, 0xF800, 0x07E0, 0x001F);
  TestTexture keyed = Texture(r5g6b5, 13, 11, true, 0x07E0, 3);
  // The same pixels (same seed), without a key.
  const TestTexture plain = Texture(r5g6b5, 13, 11, false, 0x07E0, 3);
  ASSERT_EQ(plain.bits, keyed.bits);
  ASSERT_TRUE(keyed.cache.HasCoverage());
  for (bool vector : {true, false})
    for (bool bilinear : {true, false})
      for (bool perspective : {true, false}) {
        SCOPED_TRACE(testing::Message() << "vector " << vector << " bilinear " << bilinear
                                        << " perspective " << perspective);
        platform::d3d::EnableVectorPaths(vector);
        RenderState s;
        s.cullMode = D3DCULL_NONE;
        s.lighting = false;
        s.zEnable = false;
        s.texturePerspective = perspective;
        s.stages[0].magFilter = s.stages[0].minFilter = bilinear ? D3DTFG_LINEAR : D3DTFG_POINT;
        std::vector<uint32_t> pictures[2];
        for (int i = 0; i < 2; ++i) {
          const TexelCache* tex = i == 0 ? &keyed.cache : &plain.cache;
          Canvas canvas(61, 47);
          canvas.Clear(0xFF102030);
          Rasterizer r;
          // An axis-aligned quad (rows of constant v) and a slanted one
          // with a perspective, both wrapping the texture.
          const D3DTLVERTEX flat[] = {
              Tl(0, 30, 0.5f, 1, ~0u, -0.3f, 1.7f), Tl(0, 0, 0.5f, 1, ~0u, -0.3f, 0),
              Tl(61, 30, 0.5f, 1, ~0u, 2.1f, 1.7f), Tl(61, 0, 0.5f, 1, ~0u, 2.1f, 0)};
          r.DrawTransformed(s, tex, canvas.Target(), D3DPT_TRIANGLESTRIP, flat, 4);
          const D3DTLVERTEX slanted[] = {
              Tl(3, 46, 0.5f, 1.0f, 0xFFC08040, 0, 3), Tl(20, 28, 0.5f, 0.2f, 0xFFC08040, 0, 0),
              Tl(58, 44, 0.5f, 1.0f, 0xFFC08040, 3, 3), Tl(44, 31, 0.5f, 0.2f, 0xFFC08040, 3, 0)};
          r.DrawTransformed(s, tex, canvas.Target(), D3DPT_TRIANGLESTRIP, slanted, 4);
          pictures[i] = canvas.Pixels();
        }
        EXPECT_EQ(pictures[0], pictures[1]);
      }
  platform::d3d::EnableVectorPaths(true);
}

}  // namespace
}  // namespace d3dtest
