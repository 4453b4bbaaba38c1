// Eight-pixel AVX2 building blocks shared by the vector stages and the
// fused span loop. Each gives exactly the result of the scalar arithmetic
// in filter.h / pixel.h, so every path draws the same pixels. Only called
// when HaveAvx2() answers true.
#pragma once

#include <immintrin.h>

#include <cstdint>
#include <cstring>

#include "d3d/filter.h"

namespace platform::d3d {

// Fraction16() of eight values.
__attribute__((target("avx2"))) inline __m256i Fraction16x8(__m256 value) {
  const __m256 clamped =
      _mm256_min_ps(_mm256_set1_ps(1.0e6f), _mm256_max_ps(_mm256_set1_ps(-1.0e6f), value));
  const __m256 f = _mm256_sub_ps(clamped, _mm256_floor_ps(clamped));
  return _mm256_and_si256(_mm256_cvttps_epi32(_mm256_mul_ps(f, _mm256_set1_ps(65536.0f))),
                          _mm256_set1_epi32(0xFFFF));
}

struct Columns {
  __m256i left, right;  // 16-bit channels of four pixels, in pixel order
};

// left + (right - left) * fx / 64, rounded, down to 8 bits in 16-bit lanes.
__attribute__((target("avx2"))) inline __m256i Horizontal(const Columns& c, __m256i wx) {
  const __m256i v =
      _mm256_add_epi16(c.left, _mm256_mulhrs_epi16(_mm256_sub_epi16(c.right, c.left), wx));
  return _mm256_srai_epi16(_mm256_add_epi16(v, _mm256_set1_epi16(32)), 6);
}

// Four 32-bit values, each repeated over a 64-bit lane.
__attribute__((target("avx2"))) inline __m256i Spread(__m128i v) {
  const __m256i wide = _mm256_cvtepu32_epi64(v);
  return _mm256_or_si256(wide, _mm256_slli_epi64(wide, 32));
}

// CoordAt() of pixels i .. i + 7 of a span.
__attribute__((target("avx2"))) inline void Coords8(const SpanCoords& c, int i, __m256i* u16,
                                                    __m256i* v16) {
  const __m256i lane = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
  if (c.perspective) {
    const __m256 fi =
        _mm256_add_ps(_mm256_set1_ps(static_cast<float>(i)), _mm256_cvtepi32_ps(lane));
    const __m256 q = _mm256_add_ps(_mm256_set1_ps(c.q), _mm256_mul_ps(fi, _mm256_set1_ps(c.dq)));
    const __m256 rw = _mm256_div_ps(_mm256_set1_ps(1.0f), q);
    const __m256 uq = _mm256_add_ps(_mm256_set1_ps(c.uq), _mm256_mul_ps(fi, _mm256_set1_ps(c.duq)));
    const __m256 vq = _mm256_add_ps(_mm256_set1_ps(c.vq), _mm256_mul_ps(fi, _mm256_set1_ps(c.dvq)));
    *u16 = Fraction16x8(_mm256_mul_ps(uq, rw));
    *v16 = Fraction16x8(_mm256_mul_ps(vq, rw));
  } else {
    const __m256i idx = _mm256_add_epi32(_mm256_set1_epi32(i), lane);
    *u16 = _mm256_srli_epi32(
        _mm256_add_epi32(_mm256_set1_epi32(static_cast<int>(c.u)),
                         _mm256_mullo_epi32(idx, _mm256_set1_epi32(static_cast<int>(c.du)))),
        16);
    *v16 = _mm256_srli_epi32(
        _mm256_add_epi32(_mm256_set1_epi32(static_cast<int>(c.v)),
                         _mm256_mullo_epi32(idx, _mm256_set1_epi32(static_cast<int>(c.dv)))),
        16);
  }
}

// Per-texture constants of the bilinear footprint.
struct BilinearConstants {
  __m256i halfU, halfV, w, h, stride;
};

// halfU / halfV: half a texel in 1/65536 of the texture (32768 / size).
__attribute__((target("avx2"))) inline BilinearConstants MakeBilinearConstants(
    uint32_t w, uint32_t h, uint32_t stride, uint32_t halfU, uint32_t halfV) {
  return {_mm256_set1_epi32(static_cast<int>(halfU)), _mm256_set1_epi32(static_cast<int>(halfV)),
          _mm256_set1_epi32(static_cast<int>(w)), _mm256_set1_epi32(static_cast<int>(h)),
          _mm256_set1_epi32(static_cast<int>(stride))};
}

// The footprints of two pixels from texels laid out as vertical pairs:
// pixel at index a in the lower lane, b in the upper, each [upper-left,
// lower-left, upper-right, lower-right].
__attribute__((target("avx2"))) inline __m256i Footprints(const uint64_t* pairs, uint32_t a,
                                                          uint32_t b) {
  return _mm256_inserti128_si256(
      _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(pairs + a))),
      _mm_loadu_si128(reinterpret_cast<const __m128i*>(pairs + b)), 1);
}

// Bilinear samples (BilinearFootprint + BilinearBlend) of eight pixels at
// 16-bit fractional coordinates, as ARGB in pixel order, from texels laid
// out as vertical pairs (TexelCache::Pairs): one 16-byte load per pixel
// brings its whole footprint.
__attribute__((target("avx2"))) inline __m256i Bilinear8Pairs(const uint64_t* pairs,
                                                              const BilinearConstants& k,
                                                              __m256i u16, __m256i v16) {
  const __m256i mask16 = _mm256_set1_epi32(0xFFFF);
  const __m256i mask6 = _mm256_set1_epi32(63);
  const __m256i tu =
      _mm256_mullo_epi32(_mm256_and_si256(_mm256_sub_epi32(u16, k.halfU), mask16), k.w);
  const __m256i tv =
      _mm256_mullo_epi32(_mm256_and_si256(_mm256_sub_epi32(v16, k.halfV), mask16), k.h);
  const __m256i index = _mm256_add_epi32(_mm256_mullo_epi32(_mm256_srli_epi32(tv, 16), k.stride),
                                         _mm256_srli_epi32(tu, 16));
  const __m256i fx = _mm256_and_si256(_mm256_srli_epi32(tu, 10), mask6);
  const __m256i fy = _mm256_and_si256(_mm256_srli_epi32(tv, 10), mask6);
  alignas(32) uint32_t at[8];
  _mm256_store_si256(reinterpret_cast<__m256i*>(at), index);
  // Upper and lower bytes side by side, left column then right column.
  const __m256i interleave = _mm256_setr_epi8(0, 4, 1, 5, 2, 6, 3, 7, 8, 12, 9, 13, 10, 14, 11, 15,
                                              0, 4, 1, 5, 2, 6, 3, 7, 8, 12, 9, 13, 10, 14, 11, 15);
  const __m256i wy32 =
      _mm256_or_si256(_mm256_sub_epi32(_mm256_set1_epi32(64), fy), _mm256_slli_epi32(fy, 8));
  const __m256i wy = _mm256_or_si256(wy32, _mm256_slli_epi32(wy32, 16));
  // Each: 16-bit channels of the left and right column of pixels k, k + 4.
  const __m256i v0 =
      _mm256_maddubs_epi16(_mm256_shuffle_epi8(Footprints(pairs, at[0], at[4]), interleave),
                           _mm256_shuffle_epi32(wy, 0x00));
  const __m256i v1 =
      _mm256_maddubs_epi16(_mm256_shuffle_epi8(Footprints(pairs, at[1], at[5]), interleave),
                           _mm256_shuffle_epi32(wy, 0x55));
  const __m256i v2 =
      _mm256_maddubs_epi16(_mm256_shuffle_epi8(Footprints(pairs, at[2], at[6]), interleave),
                           _mm256_shuffle_epi32(wy, 0xAA));
  const __m256i v3 =
      _mm256_maddubs_epi16(_mm256_shuffle_epi8(Footprints(pairs, at[3], at[7]), interleave),
                           _mm256_shuffle_epi32(wy, 0xFF));
  const __m256i wx32 = _mm256_slli_epi32(fx, 9);
  const __m256i wx = _mm256_or_si256(wx32, _mm256_slli_epi32(wx32, 16));
  // Pixels 0 1 | 4 5 and 2 3 | 6 7; packing them gives 0 1 2 3 | 4 5 6 7.
  const __m256i lo = Horizontal({_mm256_unpacklo_epi64(v0, v1), _mm256_unpackhi_epi64(v0, v1)},
                                _mm256_unpacklo_epi32(wx, wx));
  const __m256i hi = Horizontal({_mm256_unpacklo_epi64(v2, v3), _mm256_unpackhi_epi64(v2, v3)},
                                _mm256_unpackhi_epi32(wx, wx));
  return _mm256_packus_epi16(lo, hi);
}

// One texture row blended with the next (upper x (64 - fy) + lower x fy):
// per column four 16-bit channels (b, g, r, a), for `columns` columns.
// Kept per thread for the last row asked for; `serial` identifies the
// texels' content (TexelCache::Serial).
const uint16_t* BlendedRowAvx2(const uint64_t* pairs, uint64_t serial, uint32_t stride,
                               uint32_t columns, uint32_t row, uint32_t fy);

__attribute__((target("avx2"))) inline __m256i TwoColumns(const uint16_t* row, uint32_t a,
                                                          uint32_t b) {
  return _mm256_setr_m128i(_mm_loadu_si128(reinterpret_cast<const __m128i*>(row + 4 * a)),
                           _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + 4 * b)));
}

// Bilinear samples of eight pixels on a span along which v does not
// change, from the blended row of BlendedRowAvx2; halfU and w as in
// BilinearConstants.
__attribute__((target("avx2"))) inline __m256i BilinearRow8(const uint16_t* row, __m256i u16,
                                                            __m256i halfU, __m256i w) {
  const __m256i mask16 = _mm256_set1_epi32(0xFFFF);
  const __m256i mask6 = _mm256_set1_epi32(63);
  const __m256i tu = _mm256_mullo_epi32(_mm256_and_si256(_mm256_sub_epi32(u16, halfU), mask16), w);
  const __m256i fx = _mm256_and_si256(_mm256_srli_epi32(tu, 10), mask6);
  alignas(32) uint32_t at[8];
  _mm256_store_si256(reinterpret_cast<__m256i*>(at), _mm256_srli_epi32(tu, 16));
  const __m256i wx32 = _mm256_slli_epi32(fx, 9);
  const __m256i wx = _mm256_or_si256(wx32, _mm256_slli_epi32(wx32, 16));
  __m256i result[2];
  for (int half = 0; half < 2; ++half) {
    const uint32_t* p = at + 4 * half;
    // [left right] of pixels 0 and 2, and of 1 and 3, then split.
    const __m256i even = TwoColumns(row, p[0], p[2]);
    const __m256i odd = TwoColumns(row, p[1], p[3]);
    const Columns cols{_mm256_unpacklo_epi64(even, odd), _mm256_unpackhi_epi64(even, odd)};
    const __m128i w4 = half ? _mm256_extracti128_si256(wx, 1) : _mm256_castsi256_si128(wx);
    result[half] = Horizontal(cols, Spread(w4));
  }
  return _mm256_permute4x64_epi64(_mm256_packus_epi16(result[0], result[1]), 0xD8);
}

// The size of a 0.32 step per pixel, either way.
inline uint32_t AbsStep(uint32_t step) {
  return static_cast<int32_t>(step) < 0 ? 0u - step : step;
}

// The weights that blend a row of texel pairs down (16-bit lanes of
// (fy << 8) | (64 - fy)), from tv as in Bilinear8Pairs.
__attribute__((target("avx2"))) inline __m256i RowWeights(uint32_t tv) {
  const uint32_t fy = (tv >> 10) & 63u;
  return _mm256_set1_epi16(static_cast<int16_t>((fy << 8) | (64 - fy)));
}

// The column of each of eight pixels on a span along which v does not
// change, and the weight of the right column (tu as in Bilinear8Pairs).
struct RowColumns8 {
  __m256i index, fx;
};
__attribute__((target("avx2"))) inline RowColumns8 ColumnsOf8(__m256i u16, __m256i halfU,
                                                              __m256i w) {
  const __m256i tu = _mm256_mullo_epi32(
      _mm256_and_si256(_mm256_sub_epi32(u16, halfU), _mm256_set1_epi32(0xFFFF)), w);
  return {_mm256_srli_epi32(tu, 16),
          _mm256_and_si256(_mm256_srli_epi32(tu, 10), _mm256_set1_epi32(63))};
}

// Whether the eight columns are first, first + 1, ..., first + 7 (a span
// that steps about one texel per pixel).
__attribute__((target("avx2"))) inline bool Consecutive8(__m256i index, uint32_t* first) {
  *first = static_cast<uint32_t>(_mm256_cvtsi256_si32(index));
  const __m256i expected = _mm256_add_epi32(_mm256_set1_epi32(static_cast<int>(*first)),
                                            _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
  return _mm256_movemask_epi8(_mm256_cmpeq_epi32(index, expected)) == -1;
}

// Four texel pairs from `at` on, each blended down: four columns' 16-bit
// channels in pixel order.
__attribute__((target("avx2"))) inline __m256i DownPairs4(const uint64_t* at, __m256i wy) {
  const __m256i interleave = _mm256_setr_epi8(0, 4, 1, 5, 2, 6, 3, 7, 8, 12, 9, 13, 10, 14, 11, 15,
                                              0, 4, 1, 5, 2, 6, 3, 7, 8, 12, 9, 13, 10, 14, 11, 15);
  const __m256i pairs = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
  return _mm256_maddubs_epi16(_mm256_shuffle_epi8(pairs, interleave), wy);
}

// Bilinear samples of eight pixels whose footprints are the consecutive
// columns first .. first + 8 of one row of texel pairs (TexelCache::Pairs,
// the row's first entry at rowPairs): each pair blended down with wy (16-bit
// lanes of (fy << 8) | (64 - fy)), then across with the pixel's fx. Plain
// loads instead of one per pixel; the same arithmetic as Bilinear8Pairs.
__attribute__((target("avx2"))) inline __m256i ConsecutiveRow8(const uint64_t* rowPairs,
                                                               uint32_t first, __m256i wy,
                                                               __m256i fx) {
  const uint64_t* at = rowPairs + first;
  const __m256i wx32 = _mm256_slli_epi32(fx, 9);
  const __m256i wx = _mm256_or_si256(wx32, _mm256_slli_epi32(wx32, 16));
  const __m256i lo =
      Horizontal({DownPairs4(at, wy), DownPairs4(at + 1, wy)}, Spread(_mm256_castsi256_si128(wx)));
  const __m256i hi = Horizontal({DownPairs4(at + 4, wy), DownPairs4(at + 5, wy)},
                                Spread(_mm256_extracti128_si256(wx, 1)));
  return _mm256_permute4x64_epi64(_mm256_packus_epi16(lo, hi), 0xD8);
}

// Whether an affine span along a texture row steps about a texel per pixel
// or more: its row's pairs are then read as they are, since blending the
// row once would cost about as much as the span itself.
inline bool ReadsRowDirectly(uint32_t du, uint32_t w) {
  return uint64_t{AbsStep(du)} * w >= (uint64_t{7} << 29);
}

// Eight samples of such a span at u16 (v16 fixed): consecutive columns with
// plain loads from the row's pairs, any others pair by pair.
__attribute__((target("avx2"))) inline __m256i DirectRow8(const uint64_t* pairs,
                                                          const uint64_t* rowPairs,
                                                          const BilinearConstants& k, __m256i u16,
                                                          __m256i v16, __m256i wy) {
  const RowColumns8 columns = ColumnsOf8(u16, k.halfU, k.w);
  uint32_t first;
  return Consecutive8(columns.index, &first) ? ConsecutiveRow8(rowPairs, first, wy, columns.fx)
                                             : Bilinear8Pairs(pairs, k, u16, v16);
}

// (a * b + 128 + ((a * b + 128) >> 8)) >> 8 on 16-bit lanes: a * b / 255.
__attribute__((target("avx2"))) inline __m256i MulDiv255x16(__m256i a, __m256i b) {
  const __m256i t = _mm256_add_epi16(_mm256_mullo_epi16(a, b), _mm256_set1_epi16(128));
  return _mm256_srli_epi16(_mm256_add_epi16(t, _mm256_srli_epi16(t, 8)), 8);
}

// Eight ARGB pixels times one ARGB colour, channel by channel (MODULATE).
// dLo / dHi: the colour's channels unpacked to 16 bits (unpacklo / hi).
__attribute__((target("avx2"))) inline __m256i Modulate8(__m256i t, __m256i dLo, __m256i dHi) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i lo = MulDiv255x16(_mm256_unpacklo_epi8(t, zero), dLo);
  const __m256i hi = MulDiv255x16(_mm256_unpackhi_epi8(t, zero), dHi);
  return _mm256_packus_epi16(lo, hi);
}

// SRCALPHA / INVSRCALPHA of eight source pixels over eight destination
// pixels, colour channels blended, alpha forced opaque.
__attribute__((target("avx2"))) inline __m256i BlendAlpha8(__m256i s, __m256i d) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i ff = _mm256_set1_epi16(255);
  // Broadcasts each pixel's alpha byte over its four 16-bit channels.
  const __m256i alphaShuffle =
      _mm256_setr_epi8(6, 7, 6, 7, 6, 7, 6, 7, 14, 15, 14, 15, 14, 15, 14, 15, 6, 7, 6, 7, 6, 7, 6,
                       7, 14, 15, 14, 15, 14, 15, 14, 15);
  __m256i halves[2];
  for (int h = 0; h < 2; ++h) {
    const __m256i s16 = h ? _mm256_unpackhi_epi8(s, zero) : _mm256_unpacklo_epi8(s, zero);
    const __m256i d16 = h ? _mm256_unpackhi_epi8(d, zero) : _mm256_unpacklo_epi8(d, zero);
    const __m256i a = _mm256_shuffle_epi8(s16, alphaShuffle);
    halves[h] = _mm256_add_epi16(MulDiv255x16(s16, a), MulDiv255x16(d16, _mm256_sub_epi16(ff, a)));
  }
  return _mm256_or_si256(_mm256_packus_epi16(halves[0], halves[1]),
                         _mm256_set1_epi32(static_cast<int>(0xFF000000u)));
}

}  // namespace platform::d3d
