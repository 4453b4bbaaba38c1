// The AVX2 pixel stages and the scalar pieces they fall back on.
#pragma once

#include "d3d/pixel.h"

namespace platform::d3d {

int DepthTest16LessEqualAvx2(const PixelContext& ctx, const SpanInputs& in, SpanBuffers& buf);
// Tests and writes depth in one pass, for when nothing later discards.
int DepthTestWrite16LessEqualAvx2(const PixelContext& ctx, const SpanInputs& in, SpanBuffers& buf);
int DepthTest16LessEqualScalar(const PixelContext& ctx, const SpanInputs& in, SpanBuffers& buf);
void DepthWrite16Avx2(const PixelContext& ctx, const SpanInputs& in, SpanBuffers& buf);
void Write32OpaqueAvx2(const PixelContext& ctx, const SpanInputs& in, SpanBuffers& buf);
void FlatModulateAvx2(const PixelContext& ctx, const SpanInputs& in, SpanBuffers& buf);
void Write32AlphaAvx2(const PixelContext& ctx, const SpanInputs& in, SpanBuffers& buf);

// Whether any of n stored depth values (16-bit, or 32-bit words under
// `mask`) is at least `from`; stops at the first.
bool AnyDepthFrom16Avx2(const uint16_t* d, int n, uint32_t from);
bool AnyDepthFrom32Avx2(const uint32_t* d, int n, uint32_t mask, uint32_t from);

// SRCALPHA / INVSRCALPHA of one pixel, colour channels only.
inline uint32_t BlendAlphaScalar(uint32_t s, uint32_t d) {
  const uint32_t a = s >> 24;
  uint32_t out = 0;
  for (int ch = 0; ch < 24; ch += 8) {
    const uint32_t v = MulDiv255((s >> ch) & 0xFF, a) + MulDiv255((d >> ch) & 0xFF, 255 - a);
    out |= (v > 255 ? 255 : v) << ch;
  }
  return out | (s & 0xFF000000u);
}

}  // namespace platform::d3d
