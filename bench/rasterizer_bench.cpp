// Speed of the software rasteriser at 640 x 480 x 32: the full-screen sky
// quad alone, and a representative stage frame.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "d3d/rasterizer.h"

namespace {

using namespace platform::d3d;

constexpr int kWidth = 640;
constexpr int kHeight = 480;

struct Buffers {
  std::vector<uint32_t> color = std::vector<uint32_t>(kWidth * kHeight);
  std::vector<uint16_t> depth = std::vector<uint16_t>(kWidth * kHeight, 0xFFFF);
  DrawTarget Target() {
    DrawTarget t;
    t.color.bits = reinterpret_cast<uint8_t*>(color.data());
    t.color.pitch = kWidth * 4;
    t.color.width = kWidth;
    t.color.height = kHeight;
    t.color.bytesPerPixel = 4;
    t.depth.bits = reinterpret_cast<uint8_t*>(depth.data());
    t.depth.pitch = kWidth * 2;
    t.depth.width = kWidth;
    t.depth.height = kHeight;
    t.depth.bytesPerPixel = 2;
    t.depth.zMask = 0xFFFF;
    t.viewport = {0, 0, kWidth, kHeight, 0.0f, 1.0f};
    return t;
  }
};

DDPIXELFORMAT Format(int bits, uint32_t r, uint32_t g, uint32_t b, uint32_t a = 0) {
  DDPIXELFORMAT f{};
  f.dwSize = sizeof f;
  f.dwFlags = DDPF_RGB | (a ? DDPF_ALPHAPIXELS : 0);
  f.dwRGBBitCount = static_cast<DWORD>(bits);
  f.dwRBitMask = r;
  f.dwGBitMask = g;
  f.dwBBitMask = b;
  f.dwRGBAlphaBitMask = a;
  return f;
}

// A texture with some structure (gradients and a grid), optionally with a
// black keyed border region.
struct Texture {
  std::vector<uint32_t> pixels;
  TexelCache cache;
  Texture(int w, int h, bool keyed = false, bool alpha = false)
      : pixels(static_cast<size_t>(w) * h) {
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        uint32_t v = 0xFF000000u | ((x * 255 / w) << 16) | ((y * 255 / h) << 8) |
                     (((x / 8 + y / 8) & 1) ? 0xC0 : 0x40);
        if (keyed && (x < w / 4 || x >= w * 3 / 4)) v = 0xFF000000u;
        if (alpha) v = (v & 0xFFFFFF) | (static_cast<uint32_t>((x * 255) / w) << 24);
        pixels[static_cast<size_t>(y) * w + x] = v;
      }
    TextureSource s;
    s.bits = reinterpret_cast<const uint8_t*>(pixels.data());
    s.pitch = w * 4;
    s.width = w;
    s.height = h;
    s.format =
        alpha ? Format(32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000) : Format(32, 0xFF0000, 0xFF00, 0xFF);
    s.hasColorKey = keyed;
    s.colorKey = 0xFF000000;
    cache.Build(s);
  }
};

D3DTLVERTEX Tl(float x, float y, float z, D3DCOLOR c, float u, float v) {
  D3DTLVERTEX t{};
  t.sx = x;
  t.sy = y;
  t.sz = z;
  t.rhw = 0.5f;
  t.color = c;
  t.tu = u;
  t.tv = v;
  return t;
}

D3DVERTEX V(float x, float y, float z, float nx, float ny, float nz, float u, float v) {
  D3DVERTEX d{};
  d.x = x;
  d.y = y;
  d.z = z;
  d.nx = nx;
  d.ny = ny;
  d.nz = nz;
  d.tu = u;
  d.tv = v;
  return d;
}

// The game's fixed device state: lit with full ambient, bilinear, dither.
RenderState GameState() {
  RenderState s;
  s.zEnable = true;
  s.cullMode = D3DCULL_NONE;
  s.specularEnable = true;
  s.ditherEnable = true;
  s.stages[0].magFilter = D3DTFG_LINEAR;
  s.stages[0].minFilter = D3DTFN_LINEAR;
  return s;
}

TransformState GameTransform() {
  TransformState t;
  t.material.diffuse = {{1}, {1}, {1}, {1}};
  t.material.ambient = {{1}, {1}, {1}, {1}};
  t.material.emissive = {{0}, {0}, {0}, {1}};
  t.lights[0].dltType = D3DLIGHT_DIRECTIONAL;
  t.lights[0].dcvDiffuse = t.lights[0].dcvSpecular = t.lights[0].dcvAmbient = {{1}, {1}, {1}, {1}};
  t.lights[0].dvDirection.z = 1;
  t.lightSet[0] = t.lightEnabled[0] = true;
  const float fov = 0.785f, aspect = 4.0f / 3.0f, zn = 1.0f, zf = 1000.0f;
  D3DMATRIX& p = t.projection;
  p = TransformState::Identity();
  p._11 = 1.0f / std::tan(fov / 2) / aspect;
  p._22 = 1.0f / std::tan(fov / 2);
  p._33 = zf / (zf - zn);
  p._34 = 1.0f;
  p._43 = -zn * zf / (zf - zn);
  p._44 = 0.0f;
  t.view._42 = -1.7f;  // eye 1.7 above the ground at the origin, looking along +z
  return t;
}

void DrawSky(Rasterizer& r, const RenderState& base, const Texture& sky, const DrawTarget& t) {
  RenderState s = base;
  s.texturePerspective = false;
  const D3DTLVERTEX q[] = {
      Tl(0, kHeight, 0.99f, 0xFFFFFFFF, 0, 1), Tl(0, 0, 0.99f, 0xFFFFFFFF, 0, 0),
      Tl(kWidth, kHeight, 0.99f, 0xFFFFFFFF, 1, 1), Tl(kWidth, 0, 0.99f, 0xFFFFFFFF, 1, 0)};
  r.DrawTransformed(s, &sky.cache, t, D3DPT_TRIANGLESTRIP, q, 4);
}

void BM_SkyQuad(benchmark::State& state) {
  Buffers b;
  const DrawTarget t = b.Target();
  Texture sky(256, 256);
  Rasterizer r;
  r.SetThreads(static_cast<int>(state.range(0)));
  const RenderState s = GameState();
  for (auto _ : state) {
    DrawSky(r, s, sky, t);
    benchmark::DoNotOptimize(b.color.data());
  }
  state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
}
// Argument: threads. Wall-clock time, since a second thread's work does not
// show in the caller's CPU time.
BENCHMARK(BM_SkyQuad)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

struct Frame {
  Texture sky{256, 256}, ground{128, 128}, building{128, 256}, sprite{256, 128, true},
      frame{128, 64, false, true}, word{256, 256, true};
  std::vector<D3DVERTEX> groundQuad, box;
  D3DVERTEX billboard[4], label[4];
  Frame() {
    const float s = 50.0f, t = 50.0f;
    groundQuad = {V(-50, 0, -20, 0, 1, 0, 0, t), V(-50, 0, 80, 0, 1, 0, 0, 0),
                  V(50, 0, -20, 0, 1, 0, s, t),  V(-50, 0, 80, 0, 1, 0, 0, 0),
                  V(50, 0, 80, 0, 1, 0, s, 0),   V(50, 0, -20, 0, 1, 0, s, t)};
    // An open box 6 wide, 12 high, 6 deep: four walls as one strip.
    const float c[5][2] = {{-3, -3}, {3, -3}, {3, 3}, {-3, 3}, {-3, -3}};
    for (int i = 0; i < 5; ++i) {
      const float u = static_cast<float>(i);
      box.push_back(V(c[i][0], 0, c[i][1], 0, 0, -1, u, 1));
      box.push_back(V(c[i][0], 12, c[i][1], 0, 0, -1, u, 0));
      if (i > 0 && i < 4) {
        box.push_back(V(c[i][0], 0, c[i][1], 0, 0, -1, u, 1));
        box.push_back(V(c[i][0], 12, c[i][1], 0, 0, -1, u, 0));
      }
    }
    box.resize(16, box.back());
    const float bx[4][2] = {{-1.5f, -1.5f}, {-1.5f, 1.5f}, {1.5f, -1.5f}, {1.5f, 1.5f}};
    for (int i = 0; i < 4; ++i) {
      billboard[i] =
          V(bx[i][0], bx[i][1] + 1.5f, 0, 0, 0, -1, i < 2 ? 0.0f : 0.25f, (i % 2) ? 0.0f : 0.5f);
      label[i] = V(bx[i][0], (bx[i][1] < 0 ? -0.75f : 0.75f) + 0.75f, -0.01f, 0, 0, -1,
                   i < 2 ? 0.0f : 1.0f, (i % 2) ? 0.0f : 1.0f);
    }
  }
};

void DrawFrame(Rasterizer& r, Frame& f, const DrawTarget& t) {
  RenderState s = GameState();
  TransformState tr = GameTransform();
  Rasterizer::ClearColor(t.color, 0, 0, kWidth, kHeight, 0xFF000000);
  Rasterizer::ClearDepth(t.depth, 0, 0, kWidth, kHeight, 1.0f);
  DrawSky(r, s, f.sky, t);

  s.texturePerspective = true;
  r.DrawVertices(s, tr, &f.ground.cache, t, D3DPT_TRIANGLELIST, f.groundQuad.data(), 6);

  s.colorKeyEnable = true;
  for (int i = 0; i < 20; ++i) {
    tr.world = TransformState::Identity();
    tr.world._41 = (i % 2) ? 9.0f : -9.0f;
    tr.world._43 = 6.0f + 9.0f * (i / 2);
    r.DrawVertices(s, tr, &f.building.cache, t, D3DPT_TRIANGLESTRIP, f.box.data(), 16);
  }

  for (int i = 0; i < 10; ++i) {
    tr.world = TransformState::Identity();
    tr.world._41 = -4.0f + (i % 5) * 2.0f;
    tr.world._43 = 10.0f + 4.0f * i;
    s.colorKeyEnable = true;
    r.DrawVertices(s, tr, &f.sprite.cache, t, D3DPT_TRIANGLESTRIP, f.billboard, 4);
    s.alphaBlendEnable = true;
    s.srcBlend = D3DBLEND_BOTHSRCALPHA;
    r.DrawVertices(s, tr, &f.frame.cache, t, D3DPT_TRIANGLESTRIP, f.label, 4);
    s.alphaBlendEnable = false;
    r.DrawVertices(s, tr, &f.word.cache, t, D3DPT_TRIANGLESTRIP, f.label, 4);
    s.colorKeyEnable = false;
  }

  // Screen-space overlays: a half-screen translucent panel and small
  // untextured blended quads.
  s.alphaBlendEnable = true;
  s.srcBlend = D3DBLEND_SRCALPHA;
  s.destBlend = D3DBLEND_INVSRCALPHA;
  const D3DTLVERTEX panel[] = {Tl(0, 480, 0, 0x80000000, 0, 1), Tl(0, 240, 0, 0x80000000, 0, 0),
                               Tl(640, 480, 0, 0x80000000, 1, 1),
                               Tl(640, 240, 0, 0x80000000, 1, 0)};
  r.DrawTransformed(s, &f.frame.cache, t, D3DPT_TRIANGLESTRIP, panel, 4);
  for (int i = 0; i < 16; ++i) {
    const float x = 20.0f + 38.0f * i, y = 440.0f;
    const D3DTLVERTEX q[] = {Tl(x, y + 24, 0, 0xA0FFC040, 0, 0), Tl(x, y, 0, 0xA0FFC040, 0, 0),
                             Tl(x + 30, y + 24, 0, 0xA0FFC040, 0, 0),
                             Tl(x + 30, y, 0, 0xA0FFC040, 0, 0)};
    r.DrawTransformed(s, nullptr, t, D3DPT_TRIANGLESTRIP, q, 4);
  }
}

void BM_GameFrame(benchmark::State& state) {
  Buffers b;
  const DrawTarget t = b.Target();
  Frame f;
  Rasterizer r;
  r.SetThreads(static_cast<int>(state.range(0)));
  // As the device draws a scene: queued, and drawn at its end.
  r.SetDeferred(true);
  for (auto _ : state) {
    DrawFrame(r, f, t);
    r.Finish();
    benchmark::DoNotOptimize(b.color.data());
  }
}
BENCHMARK(BM_GameFrame)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

namespace {

// Re-expanding a 256 x 256 keyed X8R8G8B8 texture (what a colour key set
// again every frame costs per texture).
void BM_TextureRebuildKeyed(benchmark::State& state) {
  std::vector<uint32_t> pixels(256 * 256, 0x00FFFFFF);
  for (size_t i = 0; i < pixels.size(); i += 3) pixels[i] = 0x00102030;
  TextureSource s;
  s.bits = reinterpret_cast<const uint8_t*>(pixels.data());
  s.pitch = 256 * 4;
  s.width = s.height = 256;
  s.format = Format(32, 0xFF0000, 0xFF00, 0xFF);
  s.hasColorKey = true;
  s.colorKey = 0xFFFFFFFF;
  TexelCache cache;
  for (auto _ : state) {
    cache.Build(s);
    benchmark::DoNotOptimize(cache.Pairs(cache.HasCoverage()));
  }
}
BENCHMARK(BM_TextureRebuildKeyed)->Unit(benchmark::kMicrosecond);

}  // namespace
