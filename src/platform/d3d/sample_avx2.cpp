// The bilinear sample loop with AVX2, eight pixels at a time, used when the
// processor has it. Gives exactly the pixels of the scalar path.
#include <immintrin.h>

#include <cstring>
#include <vector>

#include "d3d/avx2_ops.h"
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

__attribute__((target("avx2"))) int BilinearSpanAvx2(const uint64_t* pairs, uint32_t stride,
                                                     uint32_t w, uint32_t h, const SpanCoords& c,
                                                     int count, uint32_t* out) {
  const BilinearConstants k = MakeBilinearConstants(w, h, stride, 32768u / w, 32768u / h);
  int i = 0;
  for (; i < count; i += 8) {
    __m256i u16, v16;
    Coords8(c, i, &u16, &v16);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), Bilinear8Pairs(pairs, k, u16, v16));
  }
  return i;
}

namespace {

// One texture row blended with the next: per column four 16-bit channels
// (b, g, r, a), upper x (64 - fy) + lower x fy.
struct BlendedRow {
  const uint64_t* pairs = nullptr;
  uint64_t serial = 0;
  uint32_t row = 0, fy = 0, columns = 0;
  std::vector<uint16_t> values;
};

}  // namespace

__attribute__((target("avx2"))) const uint16_t* BlendedRowAvx2(const uint64_t* pairs,
                                                               uint64_t serial, uint32_t stride,
                                                               uint32_t columns, uint32_t row,
                                                               uint32_t fy) {
  thread_local BlendedRow cache;
  if (cache.pairs == pairs && cache.serial == serial && cache.row == row && cache.fy == fy &&
      cache.columns == columns)
    return cache.values.data();
  cache.pairs = pairs;
  cache.serial = serial;
  cache.row = row;
  cache.fy = fy;
  cache.columns = columns;
  cache.values.resize(static_cast<size_t>(columns) * 4);
  // Each entry holds a column's upper and lower texel.
  const uint64_t* in = pairs + static_cast<size_t>(row) * stride;
  uint16_t* out = cache.values.data();
  const __m128i weights = _mm_set1_epi16(static_cast<int16_t>((fy << 8) | (64 - fy)));
  // Upper and lower bytes of each channel side by side.
  const __m128i interleave = _mm_setr_epi8(0, 4, 1, 5, 2, 6, 3, 7, 8, 12, 9, 13, 10, 14, 11, 15);
  uint32_t x = 0;
  for (; x + 2 <= columns; x += 2) {
    const __m128i both = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + x));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4 * x),
                     _mm_maddubs_epi16(_mm_shuffle_epi8(both, interleave), weights));
  }
  for (; x < columns; ++x)
    for (int ch = 0; ch < 4; ++ch)
      out[4 * x + ch] = static_cast<uint16_t>(((in[x] >> (8 * ch)) & 0xFF) * (64 - fy) +
                                              ((in[x] >> (32 + 8 * ch)) & 0xFF) * fy);
  return out;
}

__attribute__((target("avx2"))) int BilinearRowAvx2(const uint64_t* pairs, uint64_t serial,
                                                    uint32_t stride, uint32_t w, uint32_t h,
                                                    const SpanCoords& c, int count, uint32_t* out) {
  const uint32_t tv = (((c.v >> 16) - 32768u / h) & 0xFFFFu) * h;
  // About a texel per pixel or more: the row's pairs as they are; fewer:
  // the row blended once.
  const bool direct = ReadsRowDirectly(c.du, w);
  const uint16_t* row =
      direct ? nullptr : BlendedRowAvx2(pairs, serial, stride, w + 1, tv >> 16, (tv >> 10) & 63u);
  const uint64_t* rowPairs = pairs + static_cast<size_t>(tv >> 16) * stride;
  const __m256i wy = RowWeights(tv);
  const BilinearConstants k = MakeBilinearConstants(w, h, stride, 32768u / w, 32768u / h);
  const __m256i lane = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
  const __m256i v16 = _mm256_set1_epi32(static_cast<int>(c.v >> 16));
  int i = 0;
  for (; i < count; i += 8) {
    const __m256i idx = _mm256_add_epi32(_mm256_set1_epi32(i), lane);
    const __m256i u16 = _mm256_srli_epi32(
        _mm256_add_epi32(_mm256_set1_epi32(static_cast<int>(c.u)),
                         _mm256_mullo_epi32(idx, _mm256_set1_epi32(static_cast<int>(c.du)))),
        16);
    const __m256i texel = direct ? DirectRow8(pairs, rowPairs, k, u16, v16, wy)
                                 : BilinearRow8(row, u16, k.halfU, k.w);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), texel);
  }
  return i;
}

}  // namespace platform::d3d
