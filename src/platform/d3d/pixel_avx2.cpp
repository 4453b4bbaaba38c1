// AVX2 versions of the busiest pixel stages (16-bit LESSEQUAL depth test
// and write, opaque and SRCALPHA/INVSRCALPHA stores into 32-bit targets),
// eight pixels at a time with the same results as the scalar stages.
#include <immintrin.h>

#include <cstring>

#include "d3d/avx2_ops.h"
#include "d3d/filter.h"
#include "d3d/pixel_avx2.h"

namespace platform::d3d {

namespace {

// The 8 mask bytes at m as 32-bit lanes of all ones / zeros.
__attribute__((target("avx2"))) inline __m256i LoadMask(const uint8_t* m) {
  int64_t bytes;
  std::memcpy(&bytes, m, 8);
  const __m256i wide = _mm256_cvtepu8_epi32(_mm_cvtsi64_si128(bytes));
  return _mm256_cmpgt_epi32(wide, _mm256_setzero_si256());
}

}  // namespace

__attribute__((target("avx2"))) bool AnyDepthFrom16Avx2(const uint16_t* d, int n, uint32_t from) {
  if (from > 0xFFFF) return false;
  const __m256i limit = _mm256_set1_epi16(static_cast<int16_t>(from));
  int i = 0;
  for (; i + 16 <= n; i += 16) {
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d + i));
    // v >= from, unsigned: max(v, from) == v.
    if (!_mm256_testz_si256(_mm256_cmpeq_epi16(_mm256_max_epu16(v, limit), v),
                            _mm256_set1_epi8(-1)))
      return true;
  }
  for (; i < n; ++i)
    if (d[i] >= from) return true;
  return false;
}

__attribute__((target("avx2"))) bool AnyDepthFrom32Avx2(const uint32_t* d, int n, uint32_t mask,
                                                        uint32_t from) {
  const __m256i limit = _mm256_set1_epi32(static_cast<int32_t>(from));
  const __m256i bits = _mm256_set1_epi32(static_cast<int32_t>(mask));
  const __m256i lane = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
  for (int i = 0; i < n; i += 8) {
    // The last group loads only the span's own words.
    const __m256i inside = _mm256_cmpgt_epi32(_mm256_set1_epi32(n - i), lane);
    const __m256i v =
        _mm256_and_si256(_mm256_maskload_epi32(reinterpret_cast<const int*>(d + i), inside), bits);
    const __m256i atLeast = _mm256_cmpeq_epi32(_mm256_max_epu32(v, limit), v);
    if (!_mm256_testz_si256(atLeast, inside)) return true;
  }
  return false;
}

__attribute__((target("avx2"))) void DepthWrite16Avx2(const PixelContext& ctx, const SpanInputs& in,
                                                      SpanBuffers& buf) {
  uint16_t* row =
      reinterpret_cast<uint16_t*>(ctx.depth.bits + static_cast<size_t>(in.y) * ctx.depth.pitch) +
      in.x;
  int i = 0;
  for (; i + 8 <= in.count; i += 8) {
    const __m256i m = LoadMask(buf.mask + i);
    const __m256i z = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(buf.zvalue + i));
    const __m256i old =
        _mm256_cvtepu16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(row + i)));
    const __m256i v = _mm256_blendv_epi8(old, z, m);
    // Pack the 32-bit lanes (all below 2^16) back to 16 bits.
    const __m128i packed =
        _mm_packus_epi32(_mm256_castsi256_si128(v), _mm256_extracti128_si256(v, 1));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(row + i), packed);
  }
  for (; i < in.count; ++i)
    if (buf.mask[i]) row[i] = static_cast<uint16_t>(buf.zvalue[i]);
}

template <bool kWrite>
__attribute__((target("avx2"))) int DepthTest16LessEqual(const PixelContext& ctx,
                                                         const SpanInputs& in, SpanBuffers& buf) {
  const int64_t zEnd = in.z + static_cast<int64_t>(in.count - 1) * in.dz;
  const int64_t limit = int64_t{1} << 32;
  if (in.z < 0 || in.z >= limit || zEnd < 0 || zEnd >= limit) {
    // Needs clamping: the scalar stage, then the write.
    const int passed = DepthTest16LessEqualScalar(ctx, in, buf);
    if (kWrite) DepthWrite16Avx2(ctx, in, buf);
    return passed;
  }
  uint16_t* row =
      reinterpret_cast<uint16_t*>(ctx.depth.bits + static_cast<size_t>(in.y) * ctx.depth.pitch) +
      in.x;
  const __m256i lane = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
  const __m256i dz = _mm256_set1_epi32(static_cast<int32_t>(in.dz));
  const __m256i z0 = _mm256_set1_epi32(static_cast<int32_t>(static_cast<uint32_t>(in.z)));
  int passed = 0;
  int i = 0;
  for (; i + 8 <= in.count; i += 8) {
    const __m256i idx = _mm256_add_epi32(_mm256_set1_epi32(i), lane);
    const __m256i z = _mm256_srli_epi32(_mm256_add_epi32(z0, _mm256_mullo_epi32(idx, dz)), 16);
    const __m256i stored =
        _mm256_cvtepu16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(row + i)));
    // z <= stored, both below 2^16, as signed 32-bit.
    const __m256i fail = _mm256_cmpgt_epi32(z, stored);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(buf.zvalue + i), z);
    const int failBits = _mm256_movemask_ps(_mm256_castsi256_ps(fail));
    const __m256i pass = _mm256_andnot_si256(fail, _mm256_set1_epi32(1));
    const __m128i pass16 =
        _mm_packus_epi32(_mm256_castsi256_si128(pass), _mm256_extracti128_si256(pass, 1));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(buf.mask + i), _mm_packus_epi16(pass16, pass16));
    if (kWrite) {
      // Nothing later discards pixels: the depth of every pass goes in now.
      const __m256i v = _mm256_blendv_epi8(z, stored, fail);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(row + i),
                       _mm_packus_epi32(_mm256_castsi256_si128(v), _mm256_extracti128_si256(v, 1)));
    }
    passed += 8 - __builtin_popcount(static_cast<unsigned>(failBits));
  }
  for (; i < in.count; ++i) {
    const uint32_t z =
        (static_cast<uint32_t>(in.z) + static_cast<uint32_t>(i) * static_cast<uint32_t>(in.dz)) >>
        16;
    buf.zvalue[i] = z;
    buf.mask[i] = z <= row[i];
    passed += buf.mask[i];
    if (kWrite && buf.mask[i]) row[i] = static_cast<uint16_t>(z);
  }
  return passed;
}

int DepthTest16LessEqualAvx2(const PixelContext& ctx, const SpanInputs& in, SpanBuffers& buf) {
  return DepthTest16LessEqual<false>(ctx, in, buf);
}

int DepthTestWrite16LessEqualAvx2(const PixelContext& ctx, const SpanInputs& in, SpanBuffers& buf) {
  return DepthTest16LessEqual<true>(ctx, in, buf);
}

__attribute__((target("avx2"))) void Write32OpaqueAvx2(const PixelContext& ctx,
                                                       const SpanInputs& in, SpanBuffers& buf) {
  uint32_t* row =
      reinterpret_cast<uint32_t*>(ctx.target.bits + static_cast<size_t>(in.y) * ctx.target.pitch) +
      in.x;
  const __m256i opaque = _mm256_set1_epi32(static_cast<int>(0xFF000000u));
  int i = 0;
  for (; i + 8 <= in.count; i += 8) {
    const __m256i m = LoadMask(buf.mask + i);
    const __m256i c = _mm256_or_si256(
        _mm256_loadu_si256(reinterpret_cast<const __m256i*>(buf.color + i)), opaque);
    const __m256i old = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row + i));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(row + i), _mm256_blendv_epi8(old, c, m));
  }
  for (; i < in.count; ++i)
    if (buf.mask[i]) row[i] = buf.color[i] | 0xFF000000u;
}

__attribute__((target("avx2"))) void FlatModulateAvx2(const PixelContext& ctx, const SpanInputs& in,
                                                      SpanBuffers& buf) {
  const __m256i zero = _mm256_setzero_si256();
  // The diffuse colour with alpha 255, so that the texel's alpha passes.
  const __m256i d = _mm256_set1_epi32(static_cast<int>(ctx.tri.flatColor | 0xFF000000u));
  const __m256i dLo = _mm256_unpacklo_epi8(d, zero), dHi = _mm256_unpackhi_epi8(d, zero);
  int i = 0;
  for (; i + 8 <= in.count; i += 8) {
    const __m256i t = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(buf.texel + i));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(buf.color + i), Modulate8(t, dLo, dHi));
  }
  const uint32_t dc = ctx.tri.flatColor | 0xFF000000u;
  for (; i < in.count; ++i) {
    uint32_t r = 0;
    for (int ch = 0; ch < 32; ch += 8)
      r |= MulDiv255((buf.texel[i] >> ch) & 0xFF, (dc >> ch) & 0xFF) << ch;
    buf.color[i] = r;
  }
}

__attribute__((target("avx2"))) void Write32AlphaAvx2(const PixelContext& ctx, const SpanInputs& in,
                                                      SpanBuffers& buf) {
  uint32_t* row =
      reinterpret_cast<uint32_t*>(ctx.target.bits + static_cast<size_t>(in.y) * ctx.target.pitch) +
      in.x;
  int i = 0;
  for (; i + 8 <= in.count; i += 8) {
    const __m256i m = LoadMask(buf.mask + i);
    const __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(buf.color + i));
    const __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row + i));
    const __m256i c = BlendAlpha8(s, d);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(row + i), _mm256_blendv_epi8(d, c, m));
  }
  for (; i < in.count; ++i)
    if (buf.mask[i]) row[i] = BlendAlphaScalar(buf.color[i], row[i]) | 0xFF000000u;
}

}  // namespace platform::d3d
