// Bilinear filtering arithmetic shared by the scalar and the vector sample
// paths, which must give the same pixels: texture coordinates are 16-bit
// fractions of the texture (WRAP is their overflow), weights have 6 bits.
#pragma once

#include <cmath>
#include <cstdint>

namespace platform::d3d {

// Coordinates of one span: affine as 0.32 fractions stepped per pixel, or
// perspective as planes of value/w and 1/w evaluated per pixel.
struct SpanCoords {
  bool perspective = false;
  uint32_t u = 0, v = 0, du = 0, dv = 0;                  // affine
  float q = 1, dq = 0, uq = 0, duq = 0, vq = 0, dvq = 0;  // perspective
};

// The fraction of a coordinate in 1/65536 of the texture.
inline uint32_t Fraction16(float value) {
  if (!(value == value)) return 0;  // NaN, as the vector path answers
  const float clamped = value < -1.0e6f ? -1.0e6f : value > 1.0e6f ? 1.0e6f : value;
  // floor() by truncation, exact in this range and free of library calls.
  float whole = static_cast<float>(static_cast<int32_t>(clamped));
  if (whole > clamped) whole -= 1.0f;
  const float f = clamped - whole;
  return static_cast<uint32_t>(static_cast<int32_t>(f * 65536.0f)) & 0xFFFFu;
}

// Texture coordinates of pixel i of the span as 16-bit fractions.
inline void CoordAt(const SpanCoords& c, int i, uint32_t* u16, uint32_t* v16) {
  if (c.perspective) {
    const float fi = static_cast<float>(i);
    const float w = 1.0f / (c.q + fi * c.dq);
    *u16 = Fraction16((c.uq + fi * c.duq) * w);
    *v16 = Fraction16((c.vq + fi * c.dvq) * w);
  } else {
    *u16 = (c.u + static_cast<uint32_t>(i) * c.du) >> 16;
    *v16 = (c.v + static_cast<uint32_t>(i) * c.dv) >> 16;
  }
}

struct Footprint {
  uint32_t index;   // of the upper-left texel in the padded cache
  uint32_t fx, fy;  // 0..63: weights of the right and lower texels
};

// The 2 x 2 texels around a sample point; half16 is half a texel in
// fraction units, moving the point from texel corners to centres.
inline Footprint BilinearFootprint(uint32_t u16, uint32_t v16, uint32_t w, uint32_t h,
                                   uint32_t halfU16, uint32_t halfV16, uint32_t stride) {
  const uint32_t tu = ((u16 - halfU16) & 0xFFFFu) * w;
  const uint32_t tv = ((v16 - halfV16) & 0xFFFFu) * h;
  return {(tv >> 16) * stride + (tu >> 16), (tu >> 10) & 63u, (tv >> 10) & 63u};
}

// The four texels of the footprint at `index` from texels laid out as
// vertical pairs (TexelCache::Pairs): upper-left, upper-right, lower-left,
// lower-right.
struct FootprintTexels {
  uint32_t texel[4];
};
inline FootprintTexels TexelsAt(const uint64_t* pairs, uint32_t index) {
  const uint64_t left = pairs[index], right = pairs[index + 1];
  return {{static_cast<uint32_t>(left), static_cast<uint32_t>(right),
           static_cast<uint32_t>(left >> 32), static_cast<uint32_t>(right >> 32)}};
}

inline int32_t MulHrs(int32_t a, int32_t b) {
  return (a * b + 0x4000) >> 15;
}

inline uint32_t BilinearBlend(uint32_t p00, uint32_t p10, uint32_t p01, uint32_t p11, uint32_t fx,
                              uint32_t fy) {
  uint32_t out = 0;
  for (int ch = 0; ch < 32; ch += 8) {
    // Columns first (exact), then across them with rounding.
    const int32_t left =
        static_cast<int32_t>(((p00 >> ch) & 0xFF) * (64 - fy) + ((p01 >> ch) & 0xFF) * fy);
    const int32_t right =
        static_cast<int32_t>(((p10 >> ch) & 0xFF) * (64 - fy) + ((p11 >> ch) & 0xFF) * fy);
    const int32_t v = (left + MulHrs(right - left, static_cast<int32_t>(fx << 9)) + 32) >> 6;
    out |= static_cast<uint32_t>(v < 0 ? 0 : v > 255 ? 255 : v) << ch;
  }
  return out;
}

// A keyed texture without alpha is filtered from texels whose alpha is 0
// where keyed and 255 elsewhere, so a sample's alpha is its unkeyed share.
// At or below this (half the weight or more keyed; 128 is the exact half)
// the pixel is discarded.
constexpr uint32_t kCoverageDiscard = 128;

// The colour of a partly keyed sample (alpha between kCoverageDiscard and
// 255) renormalised over its unkeyed share, made opaque.
inline uint32_t RenormaliseCoverage(uint32_t c) {
  const uint32_t a = c >> 24;
  uint32_t out = 0xFF000000u;
  for (int ch = 0; ch < 24; ch += 8) {
    const uint32_t v = (((c >> ch) & 0xFF) * 255 + a / 2) / a;
    out |= (v < 255 ? v : 255) << ch;
  }
  return out;
}

// Filters `count` pixels of a span into out[] from the texel pairs
// (TexelCache::Pairs); returns how many it did. The vector path works in
// groups of 8 and may write up to 7 entries past count (out[] must have
// room; coordinates there are extrapolated but always wrap inside the
// texture).
int BilinearSpanAvx2(const uint64_t* pairs, uint32_t stride, uint32_t w, uint32_t h,
                     const SpanCoords& c, int count, uint32_t* out);
// The same for an affine span along which v does not change (dv == 0):
// both texel rows are fixed, so they are blended once per texture row and
// the span only blends across columns. `serial` identifies the pairs'
// content (TexelCache::Serial, times two, plus one for coverage pairs).
int BilinearRowAvx2(const uint64_t* pairs, uint64_t serial, uint32_t stride, uint32_t w, uint32_t h,
                    const SpanCoords& c, int count, uint32_t* out);
// Whether the AVX2 paths run: the processor has AVX2 and they are not
// switched off (tests compare both paths).
bool HaveAvx2();
void EnableVectorPaths(bool enable);

}  // namespace platform::d3d
