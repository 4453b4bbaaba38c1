#include "support/PictureFiles.h"

namespace support {

namespace {

void Put16(std::string& out, uint32_t v) {
  out.push_back(static_cast<char>(v & 0xFF));
  out.push_back(static_cast<char>((v >> 8) & 0xFF));
}

void Put32(std::string& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

}  // namespace

std::string BmpFile(const BmpLayout& layout) {
  std::string out = "BM";
  const uint32_t offset = 14 + 40 + static_cast<uint32_t>(layout.palette.size()) * 4;
  Put32(out, offset + static_cast<uint32_t>(layout.pixels.size()));
  Put32(out, 0);
  Put32(out, offset);
  Put32(out, 40);
  Put32(out, static_cast<uint32_t>(layout.width));
  Put32(out, static_cast<uint32_t>(layout.height));
  Put16(out, 1);
  Put16(out, layout.bits);
  Put32(out, layout.compression);
  Put32(out, static_cast<uint32_t>(layout.pixels.size()));
  Put32(out, 2835);
  Put32(out, 2835);
  Put32(out, layout.colorsUsed);
  Put32(out, 0);
  for (uint32_t c : layout.palette) Put32(out, c);
  return out + layout.pixels;
}

std::string Bmp24File(int width, int height, const std::vector<uint32_t>& rgb) {
  BmpLayout layout;
  layout.width = width;
  layout.height = height;
  const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
  for (int y = height - 1; y >= 0; --y) {
    std::string row;
    for (int x = 0; x < width; ++x) {
      const uint32_t p = rgb[static_cast<size_t>(y) * width + x];
      row += {static_cast<char>(p & 0xFF), static_cast<char>((p >> 8) & 0xFF),
              static_cast<char>((p >> 16) & 0xFF)};
    }
    row.resize(stride, '\0');
    layout.pixels += row;
  }
  return BmpFile(layout);
}

std::string TgaFile(int imageType, int width, int height, int depth, int descriptor,
                    const std::string& payload, const std::string& id) {
  std::string out;
  out.push_back(static_cast<char>(id.size()));
  out.push_back(0);  // no colour map
  out.push_back(static_cast<char>(imageType));
  out.append(9, '\0');
  Put16(out, static_cast<uint32_t>(width));
  Put16(out, static_cast<uint32_t>(height));
  out.push_back(static_cast<char>(depth));
  out.push_back(static_cast<char>(descriptor));
  return out + id + payload;
}

std::string TgaPixel(uint32_t rgba, int depth) {
  std::string out = {static_cast<char>((rgba >> 8) & 0xFF), static_cast<char>((rgba >> 16) & 0xFF),
                     static_cast<char>(rgba >> 24)};
  if (depth == 32) out.push_back(static_cast<char>(rgba & 0xFF));
  return out;
}

}  // namespace support
