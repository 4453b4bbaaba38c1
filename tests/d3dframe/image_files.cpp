#include "image_files.h"

#include <fstream>

namespace testimg {

namespace {

void Put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(v & 0xFF);
  out.push_back((v >> 8) & 0xFF);
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

bool Save(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(file);
}

std::vector<uint8_t> BmpHeaders(int width, int height, int bits, int paletteEntries,
                                size_t imageSize) {
  std::vector<uint8_t> out;
  uint32_t offset = 14 + 40 + paletteEntries * 4;
  out.push_back('B');
  out.push_back('M');
  Put32(out, static_cast<uint32_t>(offset + imageSize));
  Put32(out, 0);
  Put32(out, offset);
  Put32(out, 40);
  Put32(out, static_cast<uint32_t>(width));
  Put32(out, static_cast<uint32_t>(height));
  Put16(out, 1);
  Put16(out, static_cast<uint32_t>(bits));
  Put32(out, 0);
  Put32(out, static_cast<uint32_t>(imageSize));
  Put32(out, 2835);
  Put32(out, 2835);
  Put32(out, static_cast<uint32_t>(paletteEntries));
  Put32(out, 0);
  return out;
}

}  // namespace

void AddPixel(std::vector<uint8_t>& out, uint32_t rgba, int depth) {
  out.push_back((rgba >> 8) & 0xFF);
  out.push_back((rgba >> 16) & 0xFF);
  out.push_back(rgba >> 24);
  if (depth == 32) out.push_back(rgba & 0xFF);
}

bool WriteTga(const std::string& path, const Tga& tga) {
  std::vector<uint8_t> out;
  out.push_back(static_cast<uint8_t>(tga.id.size()));
  out.push_back(tga.colourMapType);
  out.push_back(tga.type);
  for (int i = 3; i < 12; ++i) out.push_back(0);
  Put16(out, tga.width);
  Put16(out, tga.height);
  out.push_back(tga.depth);
  out.push_back(tga.descriptor);
  out.insert(out.end(), tga.id.begin(), tga.id.end());
  out.insert(out.end(), tga.payload.begin(), tga.payload.end());
  return Save(path, out);
}

bool WriteBmp24(const std::string& path, int width, int height, const std::vector<uint32_t>& rgb) {
  size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t(3);
  std::vector<uint8_t> out = BmpHeaders(width, height, 24, 0, stride * height);
  for (int y = height - 1; y >= 0; --y) {
    size_t start = out.size();
    for (int x = 0; x < width; ++x) {
      uint32_t p = rgb[static_cast<size_t>(y) * width + x];
      out.push_back(p & 0xFF);
      out.push_back((p >> 8) & 0xFF);
      out.push_back((p >> 16) & 0xFF);
    }
    while (out.size() - start < stride) out.push_back(0);
  }
  return Save(path, out);
}

bool WriteBmp8(const std::string& path, int width, int height, const std::vector<uint32_t>& palette,
               const std::vector<uint8_t>& indices) {
  size_t stride = (static_cast<size_t>(width) + 3) & ~size_t(3);
  std::vector<uint8_t> out =
      BmpHeaders(width, height, 8, static_cast<int>(palette.size()), stride * height);
  for (uint32_t p : palette) {
    out.push_back(p & 0xFF);
    out.push_back((p >> 8) & 0xFF);
    out.push_back((p >> 16) & 0xFF);
    out.push_back(0);
  }
  for (int y = height - 1; y >= 0; --y) {
    size_t start = out.size();
    for (int x = 0; x < width; ++x) out.push_back(indices[static_cast<size_t>(y) * width + x]);
    while (out.size() - start < stride) out.push_back(0);
  }
  return Save(path, out);
}

}  // namespace testimg
