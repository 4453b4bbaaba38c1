// Pixel formats of DirectDraw surfaces: the formats the platform supports,
// a compact description of each (channel masks and shifts), and conversion of
// single pixels between formats and to/from 0xAARRGGBB. Shared by surfaces,
// GDI blits, presentation and the rasteriser.
#pragma once

#include <cstdint>

#include "ddraw7.h"

namespace platform {

enum class PixelKind {
  Unknown,
  R5G6B5,
  X1R5G5B5,
  A1R5G5B5,
  A4R4G4B4,
  R8G8B8,  // 24 bits, 3 bytes per pixel
  X8R8G8B8,
  A8R8G8B8,
  Pal8,  // 8-bit indices into a palette
  Z16,
  Z24,  // 24 bits of depth kept in 32-bit words
  Z32,
};

// The DDPIXELFORMAT of a kind, dwSize filled, as enumeration reports it.
DDPIXELFORMAT MakePixelFormat(PixelKind kind);
// Recognises one of the supported formats by flags, bit count and masks.
PixelKind ClassifyPixelFormat(const DDPIXELFORMAT& format);

struct Channel {
  uint32_t mask = 0;
  int shift = 0;  // position of the lowest mask bit
  int bits = 0;   // number of mask bits
};

struct FormatInfo {
  PixelKind kind = PixelKind::Unknown;
  int bytes = 0;  // bytes per pixel in memory
  Channel r, g, b, a;
  bool palettized = false;
  bool depth = false;
  uint32_t depthMask = 0;
  // The bits that make up the colour (and alpha where there is one): what a
  // colour key compares. Unused bits (X) are left out.
  uint32_t keyMask = 0;
};

// Describes any RGB, palettised or z format (also ones that aren't in
// PixelKind, as long as the masks are contiguous).
FormatInfo DescribeFormat(const DDPIXELFORMAT& format);

// Reads/writes one pixel of `bytes` bytes (1 to 4, little-endian).
inline uint32_t ReadPixel(const uint8_t* p, int bytes) {
  switch (bytes) {
    case 1:
      return p[0];
    case 2:
      return static_cast<uint32_t>(p[0] | (p[1] << 8));
    case 3:
      return static_cast<uint32_t>(p[0] | (p[1] << 8) | (p[2] << 16));
    default:
      return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
             (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
  }
}

inline void WritePixel(uint8_t* p, int bytes, uint32_t value) {
  p[0] = static_cast<uint8_t>(value);
  if (bytes > 1) p[1] = static_cast<uint8_t>(value >> 8);
  if (bytes > 2) p[2] = static_cast<uint8_t>(value >> 16);
  if (bytes > 3) p[3] = static_cast<uint8_t>(value >> 24);
}

// Widens an n-bit channel value to 8 bits by repeating its bits, so that the
// largest value becomes 255 and narrowing back gives the same value.
inline uint32_t ExpandChannel(uint32_t value, int bits) {
  if (bits <= 0) return 0;
  if (bits >= 8) return (value >> (bits - 8)) & 0xFF;
  uint32_t top = value << (8 - bits);
  uint32_t result = top;
  for (int s = bits; s < 8; s += bits) result |= top >> s;
  return result & 0xFF;
}

// A pixel of an RGB format as 0xAARRGGBB; alpha is 255 where the format has
// none. A palettised pixel is looked up in `palette` (black without one); a
// z pixel becomes a grey level of its top 8 bits.
uint32_t PixelToArgb(const FormatInfo& info, uint32_t pixel, const PALETTEENTRY* palette = nullptr);
// 0xAARRGGBB as a pixel of the format: channels are truncated to their width.
// For a palettised format the nearest palette entry is taken.
uint32_t ArgbToPixel(const FormatInfo& info, uint32_t argb, const PALETTEENTRY* palette = nullptr);

}  // namespace platform
