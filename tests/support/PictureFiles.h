// Picture files built byte by byte, for the readers' tests: Windows bitmaps
// with any header values, and TGA files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace support {

struct BmpLayout {
  int32_t width = 1;
  int32_t height = 1;  // negative: rows stored top first
  uint16_t bits = 24;
  uint32_t compression = 0;       // 0 RGB, 1 RLE8
  std::vector<uint32_t> palette;  // 0x00RRGGBB
  uint32_t colorsUsed = 0;
  std::string pixels;  // the pixel data exactly as stored
};
// A file with a 40-byte info header, the colour table and the pixel data.
std::string BmpFile(const BmpLayout& layout);
// A 24-bit bottom-up bitmap of 0xRRGGBB pixels given top row first.
std::string Bmp24File(int width, int height, const std::vector<uint32_t>& rgb);

// An 18-byte TGA header (no colour map), the image id, then the payload as
// given (pixels or run-length packets).
std::string TgaFile(int imageType, int width, int height, int depth, int descriptor,
                    const std::string& payload, const std::string& id = "");
// One pixel's bytes in TGA order (blue, green, red[, alpha]) from 0xRRGGBBAA.
std::string TgaPixel(uint32_t rgba, int depth);

}  // namespace support
