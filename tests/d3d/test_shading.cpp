// Texture formats and colour keys, blending, lighting and dithering of the
// rasteriser.
#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "canvas.h"

namespace d3dtest {
namespace {

using platform::d3d::DefinedBits;
using platform::d3d::ExpandPixel;
using platform::d3d::TextureSource;

RenderState Flat2D() {
  RenderState s;
  s.cullMode = D3DCULL_NONE;
  s.lighting = false;
  s.zEnable = false;
  return s;
}

void Quad(Rasterizer& r, const RenderState& s, const TexelCache* tex, const Canvas& c, float x0,
          float y0, float x1, float y1, D3DCOLOR color, float u0 = 0, float v0 = 0, float u1 = 1,
          float v1 = 1, float z = 0.5f) {
  const D3DTLVERTEX q[] = {Tl(x0, y1, z, 1, color, u0, v1), Tl(x0, y0, z, 1, color, u0, v0),
                           Tl(x1, y1, z, 1, color, u1, v1), Tl(x1, y0, z, 1, color, u1, v0)};
  r.DrawTransformed(s, tex, c.Target(), D3DPT_TRIANGLESTRIP, q, 4);
}

TEST(TextureFormats, EveryOfferedFormatExpandsToArgb) {
  struct Case {
    DDPIXELFORMAT format;
    uint32_t raw;
    uint32_t argb;
  };
  const Case cases[] = {
      {RgbFormat(16, 0xF800, 0x07E0, 0x001F), 0xF81F, 0xFFFF00FF},          // R5G6B5
      {RgbFormat(16, 0x7C00, 0x03E0, 0x001F), 0x03E0, 0xFF00FF00},          // X1R5G5B5
      {RgbFormat(16, 0x7C00, 0x03E0, 0x001F, 0x8000), 0x7C00, 0x00FF0000},  // A1R5G5B5
      {RgbFormat(16, 0x0F00, 0x00F0, 0x000F, 0xF000), 0x8F84, 0x88FF8844},  // A4R4G4B4
      {RgbFormat(24, 0xFF0000, 0xFF00, 0xFF), 0x123456, 0xFF123456},        // R8G8B8
      {RgbFormat(32, 0xFF0000, 0xFF00, 0xFF), 0x00ABCDEF, 0xFFABCDEF},      // X8R8G8B8
      {RgbFormat(32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000), 0x40ABCDEF, 0x40ABCDEF},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ExpandPixel(c.raw, c.format), c.argb) << std::hex << c.raw;
    // Through a 2 x 2 texture, which also exercises the padded layout.
    const int bytes = static_cast<int>(c.format.dwRGBBitCount / 8);
    std::vector<uint8_t> bits(4 * bytes);
    for (int i = 0; i < 4; ++i) std::memcpy(&bits[i * bytes], &c.raw, bytes);
    TextureSource src;
    src.bits = bits.data();
    src.pitch = 2 * bytes;
    src.width = src.height = 2;
    src.format = c.format;
    TexelCache cache;
    cache.Build(src);
    ASSERT_TRUE(cache.Valid());
    for (int i = 0; i < 9; ++i) EXPECT_EQ(cache.TexelAt(i), c.argb);
  }
}

TEST(TextureFormats, ColorKeyComparesOnlyDefinedChannelBits) {
  // 0xFF000000 is black in formats without alpha: the high bits belong to
  // no channel.
  const DDPIXELFORMAT r5g6b5 = RgbFormat(16, 0xF800, 0x07E0, 0x001F);
  const DDPIXELFORMAT x8 = RgbFormat(32, 0xFF0000, 0xFF00, 0xFF);
  const DDPIXELFORMAT a8 = RgbFormat(32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000);
  EXPECT_EQ(0xFF000000u & DefinedBits(r5g6b5), 0u);
  EXPECT_EQ(0xFF000000u & DefinedBits(x8), 0u);
  EXPECT_EQ(0xFF000000u & DefinedBits(a8), 0xFF000000u);

  struct Case {
    DDPIXELFORMAT format;
    uint32_t pixels[2];
    bool keyed[2];
  };
  const Case cases[] = {
      {r5g6b5, {0x0000, 0x0001}, {true, false}},
      {x8, {0x77000000, 0x00000100}, {true, false}},  // X bits ignored
      {a8, {0xFF000000, 0x00000000}, {true, false}},  // alpha is a channel here
  };
  for (const Case& c : cases) {
    const int bytes = static_cast<int>(c.format.dwRGBBitCount / 8);
    std::vector<uint8_t> bits(2 * bytes);
    std::memcpy(&bits[0], &c.pixels[0], bytes);
    std::memcpy(&bits[bytes], &c.pixels[1], bytes);
    TextureSource src;
    src.bits = bits.data();
    src.pitch = 2 * bytes;
    src.width = 2;
    src.height = 1;
    src.format = c.format;
    src.hasColorKey = true;
    src.colorKey = 0xFF000000;
    TexelCache cache;
    cache.Build(src);
    ASSERT_TRUE(cache.HasKey());
    EXPECT_EQ(cache.KeyedAt(0), c.keyed[0]) << std::hex << c.pixels[0];
    EXPECT_EQ(cache.KeyedAt(1), c.keyed[1]) << std::hex << c.pixels[1];
  }
}

// A 16 x 16 sprite: a yellow disc with a red ring on a black (keyed)
// background, stretched over 64 x 64 pixels with bilinear filtering.
TestTexture Sprite() {
  TestTexture t;
  t.bits.resize(16 * 16 * 2);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      const float dx = x - 7.5f, dy = y - 7.5f;
      const float d = dx * dx + dy * dy;
      const uint16_t v = d < 16 ? 0xFFE0 : d < 36 ? 0xF800 : 0x0000;
      std::memcpy(&t.bits[(y * 16 + x) * 2], &v, 2);
    }
  t.source.bits = t.bits.data();
  t.source.pitch = 32;
  t.source.width = t.source.height = 16;
  t.source.format = RgbFormat(16, 0xF800, 0x07E0, 0x001F);
  t.source.hasColorKey = true;
  t.source.colorKey = 0xFF000000;
  t.Rebuild();
  return t;
}

TEST(ColorKey, KeyedTexelsLeaveColourAndDepthUntouched) {
  TestTexture tex = Sprite();
  for (bool bilinear : {false, true}) {
    Canvas canvas(64, 64);
    canvas.Clear(0xFF3050A0);
    RenderState s = Flat2D();
    s.zEnable = true;
    s.colorKeyEnable = true;
    s.stages[0].magFilter = s.stages[0].minFilter = bilinear ? D3DTFG_LINEAR : D3DTFG_POINT;
    Rasterizer r;
    Quad(r, s, &tex.cache, canvas, 0, 0, 64, 64, 0xFFFFFFFF);
    // The corners are background: keyed, so neither colour nor depth.
    EXPECT_EQ(canvas.Pixel(1, 1), 0x3050A0u);
    EXPECT_EQ(canvas.Depth(1, 1), 0xFFFFu);
    EXPECT_EQ(canvas.Pixel(32, 32), 0xFFFF00u);
    EXPECT_EQ(canvas.Depth(32, 32), 0x8000u);
    // No black fringe: every drawn pixel is a blend of yellow and red only.
    for (int y = 0; y < 64; ++y)
      for (int x = 0; x < 64; ++x) {
        const uint32_t p = canvas.Pixel(x, y);
        if (p == 0x3050A0u) continue;
        EXPECT_EQ(p >> 16, 0xFFu) << x << "," << y << " " << std::hex << p;
        EXPECT_EQ(p & 0xFF, 0u) << x << "," << y;
      }
    if (bilinear) {
      EXPECT_EQ(CompareGolden("colorkey-sprite-bilinear", canvas.Pixels(), 64, 64, 2), "");
    }
  }
}

TEST(ColorKey, KeyIsIgnoredWhenDisabled) {
  TestTexture tex = Sprite();
  Canvas canvas(16, 16);
  canvas.Clear(0xFF3050A0);
  RenderState s = Flat2D();
  Rasterizer r;
  Quad(r, s, &tex.cache, canvas, 0, 0, 16, 16, 0xFFFFFFFF);
  EXPECT_EQ(canvas.Pixel(0, 0), 0u);
}

TEST(Blending, EachBlendModeGivesTheFormula) {
  // Background 0x204080; source colour 0xC08040 with alpha 0x80.
  const uint32_t bg = 0x204080, src = 0xC08040, a = 0x80;
  auto mix = [&](uint32_t sf, uint32_t df) {
    uint32_t out = 0;
    for (int ch = 0; ch < 24; ch += 8) {
      const uint32_t sc = (src >> ch) & 0xFF, dc = (bg >> ch) & 0xFF;
      const uint32_t v = (sc * sf + 127) / 255 + (dc * df + 127) / 255;
      out |= std::min<uint32_t>(v, 255) << ch;
    }
    return out;
  };
  struct Mode {
    bool enable;
    DWORD src, dst;
    uint32_t expected;
  };
  const Mode modes[] = {
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
  for (const Mode& m : modes) {
    RenderState s = Flat2D();
    s.alphaBlendEnable = m.enable;
    s.srcBlend = m.src;
    s.destBlend = m.dst;
    Quad(r, s, nullptr, canvas, x, 0, x + 10, 10, (a << 24) | src);
    for (int px = x; px < x + 10; ++px)
      EXPECT_NEAR(static_cast<double>(canvas.Pixel(px, 5) >> 16),
                  static_cast<double>(m.expected >> 16), 1.0)
          << m.src << "/" << m.dst;
    EXPECT_NEAR(static_cast<double>(canvas.Pixel(x + 5, 5) & 0xFF),
                static_cast<double>(m.expected & 0xFF), 1.0);
    x += 10;
  }
  EXPECT_EQ(CompareGolden("blend-modes", canvas.Pixels(), 70, 10), "");
}

TEST(Blending, TexturedAlphaModulatesDiffuse) {
  // MODULATE(texture, diffuse) with SELECTARG1(texture) alpha, blended.
  TestTexture tex = Checkerboard(4, 2, 0x80FFFFFF, 0x00FFFFFF);
  tex.source.format = RgbFormat(32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000);
  tex.Rebuild();
  Canvas canvas(4, 4);
  RenderState s = Flat2D();
  s.alphaBlendEnable = true;
  s.srcBlend = D3DBLEND_SRCALPHA;
  s.destBlend = D3DBLEND_INVSRCALPHA;
  Rasterizer r;
  Quad(r, s, &tex.cache, canvas, 0, 0, 4, 4, 0xFF00FF00);  // green diffuse, opaque
  EXPECT_NEAR(static_cast<int>((canvas.Pixel(0, 0) >> 8) & 0xFF), 0x80, 1);
  EXPECT_EQ(canvas.Pixel(0, 0) & 0xFF00FF, 0u);
  EXPECT_EQ(canvas.Pixel(2, 0), 0u);  // alpha 0: nothing
}

TEST(Lighting, AmbientOnlyAgainstDiffuseLit) {
  // A quad facing the camera (normal -z), a light travelling along +z.
  TransformState t;
  t.material.diffuse = {{0.8f}, {0.6f}, {0.4f}, {1.0f}};
  t.material.ambient = {{1.0f}, {1.0f}, {1.0f}, {1.0f}};
  t.lights[0].dltType = D3DLIGHT_DIRECTIONAL;
  t.lights[0].dcvDiffuse = {{1.0f}, {1.0f}, {1.0f}, {1.0f}};
  t.lights[0].dcvAmbient = {{0.1f}, {0.1f}, {0.1f}, {1.0f}};
  t.lights[0].dvDirection.z = 1.0f;
  t.lightSet[0] = t.lightEnabled[0] = true;
  RenderState s;
  s.cullMode = D3DCULL_NONE;
  s.ambient = 0x00202020;  // 0.125
  D3DVERTEX quad[4] = {};
  const float xy[4][2] = {{-1, -1}, {-1, 1}, {1, -1}, {1, 1}};
  for (int i = 0; i < 4; ++i) {
    quad[i].x = xy[i][0] * 0.5f;
    quad[i].y = xy[i][1] * 0.5f;
    quad[i].z = 0.5f;
    quad[i].nz = -1.0f;
  }
  Canvas canvas(32, 16);
  DrawTarget left = canvas.Target(), right = canvas.Target();
  left.viewport = {0, 0, 16, 16, 0, 1};
  right.viewport = {16, 0, 32, 16, 0, 1};
  Rasterizer r;
  // Left: the light is off, only ambient: material ambient x (0.125 + 0).
  t.lightEnabled[0] = false;
  r.DrawVertices(s, t, nullptr, left, D3DPT_TRIANGLESTRIP, quad, 4);
  // Right: ambient (0.125 + 0.1) plus the diffuse term at N.L = 1.
  t.lightEnabled[0] = true;
  r.DrawVertices(s, t, nullptr, right, D3DPT_TRIANGLESTRIP, quad, 4);
  auto channel = [](uint32_t p, int shift) { return static_cast<int>((p >> shift) & 0xFF); };
  const uint32_t dim = canvas.Pixel(8, 8), lit = canvas.Pixel(24, 8);
  EXPECT_NEAR(channel(dim, 16), 0x20, 1);
  EXPECT_NEAR(channel(dim, 0), 0x20, 1);
  EXPECT_NEAR(channel(lit, 16), 255, 1);  // 0.225 + 0.8 clamps
  EXPECT_NEAR(channel(lit, 8), static_cast<int>(255 * 0.825f + 0.5f), 1);
  EXPECT_NEAR(channel(lit, 0), static_cast<int>(255 * 0.625f + 0.5f), 1);
  EXPECT_EQ(CompareGolden("lit-quad-ambient-vs-diffuse", canvas.Pixels(), 32, 16), "");

  // Lit from behind (the light travels towards the camera): ambient only.
  Canvas back(16, 16);
  t.lights[0].dvDirection.z = -1.0f;
  r.DrawVertices(s, t, nullptr, back.Target(), D3DPT_TRIANGLESTRIP, quad, 4);
  EXPECT_NEAR(channel(back.Pixel(8, 8), 8), static_cast<int>(255 * 0.225f + 0.5f), 1);
}

TEST(Lighting, SpecularAddsHighlightOnlyWhenEnabled) {
  TransformState t;
  t.material.diffuse = {{0.0f}, {0.0f}, {0.0f}, {1.0f}};
  t.material.specular = {{1.0f}, {1.0f}, {1.0f}, {1.0f}};
  t.material.power = 1.0f;
  t.lights[0].dltType = D3DLIGHT_DIRECTIONAL;
  t.lights[0].dcvSpecular = {{1.0f}, {0.5f}, {0.0f}, {1.0f}};
  t.lights[0].dvDirection.z = 1.0f;
  t.lightSet[0] = t.lightEnabled[0] = true;
  RenderState s;
  s.cullMode = D3DCULL_NONE;
  D3DVERTEX tri[3] = {};
  const float xy[3][2] = {{-0.1f, -0.1f}, {0.0f, 0.1f}, {0.1f, -0.1f}};
  for (int i = 0; i < 3; ++i) {
    tri[i].x = xy[i][0];
    tri[i].y = xy[i][1];
    tri[i].z = 1.0f;
    tri[i].nz = -1.0f;
  }
  Rasterizer r;
  Canvas off(16, 16), on(16, 16);
  r.DrawVertices(s, t, nullptr, off.Target(), D3DPT_TRIANGLELIST, tri, 3);
  s.specularEnable = true;
  r.DrawVertices(s, t, nullptr, on.Target(), D3DPT_TRIANGLELIST, tri, 3);
  EXPECT_EQ(off.Pixel(8, 8), 0u);
  // N.H is close to 1 near the axis: red full, green half, blue none.
  EXPECT_GE((on.Pixel(8, 8) >> 16) & 0xFF, 250u);
  EXPECT_NEAR(static_cast<int>((on.Pixel(8, 8) >> 8) & 0xFF), 127, 3);
  EXPECT_EQ(on.Pixel(8, 8) & 0xFF, 0u);
}

TEST(Dither, SixteenBitTargetDithersOnlyWhenEnabled) {
  // A horizontal grey ramp into R5G6B5.
  auto draw = [](bool dither) {
    Canvas c(64, 16, 2);
    RenderState s = Flat2D();
    s.ditherEnable = dither;
    const D3DTLVERTEX q[] = {Tl(0, 16, 0, 1, 0xFF000000), Tl(0, 0, 0, 1, 0xFF000000),
                             Tl(64, 16, 0, 1, 0xFF404040), Tl(64, 0, 0, 1, 0xFF404040)};
    Rasterizer r;
    r.DrawTransformed(s, nullptr, c.Target(), D3DPT_TRIANGLESTRIP, q, 4);
    return c;
  };
  const Canvas plain = draw(false), dithered = draw(true);
  // Without dither each column is one value; with it the 4 x 4 blocks mix
  // neighbouring 16-bit levels, averaging to the exact ramp.
  int mixedColumns = 0;
  for (int x = 0; x < 64; ++x) {
    std::map<uint32_t, int> values;
    for (int y = 0; y < 16; ++y) {
      EXPECT_EQ(plain.Pixel(x, y), plain.Pixel(x, 0));
      ++values[dithered.Pixel(x, y)];
    }
    mixedColumns += values.size() > 1;
  }
  EXPECT_GT(mixedColumns, 32);
  // Averaged over a 4 x 4 block the dithered red channel tracks the ramp
  // (0x40 * x / 64) closer than truncation does.
  double errPlain = 0, errDither = 0;
  for (int bx = 0; bx < 64; bx += 4) {
    double sumP = 0, sumD = 0, ideal = 0;
    for (int y = 0; y < 4; ++y)
      for (int x = bx; x < bx + 4; ++x) {
        sumP += plain.Pixel(x, y) >> 16;
        sumD += dithered.Pixel(x, y) >> 16;
        ideal += 64.0 * x / 64.0;
      }
    errPlain += std::abs(sumP - ideal) / 16;
    errDither += std::abs(sumD - ideal) / 16;
  }
  EXPECT_LT(errDither, errPlain);
  EXPECT_EQ(CompareGolden("dither-16bit", dithered.Pixels(), 64, 16), "");
}

}  // namespace
}  // namespace d3dtest
