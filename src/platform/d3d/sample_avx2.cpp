// The bilinear sample loop with AVX2, eight pixels at a time, used when the
// processor has it. Gives exactly the pixels of the scalar path.
#include <immintrin.h>

#include <cstring>
#include <vector>

#include "d3d/filter.h"

namespace platform::d3d {

namespace {
bool vectorPathsEnabled = true;
}  // namespace

bool HaveAvx2() {
  static const bool have = __builtin_cpu_supports("avx2");
  return have && vectorPathsEnabled;
}

void EnableVectorPaths(bool enable) {
  vectorPathsEnabled = enable;
}

namespace {

__attribute__((target("avx2"))) inline __m256i Fraction16x8(__m256 value) {
  const __m256 clamped =
      _mm256_min_ps(_mm256_set1_ps(1.0e6f), _mm256_max_ps(_mm256_set1_ps(-1.0e6f), value));
  const __m256 f = _mm256_sub_ps(clamped, _mm256_floor_ps(clamped));
  return _mm256_and_si256(_mm256_cvttps_epi32(_mm256_mul_ps(f, _mm256_set1_ps(65536.0f))),
                          _mm256_set1_epi32(0xFFFF));
}

// The texel pairs at four indices.
__attribute__((target("avx2"))) inline __m256i LoadPairs(const uint32_t* texels,
                                                         const uint32_t* at) {
  auto pair = [texels](uint32_t i) {
    long long v;
    std::memcpy(&v, texels + i, 8);
    return v;
  };
  return _mm256_set_epi64x(pair(at[3]), pair(at[2]), pair(at[1]), pair(at[0]));
}

struct Columns {
  __m256i left, right;  // 16-bit channels of four pixels, in pixel order
};

// top and bottom hold the texel pairs (left, right) of four pixels, upper
// and lower row; wy the byte weights (64 - fy, fy) of each pixel. Gives
// each pixel's left and right column blended vertically (exact, <= 16320).
// wyEven / wyOdd: the weights of pixels 0 and 2 / 1 and 3, each over its
// 128-bit lane.
__attribute__((target("avx2"))) inline Columns Vertical(__m256i top, __m256i bottom, __m256i wyEven,
                                                        __m256i wyOdd) {
  // Pixels 0 and 2 (1 and 3): upper and lower bytes side by side.
  const __m256i even = _mm256_maddubs_epi16(_mm256_unpacklo_epi8(top, bottom), wyEven);
  const __m256i odd = _mm256_maddubs_epi16(_mm256_unpackhi_epi8(top, bottom), wyOdd);
  return {_mm256_unpacklo_epi64(even, odd), _mm256_unpackhi_epi64(even, odd)};
}

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

}  // namespace

__attribute__((target("avx2"))) int BilinearSpanAvx2(const uint32_t* texels, uint32_t stride,
                                                     uint32_t w, uint32_t h, const SpanCoords& c,
                                                     int count, uint32_t* out) {
  const __m256i lane = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
  const __m256 laneF = _mm256_cvtepi32_ps(lane);
  const __m256i halfU = _mm256_set1_epi32(static_cast<int>(32768u / w));
  const __m256i halfV = _mm256_set1_epi32(static_cast<int>(32768u / h));
  const __m256i vw = _mm256_set1_epi32(static_cast<int>(w));
  const __m256i vh = _mm256_set1_epi32(static_cast<int>(h));
  const __m256i vstride = _mm256_set1_epi32(static_cast<int>(stride));
  const __m256i mask16 = _mm256_set1_epi32(0xFFFF);
  const __m256i mask6 = _mm256_set1_epi32(63);
  const __m256i sixtyFour = _mm256_set1_epi32(64);
  int i = 0;
  for (; i < count; i += 8) {
    __m256i u16, v16;
    if (c.perspective) {
      const __m256 fi = _mm256_add_ps(_mm256_set1_ps(static_cast<float>(i)), laneF);
      const __m256 q = _mm256_add_ps(_mm256_set1_ps(c.q), _mm256_mul_ps(fi, _mm256_set1_ps(c.dq)));
      const __m256 rw = _mm256_div_ps(_mm256_set1_ps(1.0f), q);
      const __m256 uq =
          _mm256_add_ps(_mm256_set1_ps(c.uq), _mm256_mul_ps(fi, _mm256_set1_ps(c.duq)));
      const __m256 vq =
          _mm256_add_ps(_mm256_set1_ps(c.vq), _mm256_mul_ps(fi, _mm256_set1_ps(c.dvq)));
      u16 = Fraction16x8(_mm256_mul_ps(uq, rw));
      v16 = Fraction16x8(_mm256_mul_ps(vq, rw));
    } else {
      const __m256i idx = _mm256_add_epi32(_mm256_set1_epi32(i), lane);
      u16 = _mm256_srli_epi32(
          _mm256_add_epi32(_mm256_set1_epi32(static_cast<int>(c.u)),
                           _mm256_mullo_epi32(idx, _mm256_set1_epi32(static_cast<int>(c.du)))),
          16);
      v16 = _mm256_srli_epi32(
          _mm256_add_epi32(_mm256_set1_epi32(static_cast<int>(c.v)),
                           _mm256_mullo_epi32(idx, _mm256_set1_epi32(static_cast<int>(c.dv)))),
          16);
    }
    const __m256i tu =
        _mm256_mullo_epi32(_mm256_and_si256(_mm256_sub_epi32(u16, halfU), mask16), vw);
    const __m256i tv =
        _mm256_mullo_epi32(_mm256_and_si256(_mm256_sub_epi32(v16, halfV), mask16), vh);
    const __m256i index = _mm256_add_epi32(_mm256_mullo_epi32(_mm256_srli_epi32(tv, 16), vstride),
                                           _mm256_srli_epi32(tu, 16));
    const __m256i fx = _mm256_and_si256(_mm256_srli_epi32(tu, 10), mask6);
    const __m256i fy = _mm256_and_si256(_mm256_srli_epi32(tv, 10), mask6);

    // Each 64-bit load brings a texel and its right neighbour; four pixels
    // per register. Plain loads beat the gather instructions here.
    alignas(32) uint32_t at[8];
    _mm256_store_si256(reinterpret_cast<__m256i*>(at), index);
    const __m256i top0 = LoadPairs(texels, at);
    const __m256i top1 = LoadPairs(texels, at + 4);
    const __m256i bot0 = LoadPairs(texels + stride, at);
    const __m256i bot1 = LoadPairs(texels + stride, at + 4);

    // Upper and lower texel blended first (exact in 16 bits), then left
    // and right with rounding, as the scalar path does.
    const __m256i wy32 = _mm256_or_si256(_mm256_sub_epi32(sixtyFour, fy), _mm256_slli_epi32(fy, 8));
    const __m256i wy = _mm256_or_si256(wy32, _mm256_slli_epi32(wy32, 16));
    // Pixels 0 1 4 5 in the lower lane, 2 3 6 7 in the upper: one in-lane
    // shuffle then gives each register the weights of its two pixels.
    const __m256i wyByLane = _mm256_permute4x64_epi64(wy, 0xD8);
    const __m256i wx32 = _mm256_slli_epi32(fx, 9);
    const __m256i wx = _mm256_or_si256(wx32, _mm256_slli_epi32(wx32, 16));
    const __m256i lo = Horizontal(Vertical(top0, bot0, _mm256_shuffle_epi32(wyByLane, 0x00),
                                           _mm256_shuffle_epi32(wyByLane, 0x55)),
                                  Spread(_mm256_castsi256_si128(wx)));
    const __m256i hi = Horizontal(Vertical(top1, bot1, _mm256_shuffle_epi32(wyByLane, 0xAA),
                                           _mm256_shuffle_epi32(wyByLane, 0xFF)),
                                  Spread(_mm256_extracti128_si256(wx, 1)));
    // packus interleaves the lanes: pixels 0 1 4 5 2 3 6 7; put them in order.
    const __m256i packed = _mm256_permute4x64_epi64(_mm256_packus_epi16(lo, hi), 0xD8);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), packed);
  }
  return i;
}

}  // namespace platform::d3d

namespace platform::d3d {

namespace {

// One texture row blended with the next: per column four 16-bit channels
// (b, g, r, a), upper x (64 - fy) + lower x fy.
struct BlendedRow {
  const uint32_t* texels = nullptr;
  uint64_t serial = 0;
  uint32_t row = 0, fy = 0, columns = 0;
  std::vector<uint16_t> values;
};

__attribute__((target("avx2"))) const uint16_t* RowFor(const uint32_t* texels, uint64_t serial,
                                                       uint32_t stride, uint32_t columns,
                                                       uint32_t row, uint32_t fy) {
  thread_local BlendedRow cache;
  if (cache.texels == texels && cache.serial == serial && cache.row == row && cache.fy == fy &&
      cache.columns == columns)
    return cache.values.data();
  cache.texels = texels;
  cache.serial = serial;
  cache.row = row;
  cache.fy = fy;
  cache.columns = columns;
  cache.values.resize(static_cast<size_t>(columns) * 4);
  const uint32_t* upper = texels + static_cast<size_t>(row) * stride;
  const uint32_t* lower = upper + stride;
  uint16_t* out = cache.values.data();
  const __m128i weights = _mm_set1_epi16(static_cast<int16_t>((fy << 8) | (64 - fy)));
  uint32_t x = 0;
  for (; x + 4 <= columns; x += 4) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(upper + x));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(lower + x));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4 * x),
                     _mm_maddubs_epi16(_mm_unpacklo_epi8(a, b), weights));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4 * x + 8),
                     _mm_maddubs_epi16(_mm_unpackhi_epi8(a, b), weights));
  }
  for (; x < columns; ++x)
    for (int ch = 0; ch < 4; ++ch)
      out[4 * x + ch] = static_cast<uint16_t>(((upper[x] >> (8 * ch)) & 0xFF) * (64 - fy) +
                                              ((lower[x] >> (8 * ch)) & 0xFF) * fy);
  return out;
}

__attribute__((target("avx2"))) inline __m256i TwoColumns(const uint16_t* row, uint32_t a,
                                                          uint32_t b) {
  return _mm256_setr_m128i(_mm_loadu_si128(reinterpret_cast<const __m128i*>(row + 4 * a)),
                           _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + 4 * b)));
}

}  // namespace

__attribute__((target("avx2"))) int BilinearRowAvx2(const uint32_t* texels, uint64_t serial,
                                                    uint32_t stride, uint32_t w, uint32_t h,
                                                    const SpanCoords& c, int count, uint32_t* out) {
  const uint32_t tv = (((c.v >> 16) - 32768u / h) & 0xFFFFu) * h;
  const uint16_t* row = RowFor(texels, serial, stride, w + 1, tv >> 16, (tv >> 10) & 63u);
  const __m256i lane = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
  const __m256i halfU = _mm256_set1_epi32(static_cast<int>(32768u / w));
  const __m256i vw = _mm256_set1_epi32(static_cast<int>(w));
  const __m256i mask16 = _mm256_set1_epi32(0xFFFF);
  const __m256i mask6 = _mm256_set1_epi32(63);
  int i = 0;
  for (; i < count; i += 8) {
    const __m256i idx = _mm256_add_epi32(_mm256_set1_epi32(i), lane);
    const __m256i u16 = _mm256_srli_epi32(
        _mm256_add_epi32(_mm256_set1_epi32(static_cast<int>(c.u)),
                         _mm256_mullo_epi32(idx, _mm256_set1_epi32(static_cast<int>(c.du)))),
        16);
    const __m256i tu =
        _mm256_mullo_epi32(_mm256_and_si256(_mm256_sub_epi32(u16, halfU), mask16), vw);
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
    const __m256i packed =
        _mm256_permute4x64_epi64(_mm256_packus_epi16(result[0], result[1]), 0xD8);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), packed);
  }
  return i;
}

}  // namespace platform::d3d
