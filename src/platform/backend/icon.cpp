#include "backend/icon.h"

#include <cstddef>

namespace platform {

namespace {

uint32_t Read16(const std::vector<uint8_t>& file, size_t at) {
  return file[at] | file[at + 1] << 8;
}

uint32_t Read32(const std::vector<uint8_t>& file, size_t at) {
  return file[at] | file[at + 1] << 8 | file[at + 2] << 16 |
         static_cast<uint32_t>(file[at + 3]) << 24;
}

}  // namespace

bool DecodeIcon(const std::vector<uint8_t>& file, IconPicture* picture) {
  if (!picture) return false;
  *picture = IconPicture();
  if (file.size() < 6 || Read16(file, 0) != 0 || Read16(file, 2) != 1) return false;
  const size_t count = Read16(file, 4);
  if (6 + 16 * count > file.size()) return false;

  // Every offset and size is checked against the file before it is used:
  // the file is read from disk and may be anything.
  size_t best = 0, bestPixels = 0, bestWidth = 0, bestHeight = 0;
  for (size_t i = 0; i < count; ++i) {
    const size_t entry = 6 + 16 * i;
    const uint64_t bytes = Read32(file, entry + 8), offset = Read32(file, entry + 12);
    if (offset + bytes > file.size() || bytes < 40) continue;
    const size_t header = static_cast<size_t>(offset);
    const uint32_t headerSize = Read32(file, header);
    const int32_t width = static_cast<int32_t>(Read32(file, header + 4));
    const int32_t doubleHeight = static_cast<int32_t>(Read32(file, header + 8));
    // Images stored as PNG, palettes and compressed bitmaps are left out.
    if (headerSize < 40 || Read16(file, header + 12) != 1 || Read16(file, header + 14) != 32 ||
        Read32(file, header + 16) != 0)
      continue;
    if (width < 1 || width > 256 || doubleHeight < 2 || doubleHeight > 512 || doubleHeight % 2)
      continue;
    const size_t height = static_cast<size_t>(doubleHeight / 2);
    if (headerSize + 4ull * width * height > bytes) continue;
    if (static_cast<size_t>(width) * height > bestPixels) {
      best = header + headerSize;
      bestPixels = static_cast<size_t>(width) * height;
      bestWidth = static_cast<size_t>(width);
      bestHeight = height;
    }
  }
  if (!bestPixels) return false;

  picture->width = static_cast<int>(bestWidth);
  picture->height = static_cast<int>(bestHeight);
  picture->argb.resize(bestPixels);
  // Rows are stored bottom first, each pixel as blue, green, red, alpha.
  for (size_t y = 0; y < bestHeight; ++y)
    for (size_t x = 0; x < bestWidth; ++x) {
      const size_t at = best + 4 * ((bestHeight - 1 - y) * bestWidth + x);
      picture->argb[y * bestWidth + x] = Read32(file, at);
    }
  return true;
}

}  // namespace platform
