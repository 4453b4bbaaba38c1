// Test support: memory colour and depth buffers for the rasteriser, quad
// builders, and golden-picture comparison.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "d3d/rasterizer.h"

namespace d3dtest {

using platform::d3d::DrawTarget;
using platform::d3d::Rasterizer;
using platform::d3d::RenderState;
using platform::d3d::TexelCache;
using platform::d3d::TransformState;

// A colour buffer (32-bit X8R8G8B8 or 16-bit R5G6B5) with a depth buffer
// (16-bit, 24-in-32 or 32-bit), cleared to black and far.
class Canvas {
 public:
  Canvas(int width, int height, int colorBytes = 4, int depthBytes = 2,
         uint32_t zMask = 0xFFFFFFFFu);
  DrawTarget Target() const;
  int Width() const { return width_; }
  int Height() const { return height_; }
  // The pixel as 0xRRGGBB (16-bit pixels widened).
  uint32_t Pixel(int x, int y) const;
  uint32_t Depth(int x, int y) const;
  std::vector<uint32_t> Pixels() const;
  void Clear(uint32_t argb, float z = 1.0f);

 private:
  int width_, height_, colorBytes_, depthBytes_;
  uint32_t zMask_;
  mutable std::vector<uint8_t> color_;
  mutable std::vector<uint8_t> depth_;
};

// A textured, coloured pre-transformed vertex.
D3DTLVERTEX Tl(float x, float y, float z, float rhw, D3DCOLOR color, float u = 0, float v = 0);

// A texture source over owned pixels in a given format.
struct TestTexture {
  std::vector<uint8_t> bits;
  platform::d3d::TextureSource source;
  TexelCache cache;
  void Rebuild() { cache.Build(source); }
};
TestTexture Checkerboard(int size, int cells, uint32_t a, uint32_t b);  // X8R8G8B8
DDPIXELFORMAT RgbFormat(int bits, uint32_t r, uint32_t g, uint32_t b, uint32_t a = 0);

// Compares the pixels with tests/reference/d3d/<name>.png, allowing each
// channel to differ by `tolerance`; writes the picture next to the test
// binary for inspection. With VOSKAR_UPDATE_GOLDEN=1 the reference is
// rewritten. Returns a description of the first mismatch, or "".
std::string CompareGolden(const std::string& name, const std::vector<uint32_t>& pixels, int width,
                          int height, int tolerance = 0);

}  // namespace d3dtest
