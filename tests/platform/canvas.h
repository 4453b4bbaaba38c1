// Memory buffers the rasteriser draws into directly, builders of vertices
// and textures, and the check against the reference pictures in
// tests/reference/d3d (VOSKAR_UPDATE_GOLDEN=1 rewrites them).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "d3d/rasterizer.h"
#include "ddraw/pixelformat.h"
#include "support/Golden.h"

namespace rastertest {

using platform::PixelKind;
using platform::d3d::DrawTarget;
using platform::d3d::Rasterizer;
using platform::d3d::RenderState;
using platform::d3d::TexelCache;
using platform::d3d::TransformState;

// A colour buffer (X8R8G8B8, or R5G6B5 with colorBytes 2) over a depth buffer
// (16-bit, or 32-bit words whose depth bits are zMask), cleared to black and
// the far plane.
struct Canvas {
  Canvas(int width, int height, int colorBytes = 4, int depthBytes = 2, uint32_t zMask = ~0u)
      : w(width), h(height), colorBytes(colorBytes), depthBytes(depthBytes) {
    const PixelKind kind = colorBytes == 2 ? PixelKind::R5G6B5 : PixelKind::X8R8G8B8;
    info = platform::DescribeFormat(platform::MakePixelFormat(kind));
    color.resize(size_t(w) * h * colorBytes);
    depth.resize(size_t(w) * h * depthBytes);
    target.color = {color.data(), w * colorBytes, w,           h,
                    colorBytes,   info.r.mask,    info.g.mask, info.b.mask};
    target.depth = {
        depth.data(), w * depthBytes, w, h, depthBytes, depthBytes == 2 ? 0xFFFF : zMask};
    target.viewport = {0, 0, w, h, 0.0f, 1.0f};
    Clear(0xFF000000u);
  }
  const DrawTarget& Target() const { return target; }
  // The pixel as 0xRRGGBB (16-bit channels widened by repeating their bits).
  uint32_t Pixel(int x, int y) const {
    const uint8_t* p = &color[(size_t(y) * w + x) * colorBytes];
    return platform::PixelToArgb(info, platform::ReadPixel(p, colorBytes)) & 0xFFFFFF;
  }
  // The whole word of the depth buffer, bits beside the depth bits included.
  uint32_t DepthWord(int x, int y) const {
    return platform::ReadPixel(&depth[(size_t(y) * w + x) * depthBytes], depthBytes);
  }
  uint32_t Depth(int x, int y) const { return DepthWord(x, y) & target.depth.zMask; }
  std::vector<uint32_t> Pixels() const {
    std::vector<uint32_t> out;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) out.push_back(0xFF000000u | Pixel(x, y));
    return out;
  }
  void Clear(uint32_t argb, float z = 1.0f) {
    Rasterizer::ClearColor(target.color, 0, 0, w, h, argb);
    Rasterizer::ClearDepth(target.depth, 0, 0, w, h, z);
  }

  int w, h, colorBytes, depthBytes;
  platform::FormatInfo info;
  std::vector<uint8_t> color, depth;
  DrawTarget target;
};

// A pre-transformed vertex: screen position, depth, 1/w, colour, texture
// coordinates.
inline D3DTLVERTEX Tl(float x, float y, float z, float rhw, D3DCOLOR c, float u = 0, float v = 0) {
  return D3DTLVERTEX{x, y, z, rhw, c, 0, u, v};
}

// The four corners of a rectangle as a triangle strip, textured from (u0, v0)
// to (u1, v1); rhwRight is the 1/w of the right-hand corners.
inline std::vector<D3DTLVERTEX> Quad(float x0, float y0, float x1, float y1, float z, D3DCOLOR c,
                                     float u0 = 0, float v0 = 0, float u1 = 1, float v1 = 1,
                                     float rhwRight = 1) {
  return {Tl(x0, y1, z, 1, c, u0, v1), Tl(x0, y0, z, 1, c, u0, v0),
          Tl(x1, y1, z, rhwRight, c, u1, v1), Tl(x1, y0, z, rhwRight, c, u1, v0)};
}

inline void Draw(Rasterizer& r, const RenderState& s, const TexelCache* tex, const DrawTarget& t,
                 const std::vector<D3DTLVERTEX>& v, D3DPRIMITIVETYPE type = D3DPT_TRIANGLESTRIP) {
  r.DrawTransformed(s, tex, t, type, v.data(), static_cast<int>(v.size()));
}

// Drawing without lighting and culling, with the depth test on or off.
inline RenderState Unlit(bool depth = true) {
  RenderState s;
  s.cullMode = D3DCULL_NONE;
  s.lighting = false;
  s.zEnable = depth;
  return s;
}

inline void Bilinear(RenderState& s) {
  s.stages[0].magFilter = s.stages[0].minFilter = D3DTFG_LINEAR;
}

// A texture over pixels it owns, in one of the offered formats; rows are
// padded, as surfaces may be.
struct TestTexture {
  std::vector<uint8_t> bits;
  platform::d3d::TextureSource source;
  TexelCache cache;

  uint32_t Raw(int x, int y) const {
    const int bytes = static_cast<int>(source.format.dwRGBBitCount / 8);
    return platform::ReadPixel(&bits[size_t(y) * source.pitch + x * bytes], bytes);
  }
  void Set(int x, int y, uint32_t raw) {
    const int bytes = static_cast<int>(source.format.dwRGBBitCount / 8);
    platform::WritePixel(&bits[size_t(y) * source.pitch + x * bytes], bytes, raw);
  }
  void Key(uint32_t key) {
    source.hasColorKey = true;
    source.colorKey = key;
    cache.Build(source);
  }
};

inline TestTexture MakeTexture(PixelKind kind, int w, int h,
                               const std::function<uint32_t(int, int)>& raw) {
  TestTexture t;
  t.source.format = platform::MakePixelFormat(kind);
  t.source.width = w;
  t.source.height = h;
  t.source.pitch = w * static_cast<int>(t.source.format.dwRGBBitCount / 8) + 3;
  t.bits.assign(size_t(t.source.pitch) * h, 0xAB);
  t.source.bits = t.bits.data();
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) t.Set(x, y, raw(x, y));
  t.cache.Build(t.source);
  return t;
}

// A size x size X8R8G8B8 (or A8R8G8B8) checkerboard of cells x cells squares.
inline TestTexture Checkerboard(int size, int cells, uint32_t a, uint32_t b,
                                PixelKind kind = PixelKind::X8R8G8B8) {
  const int cell = size / cells;
  return MakeTexture(kind, size, size,
                     [=](int x, int y) { return (x / cell + y / cell) % 2 ? b : a; });
}

// "" when the picture matches tests/reference/d3d/<name>.png, each channel
// within `channel`; the picture is also written beside the test program.
inline std::string Golden(const std::string& name, const std::vector<uint32_t>& pixels, int w,
                          int h, int channel = 0) {
  return golden::CheckPicture(VOSKAR_REFERENCE_DIR, VOSKAR_PICTURE_DIR, name, pixels, w, h,
                              {channel, 1 << 30, 0});
}

}  // namespace rastertest
