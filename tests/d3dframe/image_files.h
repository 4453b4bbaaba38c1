// Writes small TGA and BMP files for the texture registry's tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testimg {

struct Tga {
  uint8_t type = 2;
  uint8_t colourMapType = 0;
  uint16_t width = 1;
  uint16_t height = 1;
  uint8_t depth = 32;
  uint8_t descriptor = 0;
  std::string id;                // written after the header
  std::vector<uint8_t> payload;  // pixel data or packets, as they go in the file
};

// A pixel's bytes in file order (blue, green, red[, alpha]).
void AddPixel(std::vector<uint8_t>& out, uint32_t rgba, int depth);
bool WriteTga(const std::string& path, const Tga& tga);

// 24-bit bottom-up BMP; pixels 0xRRGGBB, top row first.
bool WriteBmp24(const std::string& path, int width, int height, const std::vector<uint32_t>& rgb);
// 8-bit palettised BMP; palette entries 0xRRGGBB, indices top row first.
bool WriteBmp8(const std::string& path, int width, int height, const std::vector<uint32_t>& palette,
               const std::vector<uint8_t>& indices);

}  // namespace testimg
