#include "ddraw/pixelformat.h"

#include <initializer_list>

namespace platform {

namespace {

DDPIXELFORMAT Rgb(DWORD bits, DWORD r, DWORD g, DWORD b, DWORD a) {
  DDPIXELFORMAT f{};
  f.dwSize = sizeof(DDPIXELFORMAT);
  f.dwFlags = DDPF_RGB | (a ? DDPF_ALPHAPIXELS : 0);
  f.dwRGBBitCount = bits;
  f.dwRBitMask = r;
  f.dwGBitMask = g;
  f.dwBBitMask = b;
  f.dwRGBAlphaBitMask = a;
  return f;
}

DDPIXELFORMAT Depth(DWORD bits, DWORD mask) {
  DDPIXELFORMAT f{};
  f.dwSize = sizeof(DDPIXELFORMAT);
  f.dwFlags = DDPF_ZBUFFER;
  f.dwZBufferBitDepth = bits;
  f.dwZBitMask = mask;
  return f;
}

Channel MakeChannel(uint32_t mask) {
  Channel c;
  c.mask = mask;
  if (mask == 0) return c;
  while (!((mask >> c.shift) & 1)) ++c.shift;
  while (c.shift + c.bits < 32 && ((mask >> (c.shift + c.bits)) & 1)) ++c.bits;
  return c;
}

uint32_t Narrow(uint32_t value8, const Channel& c) {
  if (c.bits == 0) return 0;
  uint32_t v = c.bits >= 8 ? value8 << (c.bits - 8) : value8 >> (8 - c.bits);
  return (v << c.shift) & c.mask;
}

}  // namespace

DDPIXELFORMAT MakePixelFormat(PixelKind kind) {
  switch (kind) {
    case PixelKind::R5G6B5:
      return Rgb(16, 0xF800, 0x07E0, 0x001F, 0);
    case PixelKind::X1R5G5B5:
      return Rgb(16, 0x7C00, 0x03E0, 0x001F, 0);
    case PixelKind::A1R5G5B5:
      return Rgb(16, 0x7C00, 0x03E0, 0x001F, 0x8000);
    case PixelKind::A4R4G4B4:
      return Rgb(16, 0x0F00, 0x00F0, 0x000F, 0xF000);
    case PixelKind::R8G8B8:
      return Rgb(24, 0xFF0000, 0x00FF00, 0x0000FF, 0);
    case PixelKind::X8R8G8B8:
      return Rgb(32, 0xFF0000, 0x00FF00, 0x0000FF, 0);
    case PixelKind::A8R8G8B8:
      return Rgb(32, 0xFF0000, 0x00FF00, 0x0000FF, 0xFF000000);
    case PixelKind::Pal8: {
      DDPIXELFORMAT f{};
      f.dwSize = sizeof(DDPIXELFORMAT);
      f.dwFlags = DDPF_RGB | DDPF_PALETTEINDEXED8;
      f.dwRGBBitCount = 8;
      return f;
    }
    case PixelKind::Z16:
      return Depth(16, 0xFFFF);
    case PixelKind::Z24:
      return Depth(24, 0xFFFFFF);
    case PixelKind::Z32:
      return Depth(32, 0xFFFFFFFF);
    case PixelKind::Unknown:
      break;
  }
  return DDPIXELFORMAT{};
}

PixelKind ClassifyPixelFormat(const DDPIXELFORMAT& f) {
  if (f.dwFlags & DDPF_ZBUFFER) {
    switch (f.dwZBufferBitDepth) {
      case 16:
        return PixelKind::Z16;
      case 24:
        return PixelKind::Z24;
      case 32:
        // 24 bits of depth in a 32-bit word are also described this way.
        return (f.dwZBitMask == 0xFFFFFF || f.dwZBitMask == 0xFFFFFF00) ? PixelKind::Z24
                                                                        : PixelKind::Z32;
      default:
        return PixelKind::Unknown;
    }
  }
  if (f.dwFlags & DDPF_PALETTEINDEXED8) return PixelKind::Pal8;
  if (!(f.dwFlags & DDPF_RGB) || (f.dwFlags & DDPF_FOURCC)) return PixelKind::Unknown;
  const DWORD alpha = (f.dwFlags & DDPF_ALPHAPIXELS) ? f.dwRGBAlphaBitMask : 0;
  for (PixelKind kind :
       {PixelKind::R5G6B5, PixelKind::X1R5G5B5, PixelKind::A1R5G5B5, PixelKind::A4R4G4B4,
        PixelKind::R8G8B8, PixelKind::X8R8G8B8, PixelKind::A8R8G8B8}) {
    DDPIXELFORMAT k = MakePixelFormat(kind);
    if (k.dwRGBBitCount == f.dwRGBBitCount && k.dwRBitMask == f.dwRBitMask &&
        k.dwGBitMask == f.dwGBitMask && k.dwBBitMask == f.dwBBitMask &&
        k.dwRGBAlphaBitMask == alpha)
      return kind;
  }
  return PixelKind::Unknown;
}

FormatInfo DescribeFormat(const DDPIXELFORMAT& f) {
  FormatInfo info;
  info.kind = ClassifyPixelFormat(f);
  if (f.dwFlags & DDPF_ZBUFFER) {
    info.depth = true;
    info.bytes = f.dwZBufferBitDepth <= 16 ? 2 : 4;
    info.depthMask =
        f.dwZBitMask ? f.dwZBitMask
                     : (f.dwZBufferBitDepth >= 32 ? 0xFFFFFFFFu : (1u << f.dwZBufferBitDepth) - 1);
    return info;
  }
  info.bytes = static_cast<int>(f.dwRGBBitCount / 8);
  if (f.dwFlags & DDPF_PALETTEINDEXED8) {
    info.palettized = true;
    info.keyMask = 0xFF;
    return info;
  }
  info.r = MakeChannel(f.dwRBitMask);
  info.g = MakeChannel(f.dwGBitMask);
  info.b = MakeChannel(f.dwBBitMask);
  if (f.dwFlags & DDPF_ALPHAPIXELS) info.a = MakeChannel(f.dwRGBAlphaBitMask);
  info.keyMask = info.r.mask | info.g.mask | info.b.mask | info.a.mask;
  return info;
}

uint32_t PixelToArgb(const FormatInfo& info, uint32_t pixel, const PALETTEENTRY* palette) {
  if (info.palettized) {
    if (!palette) return 0xFF000000;
    const PALETTEENTRY& e = palette[pixel & 0xFF];
    return 0xFF000000u | (uint32_t{e.peRed} << 16) | (uint32_t{e.peGreen} << 8) | e.peBlue;
  }
  if (info.depth) {
    uint32_t z = pixel & info.depthMask;
    int top = 31;
    while (top > 0 && !((info.depthMask >> top) & 1)) --top;
    uint32_t grey = top >= 7 ? (z >> (top - 7)) & 0xFF : 0;
    return 0xFF000000u | grey * 0x010101u;
  }
  auto get = [pixel](const Channel& c) {
    return ExpandChannel((pixel & c.mask) >> c.shift, c.bits);
  };
  const uint32_t a = info.a.bits ? get(info.a) : 0xFF;
  return (a << 24) | (get(info.r) << 16) | (get(info.g) << 8) | get(info.b);
}

uint32_t ArgbToPixel(const FormatInfo& info, uint32_t argb, const PALETTEENTRY* palette) {
  const uint32_t a = argb >> 24, r = (argb >> 16) & 0xFF, g = (argb >> 8) & 0xFF, b = argb & 0xFF;
  if (info.palettized) {
    if (!palette) return 0;
    uint32_t best = 0;
    int bestDistance = 1 << 30;
    for (uint32_t i = 0; i < 256; ++i) {
      const int dr = palette[i].peRed - static_cast<int>(r);
      const int dg = palette[i].peGreen - static_cast<int>(g);
      const int db = palette[i].peBlue - static_cast<int>(b);
      const int distance = dr * dr + dg * dg + db * db;
      if (distance < bestDistance) {
        bestDistance = distance;
        best = i;
        if (distance == 0) break;
      }
    }
    return best;
  }
  if (info.depth) {
    // A grey level as depth: fill the mask proportionally.
    return static_cast<uint32_t>(static_cast<uint64_t>(info.depthMask) * r / 255) & info.depthMask;
  }
  return Narrow(r, info.r) | Narrow(g, info.g) | Narrow(b, info.b) | Narrow(a, info.a);
}

}  // namespace platform
