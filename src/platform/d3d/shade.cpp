// Texture stage 0 (colour and alpha operations on texture and diffuse),
// specular addition and the alpha test.
#include "d3d/filter.h"
#include "d3d/pixel.h"
#include "d3d/pixel_avx2.h"

namespace platform::d3d {

namespace {

inline uint32_t Modulate(uint32_t a, uint32_t b) {
  uint32_t r = 0;
  for (int ch = 0; ch < 32; ch += 8) r |= MulDiv255((a >> ch) & 0xFF, (b >> ch) & 0xFF) << ch;
  return r;
}

inline uint32_t PackColor(float r, float g, float b, float a) {
  return (ClampByte(a) << 24) | (ClampByte(r) << 16) | (ClampByte(g) << 8) | ClampByte(b);
}

// The interpolated diffuse colour of every pixel of the span into out[].
template <bool kPerspective>
void GouraudDiffuse(const SpanInputs& in, uint32_t* out) {
  float c0 = in.c[0], c1 = in.c[1], c2 = in.c[2], c3 = in.c[3], q = in.q;
  for (int i = 0; i < in.count; ++i) {
    const float w = kPerspective ? 1.0f / q : 1.0f;
    out[i] = PackColor(c0 * w, c1 * w, c2 * w, c3 * w);
    c0 += in.dc[0];
    c1 += in.dc[1];
    c2 += in.dc[2];
    c3 += in.dc[3];
    if (kPerspective) q += in.dq;
  }
}

void FlatUntextured(const PixelContext& ctx, const SpanInputs& in, SpanBuffers& buf) {
  for (int i = 0; i < in.count; ++i) buf.color[i] = ctx.tri.flatColor;
}

template <bool kPerspective>
void GouraudUntextured(const PixelContext&, const SpanInputs& in, SpanBuffers& buf) {
  GouraudDiffuse<kPerspective>(in, buf.color);
}

void FlatModulate(const PixelContext& ctx, const SpanInputs& in, SpanBuffers& buf) {
  const uint32_t d = ctx.tri.flatColor | 0xFF000000u;
  for (int i = 0; i < in.count; ++i) buf.color[i] = Modulate(buf.texel[i], d);
}

template <bool kPerspective>
void GouraudModulate(const PixelContext&, const SpanInputs& in, SpanBuffers& buf) {
  GouraudDiffuse<kPerspective>(in, buf.color);
  for (int i = 0; i < in.count; ++i)
    buf.color[i] = Modulate(buf.texel[i], buf.color[i] | 0xFF000000u);
}

uint32_t Argument(DWORD arg, uint32_t texel, uint32_t diffuse) {
  return (arg & 0xF) == D3DTA_TEXTURE ? texel : diffuse;
}

uint32_t Operate(DWORD op, DWORD arg1, DWORD arg2, uint32_t texel, uint32_t diffuse) {
  switch (op) {
    case D3DTOP_SELECTARG1:
      return Argument(arg1, texel, diffuse);
    case D3DTOP_SELECTARG2:
      return Argument(arg2, texel, diffuse);
    case D3DTOP_MODULATE:
      return Modulate(Argument(arg1, texel, diffuse), Argument(arg2, texel, diffuse));
    default:  // DISABLE and anything not offered: the diffuse colour passes
      return diffuse;
  }
}

// Any other combination of operations and arguments, per pixel.
template <bool kPerspective>
void GenericCombine(const PixelContext& ctx, const SpanInputs& in, SpanBuffers& buf) {
  const StageState& s = ctx.state->stages[0];
  GouraudDiffuse<kPerspective>(in, buf.color);
  const bool colorDisabled = s.colorOp == D3DTOP_DISABLE;
  for (int i = 0; i < in.count; ++i) {
    const uint32_t d = buf.color[i];
    const uint32_t t = buf.texel[i];
    const uint32_t rgb = Operate(s.colorOp, s.colorArg1, s.colorArg2, t, d) & 0x00FFFFFFu;
    const uint32_t alpha = colorDisabled ? d : Operate(s.alphaOp, s.alphaArg1, s.alphaArg2, t, d);
    buf.color[i] = rgb | (alpha & 0xFF000000u);
  }
}

template <bool kPerspective>
void AddSpecular(const PixelContext&, const SpanInputs& in, SpanBuffers& buf) {
  float s0 = in.s[0], s1 = in.s[1], s2 = in.s[2], q = in.q;
  for (int i = 0; i < in.count; ++i) {
    const float w = kPerspective ? 1.0f / q : 1.0f;
    const uint32_t c = buf.color[i];
    const uint32_t r = ((c >> 16) & 0xFF) + ClampByte(s0 * w);
    const uint32_t g = ((c >> 8) & 0xFF) + ClampByte(s1 * w);
    const uint32_t b = (c & 0xFF) + ClampByte(s2 * w);
    buf.color[i] = (c & 0xFF000000u) | ((r > 255 ? 255 : r) << 16) | ((g > 255 ? 255 : g) << 8) |
                   (b > 255 ? 255 : b);
    s0 += in.ds[0];
    s1 += in.ds[1];
    s2 += in.ds[2];
    if (kPerspective) q += in.dq;
  }
}

void AlphaTest(const PixelContext& ctx, const SpanInputs& in, SpanBuffers& buf) {
  const uint32_t ref = ctx.state->alphaRef & 0xFF;
  const DWORD func = ctx.state->alphaFunc;
  for (int i = 0; i < in.count; ++i) {
    const uint32_t a = buf.color[i] >> 24;
    bool pass;
    switch (func) {
      case D3DCMP_NEVER:
        pass = false;
        break;
      case D3DCMP_LESS:
        pass = a < ref;
        break;
      case D3DCMP_EQUAL:
        pass = a == ref;
        break;
      case D3DCMP_LESSEQUAL:
        pass = a <= ref;
        break;
      case D3DCMP_GREATER:
        pass = a > ref;
        break;
      case D3DCMP_NOTEQUAL:
        pass = a != ref;
        break;
      case D3DCMP_GREATEREQUAL:
        pass = a >= ref;
        break;
      default:
        pass = true;
        break;  // ALWAYS
    }
    if (!pass) buf.mask[i] = 0;
  }
}

}  // namespace

void ChooseShadeStages(PixelContext* ctx, bool gouraud) {
  const StageState& s = ctx->state->stages[0];
  const bool p = ctx->perspective;
  const bool textured = ctx->texture != nullptr && s.colorOp != D3DTOP_DISABLE;
  if (!textured) {
    // No texture: the diffuse colour and alpha pass through.
    ctx->sample = nullptr;
    ctx->combine =
        gouraud ? (p ? GouraudUntextured<true> : GouraudUntextured<false>) : FlatUntextured;
  } else {
    const bool modulateOnly =
        s.colorOp == D3DTOP_MODULATE && (s.colorArg1 & 0xF) == D3DTA_TEXTURE &&
        (s.colorArg2 & 0xF) != D3DTA_TEXTURE && s.alphaOp == D3DTOP_SELECTARG1 &&
        (s.alphaArg1 & 0xF) == D3DTA_TEXTURE;
    if (!modulateOnly)
      ctx->combine = p ? GenericCombine<true> : GenericCombine<false>;
    else if (gouraud)
      ctx->combine = p ? GouraudModulate<true> : GouraudModulate<false>;
    else if ((ctx->tri.flatColor & 0x00FFFFFFu) == 0x00FFFFFFu)
      ctx->combine = nullptr;  // modulating by white: the texel is the colour
    else
      ctx->combine = HaveAvx2() ? FlatModulateAvx2 : FlatModulate;
  }
  const bool anySpecular = ctx->state->specularEnable &&
                           (ctx->tri.specular[0].at0 != 0 || ctx->tri.specular[0].dx != 0 ||
                            ctx->tri.specular[0].dy != 0 || ctx->tri.specular[1].at0 != 0 ||
                            ctx->tri.specular[1].dx != 0 || ctx->tri.specular[1].dy != 0 ||
                            ctx->tri.specular[2].at0 != 0 || ctx->tri.specular[2].dx != 0 ||
                            ctx->tri.specular[2].dy != 0);
  ctx->specular = anySpecular ? (p ? AddSpecular<true> : AddSpecular<false>) : nullptr;
  ctx->interpolateColor =
      gouraud || (textured && ctx->combine != nullptr && ctx->combine != FlatModulate &&
                  ctx->combine != FlatModulateAvx2);
  ctx->alphaTest =
      ctx->state->alphaTestEnable && ctx->state->alphaFunc != D3DCMP_ALWAYS ? AlphaTest : nullptr;
}

}  // namespace platform::d3d
