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

__attribute__((target("avx2"))) int BilinearSpanAvx2(const uint32_t* texels, uint32_t stride,
                                                     uint32_t w, uint32_t h, const SpanCoords& c,
                                                     int count, uint32_t* out) {
  const BilinearConstants k = MakeBilinearConstants(w, h, stride, 32768u / w, 32768u / h);
  int i = 0;
  for (; i < count; i += 8) {
    __m256i u16, v16;
    Coords8(c, i, &u16, &v16);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), Bilinear8(texels, k, u16, v16));
  }
  return i;
}

namespace {

// One texture row blended with the next: per column four 16-bit channels
// (b, g, r, a), upper x (64 - fy) + lower x fy.
struct BlendedRow {
  const uint32_t* texels = nullptr;
  uint64_t serial = 0;
  uint32_t row = 0, fy = 0, columns = 0;
  std::vector<uint16_t> values;
};

}  // namespace

__attribute__((target("avx2"))) const uint16_t* BlendedRowAvx2(const uint32_t* texels,
                                                               uint64_t serial, uint32_t stride,
                                                               uint32_t columns, uint32_t row,
                                                               uint32_t fy) {
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

__attribute__((target("avx2"))) int BilinearRowAvx2(const uint32_t* texels, uint64_t serial,
                                                    uint32_t stride, uint32_t w, uint32_t h,
                                                    const SpanCoords& c, int count, uint32_t* out) {
  const uint32_t tv = (((c.v >> 16) - 32768u / h) & 0xFFFFu) * h;
  const uint16_t* row = BlendedRowAvx2(texels, serial, stride, w + 1, tv >> 16, (tv >> 10) & 63u);
  const __m256i lane = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
  const __m256i halfU = _mm256_set1_epi32(static_cast<int>(32768u / w));
  const __m256i vw = _mm256_set1_epi32(static_cast<int>(w));
  int i = 0;
  for (; i < count; i += 8) {
    const __m256i idx = _mm256_add_epi32(_mm256_set1_epi32(i), lane);
    const __m256i u16 = _mm256_srli_epi32(
        _mm256_add_epi32(_mm256_set1_epi32(static_cast<int>(c.u)),
                         _mm256_mullo_epi32(idx, _mm256_set1_epi32(static_cast<int>(c.du)))),
        16);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), BilinearRow8(row, u16, halfU, vw));
  }
  return i;
}

}  // namespace platform::d3d
