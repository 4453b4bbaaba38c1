// Texture sample stage: texture coordinates per pixel (perspective-correct
// or affine), wrap addressing, point or bilinear filtering and the colour
// key. Coordinates are fractions of the texture, so WRAP is the natural
// overflow of an unsigned integer.
#include <algorithm>

#include "d3d/filter.h"
#include "d3d/pixel.h"

namespace platform::d3d {

namespace {

// Bilinear filtering of `count` pixels from the texel pairs into out[];
// `coverage` tells which pairs of the texture they are.
void FilterSpan(const TexelCache& t, const uint64_t* pairs, bool coverage, const SpanCoords& c,
                int count, uint32_t* out) {
  const uint32_t w = static_cast<uint32_t>(t.Width());
  const uint32_t h = static_cast<uint32_t>(t.Height());
  const uint32_t stride = static_cast<uint32_t>(t.Stride());
  // out[] holds kChunk entries and count <= kChunk, a multiple of 8.
  int i = 0;
  if (HaveAvx2()) {
    const bool rowFixed = !c.perspective && c.dv == 0;
    i = rowFixed ? BilinearRowAvx2(pairs, t.Serial() * 2 + coverage, stride, w, h, c, count, out)
                 : BilinearSpanAvx2(pairs, stride, w, h, c, count, out);
  }
  const uint32_t halfU = 32768u / w, halfV = 32768u / h;
  for (; i < count; ++i) {
    uint32_t u16, v16;
    CoordAt(c, i, &u16, &v16);
    const Footprint f = BilinearFootprint(u16, v16, w, h, halfU, halfV, stride);
    const FootprintTexels p = TexelsAt(pairs, f.index);
    out[i] = BilinearBlend(p.texel[0], p.texel[1], p.texel[2], p.texel[3], f.fx, f.fy);
  }
}

// Keyed texels of a texture without alpha were filtered as transparent
// black: alpha is now the share of unkeyed weight. Below half the pixel is
// discarded; otherwise the colour is renormalised over the unkeyed share.
void ResolveCoverage(const SpanInputs& in, SpanBuffers& buf) {
  for (int i = 0; i < in.count; ++i) {
    const uint32_t c = buf.texel[i];
    const uint32_t a = c >> 24;
    if (a == 255) continue;
    if (a <= kCoverageDiscard) {
      buf.mask[i] = 0;
      continue;
    }
    buf.texel[i] = RenormaliseCoverage(c);
  }
}

// A keyed texture with its own alpha: keyed texels left out one by one and
// the weights of the others renormalised.
void FilterKeyedExact(const TexelCache& t, const uint64_t* pairs, const SpanCoords& c,
                      const SpanInputs& in, SpanBuffers& buf) {
  const uint32_t w = static_cast<uint32_t>(t.Width());
  const uint32_t h = static_cast<uint32_t>(t.Height());
  const uint32_t stride = static_cast<uint32_t>(t.Stride());
  const uint32_t halfU = 32768u / w, halfV = 32768u / h;
  for (int i = 0; i < in.count; ++i) {
    uint32_t u16, v16;
    CoordAt(c, i, &u16, &v16);
    const Footprint f = BilinearFootprint(u16, v16, w, h, halfU, halfV, stride);
    const uint32_t idx[4] = {f.index, f.index + 1, f.index + stride, f.index + stride + 1};
    const FootprintTexels p = TexelsAt(pairs, f.index);
    const uint32_t weight[4] = {(64 - f.fx) * (64 - f.fy), f.fx * (64 - f.fy), (64 - f.fx) * f.fy,
                                f.fx * f.fy};
    uint32_t keyedWeight = 0;
    for (int k = 0; k < 4; ++k)
      if (t.KeyedAt(idx[k])) keyedWeight += weight[k];
    if (keyedWeight * 2 >= 4096u) {
      buf.mask[i] = 0;
      continue;
    }
    if (keyedWeight == 0) {
      buf.texel[i] = BilinearBlend(p.texel[0], p.texel[1], p.texel[2], p.texel[3], f.fx, f.fy);
      continue;
    }
    const uint32_t total = 4096u - keyedWeight;
    uint32_t sum[4] = {};
    for (int k = 0; k < 4; ++k) {
      if (t.KeyedAt(idx[k])) continue;
      for (int ch = 0; ch < 4; ++ch) sum[ch] += ((p.texel[k] >> (8 * ch)) & 0xFF) * weight[k];
    }
    uint32_t r = 0;
    for (int ch = 0; ch < 4; ++ch)
      r |= std::min<uint32_t>(255, (sum[ch] + total / 2) / total) << (8 * ch);
    buf.texel[i] = r;
  }
}

template <bool kPerspective, bool kKey>
void BilinearStage(const PixelContext& ctx, const SpanInputs& in, SpanBuffers& buf) {
  const TexelCache& t = *ctx.texture;
  const SpanCoords c = CoordsOf(in, kPerspective);
  // ctx.texelPairs: the coverage pairs when keyed with coverage, else
  // the plain ones (ChooseSampleStage).
  if (!kKey) {
    FilterSpan(t, ctx.texelPairs, false, c, in.count, buf.texel);
  } else if (t.HasCoverage()) {
    FilterSpan(t, ctx.texelPairs, true, c, in.count, buf.texel);
    ResolveCoverage(in, buf);
  } else {
    FilterKeyedExact(t, ctx.texelPairs, c, in, buf);
  }
}

template <bool kPerspective, bool kKey>
void PointStage(const PixelContext& ctx, const SpanInputs& in, SpanBuffers& buf) {
  const TexelCache& t = *ctx.texture;
  const SpanCoords c = CoordsOf(in, kPerspective);
  const uint32_t w = static_cast<uint32_t>(t.Width());
  const uint32_t h = static_cast<uint32_t>(t.Height());
  const size_t stride = static_cast<size_t>(t.Stride());
  for (int i = 0; i < in.count; ++i) {
    uint32_t u16, v16;
    CoordAt(c, i, &u16, &v16);
    const size_t at = ((v16 * h) >> 16) * stride + ((u16 * w) >> 16);
    buf.texel[i] = t.TexelAt(at);
    if (kKey && t.KeyedAt(at)) buf.mask[i] = 0;
  }
}

template <bool kPerspective>
SpanStage Pick(bool bilinear, bool key) {
  if (bilinear) return key ? BilinearStage<kPerspective, true> : BilinearStage<kPerspective, false>;
  return key ? PointStage<kPerspective, true> : PointStage<kPerspective, false>;
}

}  // namespace

void ChooseSampleStage(PixelContext* ctx) {
  if (!ctx->texture) {
    ctx->sample = nullptr;
    ctx->texelPairs = nullptr;
    return;
  }
  const bool key = ctx->colorKey && ctx->texture->HasKey();
  // Point sampling reads single texels through the cache; bilinear
  // filtering reads pairs, made here on the drawing thread if need be.
  ctx->texelPairs =
      ctx->bilinear ? ctx->texture->Pairs(key && ctx->texture->HasCoverage()) : nullptr;
  ctx->sample = ctx->perspective ? Pick<true>(ctx->bilinear, key) : Pick<false>(ctx->bilinear, key);
}

}  // namespace platform::d3d
