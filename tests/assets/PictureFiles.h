// Reading the generated pictures back for the layout checks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Texel {
  uint8_t r = 0, g = 0, b = 0, a = 255;
  bool IsBlack() const { return r == 0 && g == 0 && b == 0; }
  bool IsWhite() const { return r == 255 && g == 255 && b == 255; }
  int Luma() const { return (r * 299 + g * 587 + b * 114) / 1000; }
};

struct Picture {
  int width = 0, height = 0;
  int bitsPerPixel = 0;
  int tgaType = 0;            // 2 or 10 for TGA files, 0 for bitmaps
  std::vector<Texel> texels;  // top row first
  const Texel& At(int x, int y) const { return texels[y * width + x]; }
  bool ok() const { return width > 0 && height > 0; }
};

// Path of a generated picture.
std::string PicturePath(const std::string& name);
// A Windows bitmap through SDL_LoadBMP; an empty Picture when it can't be read.
Picture LoadBitmap(const std::string& path);
// A true-colour TGA (type 2 or 10, 24 or 32 bits); empty when malformed.
Picture LoadTga(const std::string& path);
// Parses TGA bytes (used on files and on hand-made data).
Picture ParseTga(const std::vector<uint8_t>& bytes);
