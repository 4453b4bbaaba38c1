// The busiest state combinations as one AVX2 loop over eight pixels at a
// time: LESSEQUAL depth test on a 16-bit or 32-bit (any depth mask within
// the word) z-buffer, or none; bilinear texture sample
// (perspective or affine, optionally colour-keyed through the coverage
// texels), MODULATE by a constant diffuse colour (or the texel as is),
// opaque or SRCALPHA/INVSRCALPHA store into a 32-bit target, depth write.
// Groups of eight whose depth test fails everywhere are skipped before the
// texture is touched. Same arithmetic as the separate stages, so the same
// pixels.
#include <immintrin.h>

#include <algorithm>
#include <cstring>
#include <type_traits>

#include "d3d/avx2_ops.h"
#include "d3d/filter.h"
#include "d3d/pixel.h"
#include "d3d/pixel_avx2.h"

namespace platform::d3d {

namespace {

// Replaces the partly keyed samples (alpha above the discard level but
// below 255) among the lanes in `lanes` with their renormalised colour.
__attribute__((target("avx2"))) __m256i RenormaliseLanes(__m256i texel, int lanes) {
  alignas(32) uint32_t v[8];
  _mm256_store_si256(reinterpret_cast<__m256i*>(v), texel);
  for (int k = 0; k < 8; ++k)
    if (lanes >> k & 1) v[k] = RenormaliseCoverage(v[k]);
  return _mm256_load_si256(reinterpret_cast<const __m256i*>(v));
}

// start + k * step for lanes k = 0 .. 7, wrapping.
__attribute__((target("avx2"))) inline __m256i Stepped(uint32_t start, uint32_t step) {
  return _mm256_add_epi32(_mm256_set1_epi32(static_cast<int32_t>(start)),
                          _mm256_mullo_epi32(_mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7),
                                             _mm256_set1_epi32(static_cast<int32_t>(step))));
}

// kDepthBytes: 0 no depth test, 2 a 16-bit z-buffer, 4 a 32-bit one.
template <bool kPerspective, bool kKey, int kDepthBytes, bool kAlpha>
__attribute__((target("avx2"))) bool FusedSpanAvx2(const PixelContext& ctx, const SpanInputs& in) {
  constexpr bool kDepth = kDepthBytes != 0;
  constexpr bool kWide = kDepthBytes == 4;
  using DepthWord = std::conditional_t<kWide, uint32_t, uint16_t>;
  if (kDepth) {
    // Depth values that need clamping go through the separate stages.
    const int64_t zEnd = in.z + static_cast<int64_t>(in.count - 1) * in.dz;
    const int64_t limit = (static_cast<int64_t>(ctx.zmax) + 1) << 16;
    if (in.z < 0 || in.z >= limit || zEnd < 0 || zEnd >= limit) return false;
  }
  const TexelCache& t = *ctx.texture;
  const uint32_t w = static_cast<uint32_t>(t.Width());
  const uint32_t h = static_cast<uint32_t>(t.Height());
  const uint32_t stride = static_cast<uint32_t>(t.Stride());
  const SpanCoords c = CoordsOf(in, kPerspective);
  const BilinearConstants k = MakeBilinearConstants(w, h, stride, t.HalfTexelU(), t.HalfTexelV());
  // An affine span along a texture row samples the row blended with the
  // next once (looked up when a first pixel passes).
  const bool rowFixed = !kPerspective && c.dv == 0;
  const uint16_t* blendedRow = nullptr;
  const bool direct = rowFixed && ReadsRowDirectly(c.du, w);
  const uint32_t tvRow = (((c.v >> 16) - t.HalfTexelV()) & 0xFFFFu) * h;
  const uint64_t* rowPairs = ctx.texelPairs + static_cast<size_t>(tvRow >> 16) * stride;
  const __m256i wy = RowWeights(tvRow);

  uint32_t* colorRow =
      reinterpret_cast<uint32_t*>(ctx.target.bits + static_cast<size_t>(in.y) * ctx.target.pitch) +
      in.x;
  DepthWord* depthRow = kDepth ? reinterpret_cast<DepthWord*>(
                                     ctx.depth.bits + static_cast<size_t>(in.y) * ctx.depth.pitch) +
                                     in.x
                               : nullptr;
  const bool depthWrite = kDepth && ctx.state->zWriteEnable;
  const int rowEnd = kDepth ? std::min(ctx.target.width, ctx.depth.width) : ctx.target.width;
  const bool modulate = ctx.combine != nullptr;
  const __m256i zero = _mm256_setzero_si256();
  const __m256i diffuse = _mm256_set1_epi32(static_cast<int>(ctx.tri.flatColor | 0xFF000000u));
  const __m256i dLo = _mm256_unpacklo_epi8(diffuse, zero);
  const __m256i dHi = _mm256_unpackhi_epi8(diffuse, zero);
  const __m256i opaque = _mm256_set1_epi32(static_cast<int>(0xFF000000u));
  const __m256i lane = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
  const __m256i allLanes = _mm256_set1_epi32(-1);
  const int whole = in.count & ~7;  // pixels in groups of eight
  // Per-pixel values of the current group, stepped by eight pixels: depth
  // and affine coordinates in wrapping 32-bit arithmetic, the pixel index
  // as a float (exact) for the perspective planes, so that each is the
  // same value the per-pixel formula gives.
  const uint32_t dz = static_cast<uint32_t>(in.dz);
  __m256i zSum = Stepped(static_cast<uint32_t>(in.z), dz);
  const __m256i zStep = _mm256_set1_epi32(static_cast<int32_t>(dz * 8));
  // A 32-bit buffer takes depth values up to 2^32 - 1, which 48.16 fixed
  // point only holds in 64 bits: pixels 0-3 and 4-7 of the group, exact.
  __m256i zLow = zero, zHigh = zero, zStep64 = zero;
  const __m256i evenWords = _mm256_setr_epi32(0, 2, 4, 6, 1, 3, 5, 7);
  const __m256i zMask = _mm256_set1_epi32(static_cast<int32_t>(ctx.depth.zMask));
  const __m128i zShift = _mm_cvtsi32_si128(ctx.zshift);
  if (kWide) {
    zLow = _mm256_setr_epi64x(in.z, in.z + in.dz, in.z + 2 * in.dz, in.z + 3 * in.dz);
    zHigh = _mm256_add_epi64(zLow, _mm256_set1_epi64x(4 * in.dz));
    zStep64 = _mm256_set1_epi64x(8 * in.dz);
  }
  __m256i uSum = Stepped(c.u, c.du), vSum = Stepped(c.v, c.dv);
  const __m256i uStep = _mm256_set1_epi32(static_cast<int32_t>(c.du * 8));
  const __m256i vStep = _mm256_set1_epi32(static_cast<int32_t>(c.dv * 8));
  __m256 index = _mm256_cvtepi32_ps(lane);
  const __m256 q0 = _mm256_set1_ps(c.q), dq = _mm256_set1_ps(c.dq);
  const __m256 uq0 = _mm256_set1_ps(c.uq), duq = _mm256_set1_ps(c.duq);
  const __m256 vq0 = _mm256_set1_ps(c.vq), dvq = _mm256_set1_ps(c.dvq);

  for (int i = 0; i < in.count; i += 8, zSum = _mm256_add_epi32(zSum, zStep),
           zLow = _mm256_add_epi64(zLow, zStep64), zHigh = _mm256_add_epi64(zHigh, zStep64),
           uSum = _mm256_add_epi32(uSum, uStep), vSum = _mm256_add_epi32(vSum, vStep),
           index = _mm256_add_ps(index, _mm256_set1_ps(8.0f))) {
    // A last group shorter than eight reads and writes back (unchanged)
    // the pixels after the span when they are on the row; at the end of
    // the row it works on copies, so that nothing past it is touched.
    __m256i pass = allLanes;
    uint32_t* colors = colorRow + i;
    DepthWord* depths = kDepth ? depthRow + i : nullptr;
    alignas(32) uint32_t colorCopy[8];
    alignas(32) DepthWord depthCopy[8];
    bool copy = false;
    if (i >= whole) {
      const int n = in.count - i;
      pass = _mm256_cmpgt_epi32(_mm256_set1_epi32(n), lane);
      copy = in.x + i + 8 > rowEnd;
      if (copy) {
        std::fill(colorCopy, colorCopy + 8, 0u);
        std::fill(depthCopy, depthCopy + 8, DepthWord{0});
        std::memcpy(colorCopy, colors, sizeof(uint32_t) * n);
        colors = colorCopy;
        if (kDepth) {
          std::memcpy(depthCopy, depths, sizeof(DepthWord) * n);
          depths = depthCopy;
        }
      }
    }
    __m256i z = zero, stored = zero, raw = zero;
    if (kWide) {
      // The low words of (z >> 16), all below 2^32, in pixel order.
      const __m256i a = _mm256_permutevar8x32_epi32(_mm256_srli_epi64(zLow, 16), evenWords);
      const __m256i b = _mm256_permutevar8x32_epi32(_mm256_srli_epi64(zHigh, 16), evenWords);
      z = _mm256_permute2x128_si256(a, b, 0x20);
      raw = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(depths));
      stored = _mm256_srl_epi32(_mm256_and_si256(raw, zMask), zShift);
      // z <= stored, unsigned.
      pass = _mm256_and_si256(_mm256_cmpeq_epi32(_mm256_max_epu32(z, stored), stored), pass);
      if (_mm256_testz_si256(pass, pass)) continue;
    } else if (kDepth) {
      z = _mm256_srli_epi32(zSum, 16);
      stored = _mm256_cvtepu16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(depths)));
      // z <= stored, both below 2^16, as signed 32-bit.
      pass = _mm256_andnot_si256(_mm256_cmpgt_epi32(z, stored), pass);
      if (_mm256_testz_si256(pass, pass)) continue;
    }

    __m256i texel;
    if (direct) {
      texel = DirectRow8(ctx.texelPairs, rowPairs, k, _mm256_srli_epi32(uSum, 16),
                         _mm256_srli_epi32(vSum, 16), wy);
    } else if (rowFixed) {
      if (!blendedRow)
        blendedRow = BlendedRowAvx2(ctx.texelPairs, t.Serial() * 2 + kKey, stride, w + 1,
                                    tvRow >> 16, (tvRow >> 10) & 63u);
      texel = BilinearRow8(blendedRow, _mm256_srli_epi32(uSum, 16), k.halfU, k.w);
    } else if (kPerspective) {
      // As Coords8: the planes at the pixel, divided by 1/w.
      const __m256 rw =
          _mm256_div_ps(_mm256_set1_ps(1.0f), _mm256_add_ps(q0, _mm256_mul_ps(index, dq)));
      const __m256 uq = _mm256_add_ps(uq0, _mm256_mul_ps(index, duq));
      const __m256 vq = _mm256_add_ps(vq0, _mm256_mul_ps(index, dvq));
      texel = Bilinear8Pairs(ctx.texelPairs, k, Fraction16x8(_mm256_mul_ps(uq, rw)),
                             Fraction16x8(_mm256_mul_ps(vq, rw)));
    } else {
      texel = Bilinear8Pairs(ctx.texelPairs, k, _mm256_srli_epi32(uSum, 16),
                             _mm256_srli_epi32(vSum, 16));
    }
    if (kKey) {
      const __m256i alpha = _mm256_srli_epi32(texel, 24);
      pass = _mm256_and_si256(
          pass, _mm256_cmpgt_epi32(alpha, _mm256_set1_epi32(static_cast<int>(kCoverageDiscard))));
      if (_mm256_testz_si256(pass, pass)) continue;
      const __m256i partial =
          _mm256_and_si256(pass, _mm256_cmpgt_epi32(_mm256_set1_epi32(255), alpha));
      const int partialLanes = _mm256_movemask_ps(_mm256_castsi256_ps(partial));
      if (partialLanes) texel = RenormaliseLanes(texel, partialLanes);
    }
    if (modulate) texel = Modulate8(texel, dLo, dHi);

    const __m256i old = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(colors));
    const __m256i out = kAlpha ? BlendAlpha8(texel, old) : _mm256_or_si256(texel, opaque);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(colors), _mm256_blendv_epi8(old, out, pass));
    if (depthWrite && kWide) {
      // Bits outside the depth mask keep their value.
      const __m256i v = _mm256_or_si256(_mm256_andnot_si256(zMask, raw),
                                        _mm256_and_si256(_mm256_sll_epi32(z, zShift), zMask));
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(depths), _mm256_blendv_epi8(raw, v, pass));
    } else if (depthWrite) {
      const __m256i v = _mm256_blendv_epi8(stored, z, pass);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(depths),
                       _mm_packus_epi32(_mm256_castsi256_si128(v), _mm256_extracti128_si256(v, 1)));
    }
    if (copy) {
      const size_t n = static_cast<size_t>(in.count - i);
      std::memcpy(colorRow + i, colorCopy, sizeof(uint32_t) * n);
      if (depthWrite) std::memcpy(depthRow + i, depthCopy, sizeof(DepthWord) * n);
    }
  }
  return true;
}

template <bool kPerspective, bool kKey>
FusedSpan PickFused(int depthBytes, bool alpha) {
  if (depthBytes == 4)
    return alpha ? FusedSpanAvx2<kPerspective, kKey, 4, true>
                 : FusedSpanAvx2<kPerspective, kKey, 4, false>;
  if (depthBytes == 2)
    return alpha ? FusedSpanAvx2<kPerspective, kKey, 2, true>
                 : FusedSpanAvx2<kPerspective, kKey, 2, false>;
  return alpha ? FusedSpanAvx2<kPerspective, kKey, 0, true>
               : FusedSpanAvx2<kPerspective, kKey, 0, false>;
}

}  // namespace

void ChooseFusedStage(PixelContext* ctx) {
  ctx->fused = nullptr;
  if (!HaveAvx2() || ctx->target.bytesPerPixel != 4 || !ctx->texture || !ctx->sample ||
      !ctx->bilinear || ctx->specular || ctx->alphaTest)
    return;
  if (ctx->combine != nullptr && ctx->combine != FlatModulateAvx2) return;
  const bool keyed = ctx->colorKey && ctx->texture->HasKey();
  if (keyed && !ctx->texture->HasCoverage()) return;
  const bool alpha = ctx->write == Write32AlphaAvx2;
  if (!alpha && ctx->write != Write32OpaqueAvx2) return;
  int depth;
  if (ctx->depthTest == DepthTestWrite16LessEqualAvx2 || ctx->depthTest == DepthTest16LessEqualAvx2)
    depth = 2;
  else if (!ctx->depth.bits || ctx->depth.bytesPerPixel == 0 || !ctx->state->zEnable)
    depth = 0;  // no depth test and no depth write
  else if (ctx->depth.bytesPerPixel == 4 && ctx->state->zFunc == D3DCMP_LESSEQUAL &&
           ctx->depth.zMask != 0)
    depth = 4;
  else
    return;
  ctx->texelPairs = ctx->texture->Pairs(keyed);
  if (ctx->perspective)
    ctx->fused = keyed ? PickFused<true, true>(depth, alpha) : PickFused<true, false>(depth, alpha);
  else
    ctx->fused =
        keyed ? PickFused<false, true>(depth, alpha) : PickFused<false, false>(depth, alpha);
}

}  // namespace platform::d3d
