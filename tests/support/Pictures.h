// Pictures read back from disk for checks: Windows bitmaps through SDL, TGA
// files through the game's own reader.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace support {

struct Picture {
  int width = 0, height = 0;
  int bitsPerPixel = 0;
  std::vector<uint32_t> argb;  // top row first
  uint32_t At(int x, int y) const { return argb[static_cast<size_t>(y) * width + x]; }
  bool ok() const { return width > 0 && height > 0; }
};

// A .bmp or .tga file; an empty Picture when it cannot be read.
Picture ReadPicture(const std::string& path);

}  // namespace support
