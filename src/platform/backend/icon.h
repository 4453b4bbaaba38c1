// The program's icon for the SDL window: the .ico file beside the program,
// the same picture the Windows build compiles into voskar.exe.
#pragma once

#include <cstdint>
#include <vector>

namespace platform {

struct IconPicture {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> argb;  // 0xAARRGGBB, top row first
};

// Decodes the largest uncompressed 32-bit image of an .ico file. False, with
// the picture left empty, when the file holds none or is malformed.
bool DecodeIcon(const std::vector<uint8_t>& file, IconPicture* picture);

}  // namespace platform
