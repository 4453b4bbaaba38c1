// The per-pixel pipeline: a span of up to kChunk pixels on one row passes
// through fixed stages, each a small loop chosen once per triangle for the
// state at hand, so that no stage branches on render state per pixel:
//   depth test -> texture sample (+ colour key) -> texture stage (+ specular)
//   -> alpha test -> blend and store -> depth write.
#pragma once

#include <algorithm>
#include <cstdint>

#include "d3d/filter.h"
#include "d3d/key_blocks.h"
#include "d3d/render_state.h"
#include "d3d/texture.h"

namespace platform::d3d {

constexpr int kChunk = 128;

// Linear functions of the pixel position: value(x, y) = at0 + dx * x + dy * y.
struct Plane {
  float at0 = 0, dx = 0, dy = 0;
  float At(float x, float y) const { return at0 + dx * x + dy * y; }
};

// Per-triangle inputs to the stages: interpolation planes and constants.
// In perspective mode u, v and the colours are planes of value / w and q is
// the plane of 1 / w; in affine mode they are the values themselves.
struct TriangleSetup {
  double z0 = 0, zdx = 0, zdy = 0;  // depth in [0, 1] at (0, 0)
  Plane q, u, v;
  Plane color[4];                   // r, g, b, a in 0..255
  Plane specular[3];                // r, g, b in 0..255
  uint32_t flatColor = 0xFFFFFFFF;  // ARGB when the diffuse colour is constant
};

// Values at the first pixel of a chunk and their steps per pixel.
struct SpanInputs {
  int x = 0, y = 0, count = 0;
  int64_t z = 0, dz = 0;  // depth * zmax in 48.16 fixed point
  float q = 1, dq = 0;
  float u = 0, du = 0, v = 0, dv = 0;
  float c[4] = {}, dc[4] = {};
  float s[3] = {}, ds[3] = {};
};

struct SpanBuffers {
  uint8_t mask[kChunk];     // 1: the pixel is still drawn
  uint32_t zvalue[kChunk];  // depth in the buffer's units
  uint32_t texel[kChunk];   // ARGB sample
  uint32_t colorStorage[kChunk];
  // ARGB after the texture stage: colorStorage, or texel itself when the
  // texture stage passes the texel through unchanged.
  uint32_t* color = colorStorage;
};

struct PixelContext;
using DepthStage = int (*)(const PixelContext&, const SpanInputs&, SpanBuffers&);
using SpanStage = void (*)(const PixelContext&, const SpanInputs&, SpanBuffers&);
// All stages of a common state combination in one loop; false when it
// cannot take this span (the separate stages then draw it).
using FusedSpan = bool (*)(const PixelContext&, const SpanInputs&);

// Everything the stages read, fixed for one triangle.
struct PixelContext {
  const RenderState* state = nullptr;
  TargetView target;
  DepthView depth;
  const TexelCache* texture = nullptr;   // null: no texture bound
  const uint64_t* texelPairs = nullptr;  // TexelCache::Pairs the sampling reads
  bool perspective = false;
  bool bilinear = false;
  bool colorKey = false;
  bool interpolateColor = true;  // a stage reads the diffuse planes
  uint32_t zmax = 0;             // largest depth value of the buffer
  int zshift = 0;                // position of the depth bits in a 32-bit value
  // D3DCMP_LESS or D3DCMP_LESSEQUAL when spans that the depth buffer hides
  // whole may be skipped before any stage runs (see SpanHidden); 0 never.
  DWORD hiddenTest = 0;
  // A mostly keyed texture's blocks: spans sampling only keyed texels are
  // skipped (null: no such test).
  const KeyedBlocks::Table* keyed = nullptr;
  TriangleSetup tri;

  DepthStage depthTest = nullptr;
  SpanStage sample = nullptr;    // null when untextured
  SpanStage combine = nullptr;   // texture stage: writes color[]; null: the texel as is
  SpanStage specular = nullptr;  // null when no specular is added
  SpanStage alphaTest = nullptr;
  SpanStage write = nullptr;       // blend and store colour
  SpanStage depthWrite = nullptr;  // null when depth is not written
  FusedSpan fused = nullptr;       // null: the stages above run one by one
};

// Stage choice for a prepared context (fills the function pointers).
void ChooseDepthStages(PixelContext* ctx);
void ChooseSampleStage(PixelContext* ctx);
void ChooseShadeStages(PixelContext* ctx, bool gouraud);
void ChooseWriteStage(PixelContext* ctx);
// After the others: picks a fused loop when the chosen stages have one.
void ChooseFusedStage(PixelContext* ctx);

// Runs one span (count <= kChunk) through the chosen stages one by one
// (the caller tries ctx.fused first).
void ShadeSpan(const PixelContext& ctx, const SpanInputs& in);

// A texture coordinate as a 0.32 fraction of the texture (wrapping).
inline uint32_t ToFraction32(float value) {
  const double clamped = std::min(1.0e9, std::max(-1.0e9, static_cast<double>(value)));
  return static_cast<uint32_t>(static_cast<int64_t>(clamped * 4294967296.0));
}

// The texture coordinates of a span as the sample stages take them.
inline SpanCoords CoordsOf(const SpanInputs& in, bool perspective) {
  SpanCoords c;
  c.perspective = perspective;
  if (perspective) {
    c.q = in.q;
    c.dq = in.dq;
    c.uq = in.u;
    c.duq = in.du;
    c.vq = in.v;
    c.dvq = in.dv;
  } else {
    c.u = ToFraction32(in.u);
    c.v = ToFraction32(in.v);
    c.du = ToFraction32(in.du);
    c.dv = ToFraction32(in.dv);
  }
  return c;
}

// Helpers shared by the stages.
inline uint32_t MulDiv255(uint32_t a, uint32_t b) {
  const uint32_t t = a * b + 128;
  return (t + (t >> 8)) >> 8;
}
// A pixel's depth in the buffer's units from its 48.16 value, clamped.
inline uint32_t DepthAt(int64_t z, uint32_t zmax) {
  const int64_t v = z >> 16;
  return v <= 0 ? 0u : v >= static_cast<int64_t>(zmax) ? zmax : static_cast<uint32_t>(v);
}
// True when every pixel of the span fails the depth test (ctx.hiddenTest
// set): its nearest depth, at one of its ends, lies behind the farthest
// value stored under it. Nothing would be drawn, so the span can be
// skipped before its texture coordinates are even worked out.
bool SpanHidden(const PixelContext& ctx, const SpanInputs& in);

// Round half away from zero, without a library call.
inline int64_t RoundToInt64(double v) {
  return static_cast<int64_t>(v < 0 ? v - 0.5 : v + 0.5);
}
// 0..255, rounded; NaN gives 0.
inline uint32_t ClampByte(float v) {
  return !(v > 0.0f) ? 0u : v >= 255.0f ? 255u : static_cast<uint32_t>(v + 0.5f);
}

}  // namespace platform::d3d
