// Depth test, alpha blending, dithering, the colour store into 16- and
// 32-bit targets and the depth write; and the span driver that runs the
// stages in order.
#include <cstring>

#include "d3d/filter.h"
#include "d3d/pixel.h"
#include "d3d/pixel_avx2.h"

namespace platform::d3d {

namespace {

// ------------------------------------------------------------------ depth
template <int kFunc>
inline bool DepthPasses(uint32_t z, uint32_t stored) {
  switch (kFunc) {
    case D3DCMP_NEVER:
      return false;
    case D3DCMP_LESS:
      return z < stored;
    case D3DCMP_EQUAL:
      return z == stored;
    case D3DCMP_LESSEQUAL:
      return z <= stored;
    case D3DCMP_GREATER:
      return z > stored;
    case D3DCMP_NOTEQUAL:
      return z != stored;
    case D3DCMP_GREATEREQUAL:
      return z >= stored;
    default:
      return true;  // ALWAYS
  }
}

template <int kBytes, int kFunc>
int DepthTest(const PixelContext& ctx, const SpanInputs& in, SpanBuffers& buf) {
  const uint8_t* row = ctx.depth.bits + static_cast<size_t>(in.y) * ctx.depth.pitch +
                       static_cast<size_t>(in.x) * kBytes;
  int64_t z = in.z;
  int passed = 0;
  for (int i = 0; i < in.count; ++i) {
    const uint32_t zi = DepthAt(z, ctx.zmax);
    uint32_t stored;
    if (kBytes == 2) {
      uint16_t s;
      std::memcpy(&s, row + 2 * i, 2);
      stored = s;
    } else {
      uint32_t s;
      std::memcpy(&s, row + 4 * i, 4);
      stored = (s & ctx.depth.zMask) >> ctx.zshift;
    }
    const bool pass = DepthPasses<kFunc>(zi, stored);
    buf.zvalue[i] = zi;
    buf.mask[i] = pass;
    passed += pass;
    z += in.dz;
  }
  return passed;
}

// Whether any of n stored depth values (masked) is at least `from`.
bool AnyDepthFrom16(const uint16_t* d, int n, uint32_t from) {
  for (int i = 0; i < n; ++i)
    if (d[i] >= from) return true;
  return false;
}
bool AnyDepthFrom32(const uint32_t* d, int n, uint32_t mask, uint32_t from) {
  for (int i = 0; i < n; ++i)
    if ((d[i] & mask) >= from) return true;
  return false;
}

// Depth off: every pixel passes, depth values still computed for a write.
int NoDepthTest(const PixelContext& ctx, const SpanInputs& in, SpanBuffers& buf) {
  int64_t z = in.z;
  for (int i = 0; i < in.count; ++i) {
    buf.zvalue[i] = DepthAt(z, ctx.zmax);
    buf.mask[i] = 1;
    z += in.dz;
  }
  return in.count;
}

template <int kBytes>
DepthStage PickDepthTest(DWORD func) {
  switch (func) {
    case D3DCMP_NEVER:
      return DepthTest<kBytes, D3DCMP_NEVER>;
    case D3DCMP_LESS:
      return DepthTest<kBytes, D3DCMP_LESS>;
    case D3DCMP_EQUAL:
      return DepthTest<kBytes, D3DCMP_EQUAL>;
    case D3DCMP_LESSEQUAL:
      return DepthTest<kBytes, D3DCMP_LESSEQUAL>;
    case D3DCMP_GREATER:
      return DepthTest<kBytes, D3DCMP_GREATER>;
    case D3DCMP_NOTEQUAL:
      return DepthTest<kBytes, D3DCMP_NOTEQUAL>;
    case D3DCMP_GREATEREQUAL:
      return DepthTest<kBytes, D3DCMP_GREATEREQUAL>;
    default:
      return DepthTest<kBytes, D3DCMP_ALWAYS>;
  }
}

void DepthWrite16(const PixelContext& ctx, const SpanInputs& in, SpanBuffers& buf) {
  uint8_t* row =
      ctx.depth.bits + static_cast<size_t>(in.y) * ctx.depth.pitch + static_cast<size_t>(in.x) * 2;
  for (int i = 0; i < in.count; ++i)
    if (buf.mask[i]) {
      const uint16_t z = static_cast<uint16_t>(buf.zvalue[i]);
      std::memcpy(row + 2 * i, &z, 2);
    }
}

void DepthWrite32(const PixelContext& ctx, const SpanInputs& in, SpanBuffers& buf) {
  uint8_t* row =
      ctx.depth.bits + static_cast<size_t>(in.y) * ctx.depth.pitch + static_cast<size_t>(in.x) * 4;
  const uint32_t mask = ctx.depth.zMask;
  for (int i = 0; i < in.count; ++i)
    if (buf.mask[i]) {
      uint32_t s;
      std::memcpy(&s, row + 4 * i, 4);
      s = (s & ~mask) | ((buf.zvalue[i] << ctx.zshift) & mask);
      std::memcpy(row + 4 * i, &s, 4);
    }
}

// ------------------------------------------------------------------ blend
enum class Blend { kOpaque, kAlpha, kAdd, kGeneric };

// 4 x 4 ordered dither thresholds, 0..15.
constexpr uint8_t kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};

struct Layout16 {
  int shift[3];
  int bits[3];
};

int ShiftOf(uint32_t m) {
  int s = 0;
  while (m && !(m & 1u)) {
    m >>= 1;
    ++s;
  }
  return s;
}
int BitsOf(uint32_t m) {
  int n = 0;
  for (; m; m &= m - 1) ++n;
  return n;
}

Layout16 LayoutOf(const TargetView& t) {
  return {{ShiftOf(t.rMask), ShiftOf(t.gMask), ShiftOf(t.bMask)},
          {BitsOf(t.rMask), BitsOf(t.gMask), BitsOf(t.bMask)}};
}

inline uint32_t Widen(uint32_t v, int bits) {
  uint32_t r = v << (8 - bits);
  return r | (r >> bits);
}

uint32_t BlendFactor(DWORD factor, uint32_t srcChannel, uint32_t srcA, uint32_t dstChannel,
                     uint32_t dstA) {
  switch (factor) {
    case D3DBLEND_ZERO:
      return 0;
    case D3DBLEND_ONE:
      return 255;
    case D3DBLEND_SRCCOLOR:
      return srcChannel;
    case D3DBLEND_INVSRCCOLOR:
      return 255 - srcChannel;
    case D3DBLEND_SRCALPHA:
      return srcA;
    case D3DBLEND_INVSRCALPHA:
      return 255 - srcA;
    case D3DBLEND_DESTALPHA:
      return dstA;
    case D3DBLEND_INVDESTALPHA:
      return 255 - dstA;
    case D3DBLEND_DESTCOLOR:
      return dstChannel;
    case D3DBLEND_INVDESTCOLOR:
      return 255 - dstChannel;
    default:
      return 255;
  }
}

// src op dst for one ARGB pixel (the destination alpha is opaque).
template <Blend kBlend>
inline uint32_t BlendPixel(const PixelContext& ctx, uint32_t s, uint32_t d) {
  if (kBlend == Blend::kOpaque) return s;
  const uint32_t a = s >> 24;
  uint32_t out = 0;
  for (int ch = 0; ch < 24; ch += 8) {
    const uint32_t sc = (s >> ch) & 0xFF, dc = (d >> ch) & 0xFF;
    uint32_t v;
    if (kBlend == Blend::kAlpha) {
      v = MulDiv255(sc, a) + MulDiv255(dc, 255 - a);
    } else if (kBlend == Blend::kAdd) {
      v = sc + dc;
    } else {
      DWORD sf = ctx.state->srcBlend, df = ctx.state->destBlend;
      if (sf == D3DBLEND_BOTHSRCALPHA) {
        sf = D3DBLEND_SRCALPHA;
        df = D3DBLEND_INVSRCALPHA;
      } else if (sf == D3DBLEND_BOTHINVSRCALPHA) {
        sf = D3DBLEND_INVSRCALPHA;
        df = D3DBLEND_SRCALPHA;
      }
      v = MulDiv255(sc, BlendFactor(sf, sc, a, dc, 255)) +
          MulDiv255(dc, BlendFactor(df, sc, a, dc, 255));
    }
    out |= (v > 255 ? 255 : v) << ch;
  }
  return out | (s & 0xFF000000u);
}

template <Blend kBlend>
void Write32(const PixelContext& ctx, const SpanInputs& in, SpanBuffers& buf) {
  uint32_t* row =
      reinterpret_cast<uint32_t*>(ctx.target.bits + static_cast<size_t>(in.y) * ctx.target.pitch) +
      in.x;
  for (int i = 0; i < in.count; ++i) {
    if (!buf.mask[i]) continue;
    const uint32_t d = kBlend == Blend::kOpaque ? 0 : row[i];
    row[i] = BlendPixel<kBlend>(ctx, buf.color[i], d) | 0xFF000000u;
  }
}

template <Blend kBlend, bool kDither>
void Write16(const PixelContext& ctx, const SpanInputs& in, SpanBuffers& buf) {
  uint8_t* row = ctx.target.bits + static_cast<size_t>(in.y) * ctx.target.pitch +
                 static_cast<size_t>(in.x) * 2;
  const Layout16 l = LayoutOf(ctx.target);
  const uint8_t* bayer = kBayer[in.y & 3];
  for (int i = 0; i < in.count; ++i) {
    if (!buf.mask[i]) continue;
    uint16_t raw;
    std::memcpy(&raw, row + 2 * i, 2);
    uint32_t d = 0;
    if (kBlend != Blend::kOpaque) {
      d = (Widen((raw >> l.shift[0]) & ((1u << l.bits[0]) - 1), l.bits[0]) << 16) |
          (Widen((raw >> l.shift[1]) & ((1u << l.bits[1]) - 1), l.bits[1]) << 8) |
          Widen((raw >> l.shift[2]) & ((1u << l.bits[2]) - 1), l.bits[2]);
    }
    const uint32_t c = BlendPixel<kBlend>(ctx, buf.color[i], d);
    const uint32_t t = kDither ? bayer[(in.x + i) & 3] : 0;
    uint32_t out = 0;
    for (int ch = 0; ch < 3; ++ch) {
      uint32_t v = (c >> (16 - 8 * ch)) & 0xFF;
      // Spread the threshold over one step of the channel's precision.
      if (kDither) v += (t << (8 - l.bits[ch])) >> 4;
      if (v > 255) v = 255;
      out |= (v >> (8 - l.bits[ch])) << l.shift[ch];
    }
    const uint16_t o = static_cast<uint16_t>(out);
    std::memcpy(row + 2 * i, &o, 2);
  }
}

template <Blend kBlend>
SpanStage PickWrite(const PixelContext& ctx) {
  if (ctx.target.bytesPerPixel == 2)
    return ctx.state->ditherEnable ? Write16<kBlend, true> : Write16<kBlend, false>;
  return Write32<kBlend>;
}

}  // namespace

int DepthTest16LessEqualScalar(const PixelContext& ctx, const SpanInputs& in, SpanBuffers& buf) {
  return DepthTest<2, D3DCMP_LESSEQUAL>(ctx, in, buf);
}

bool SpanHidden(const PixelContext& ctx, const SpanInputs& in) {
  // A span reaching past the buffer is left to the stages.
  if (in.x < 0 || in.x + in.count > ctx.depth.width || in.y < 0 || in.y >= ctx.depth.height)
    return false;
  const int64_t zEnd = in.z + static_cast<int64_t>(in.count - 1) * in.dz;
  const uint32_t nearest = DepthAt(std::min(in.z, zEnd), ctx.zmax);
  // LESSEQUAL fails where stored < z, LESS where stored <= z.
  if (ctx.hiddenTest == D3DCMP_LESS && nearest == ctx.zmax) return true;
  const uint32_t from = ctx.hiddenTest == D3DCMP_LESSEQUAL ? nearest : nearest + 1;
  const uint8_t* row = ctx.depth.bits + static_cast<size_t>(in.y) * ctx.depth.pitch;
  const bool avx2 = HaveAvx2();
  if (ctx.depth.bytesPerPixel == 2) {
    const uint16_t* d = reinterpret_cast<const uint16_t*>(row) + in.x;
    return !(avx2 ? AnyDepthFrom16Avx2(d, in.count, from) : AnyDepthFrom16(d, in.count, from));
  }
  // Compared in place: the masked word is the value shifted up.
  const uint32_t* d = reinterpret_cast<const uint32_t*>(row) + in.x;
  const uint32_t fromRaw = from << ctx.zshift;
  return !(avx2 ? AnyDepthFrom32Avx2(d, in.count, ctx.depth.zMask, fromRaw)
                : AnyDepthFrom32(d, in.count, ctx.depth.zMask, fromRaw));
}

void ChooseDepthStages(PixelContext* ctx) {
  const RenderState& s = *ctx->state;
  const DepthView& d = ctx->depth;
  const bool hasDepth = d.bits && d.bytesPerPixel > 0;
  if (hasDepth && d.bytesPerPixel == 2) {
    ctx->zmax = 0xFFFF;
    ctx->zshift = 0;
  } else if (hasDepth) {
    ctx->zshift = ShiftOf(d.zMask);
    ctx->zmax = d.zMask >> ctx->zshift;
  } else {
    ctx->zmax = 0xFFFF;
  }
  if (!hasDepth || !s.zEnable) {
    ctx->depthTest = NoDepthTest;
    ctx->depthWrite = nullptr;
    return;
  }
  if (s.zFunc == D3DCMP_LESS || s.zFunc == D3DCMP_LESSEQUAL) ctx->hiddenTest = s.zFunc;
  ctx->depthTest = d.bytesPerPixel == 2 ? PickDepthTest<2>(s.zFunc) : PickDepthTest<4>(s.zFunc);
  ctx->depthWrite = s.zWriteEnable ? (d.bytesPerPixel == 2 ? DepthWrite16 : DepthWrite32) : nullptr;
  if (HaveAvx2() && d.bytesPerPixel == 2) {
    if (ctx->depthWrite) ctx->depthWrite = DepthWrite16Avx2;
    if (s.zFunc == D3DCMP_LESSEQUAL) {
      // When no later stage can discard a pixel, depth is written during
      // the test.
      const bool discards = (ctx->colorKey && ctx->texture && ctx->texture->HasKey()) ||
                            (s.alphaTestEnable && s.alphaFunc != D3DCMP_ALWAYS);
      if (ctx->depthWrite && !discards) {
        ctx->depthTest = DepthTestWrite16LessEqualAvx2;
        ctx->depthWrite = nullptr;
      } else {
        ctx->depthTest = DepthTest16LessEqualAvx2;
      }
    }
  }
}

void ChooseWriteStage(PixelContext* ctx) {
  const RenderState& s = *ctx->state;
  DWORD src = s.srcBlend, dst = s.destBlend;
  if (src == D3DBLEND_BOTHSRCALPHA) {
    src = D3DBLEND_SRCALPHA;
    dst = D3DBLEND_INVSRCALPHA;
  }
  const bool wide = HaveAvx2() && ctx->target.bytesPerPixel == 4;
  if (!s.alphaBlendEnable || (src == D3DBLEND_ONE && dst == D3DBLEND_ZERO))
    ctx->write = wide ? Write32OpaqueAvx2 : PickWrite<Blend::kOpaque>(*ctx);
  else if (src == D3DBLEND_SRCALPHA && dst == D3DBLEND_INVSRCALPHA)
    ctx->write = wide ? Write32AlphaAvx2 : PickWrite<Blend::kAlpha>(*ctx);
  else if (src == D3DBLEND_ONE && dst == D3DBLEND_ONE)
    ctx->write = PickWrite<Blend::kAdd>(*ctx);
  else
    ctx->write = PickWrite<Blend::kGeneric>(*ctx);
}

void ShadeSpan(const PixelContext& ctx, const SpanInputs& in) {
  SpanBuffers buf;
  if (ctx.depthTest(ctx, in, buf) == 0) return;  // early depth reject
  if (ctx.sample) ctx.sample(ctx, in, buf);
  if (ctx.combine)
    ctx.combine(ctx, in, buf);
  else
    buf.color = buf.texel;
  if (ctx.specular) ctx.specular(ctx, in, buf);
  if (ctx.alphaTest) ctx.alphaTest(ctx, in, buf);
  ctx.write(ctx, in, buf);
  if (ctx.depthWrite) ctx.depthWrite(ctx, in, buf);
}

}  // namespace platform::d3d
