// The icon file beside the program, as the SDL window reads it: the largest
// 32-bit image is taken, and a malformed file is refused without reading
// outside it.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <vector>

#include "backend/icon.h"

namespace {

void Put16(std::vector<uint8_t>& out, uint32_t v) {
  out.insert(out.end(), {uint8_t(v), uint8_t(v >> 8)});
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
  out.insert(out.end(), {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)});
}

// An icon file of square 32-bit images; image i's pixel (x, y) is
// 0xFF000000 | size << 16 | y << 8 | x, stored bottom row first.
std::vector<uint8_t> MakeIcon(const std::vector<int>& sizes, uint16_t bitsPerPixel = 32) {
  std::vector<uint8_t> out;
  Put16(out, 0);
  Put16(out, 1);
  Put16(out, static_cast<uint32_t>(sizes.size()));
  uint32_t offset = 6 + 16 * static_cast<uint32_t>(sizes.size());
  for (int size : sizes) {
    const uint32_t bytes = 40 + 4 * size * size + ((size + 31) / 32) * 4 * size;
    out.insert(out.end(), {uint8_t(size), uint8_t(size), 0, 0});
    Put16(out, 1);
    Put16(out, bitsPerPixel);
    Put32(out, bytes);
    Put32(out, offset);
    offset += bytes;
  }
  for (int size : sizes) {
    for (uint32_t v : {40u, uint32_t(size), uint32_t(2 * size)}) Put32(out, v);
    Put16(out, 1);
    Put16(out, bitsPerPixel);
    for (int i = 0; i < 6; ++i) Put32(out, 0);
    for (int y = size - 1; y >= 0; --y)
      for (int x = 0; x < size; ++x) Put32(out, 0xFF000000u | size << 16 | y << 8 | x);
    out.insert(out.end(), ((size + 31) / 32) * 4 * size, 0);
  }
  return out;
}

TEST(Icon, TheLargestImageIsTakenTopRowFirst) {
  platform::IconPicture icon;
  ASSERT_TRUE(platform::DecodeIcon(MakeIcon({16, 48, 32}), &icon));
  ASSERT_EQ(icon.width, 48);
  ASSERT_EQ(icon.height, 48);
  EXPECT_EQ(icon.argb[0], 0xFF300000u);
  EXPECT_EQ(icon.argb[5 * 48 + 7], 0xFF300507u);
  EXPECT_EQ(icon.argb.back(), 0xFF302F2Fu);
}

TEST(Icon, MalformedFilesAreRefused) {
  platform::IconPicture icon;
  // Every cut short of the whole file: the one image never fits.
  const std::vector<uint8_t> whole = MakeIcon({4});
  for (size_t length = 0; length < whole.size() - 16; ++length) {
    std::vector<uint8_t> cut(whole.begin(), whole.begin() + length);
    EXPECT_FALSE(platform::DecodeIcon(cut, &icon)) << "cut at " << length;
    EXPECT_TRUE(icon.argb.empty());
  }
  // A palette image is left out; an offset past the end, a height that is
  // not twice the image's, a count larger than the directory: refused.
  EXPECT_FALSE(platform::DecodeIcon(MakeIcon({4}, 8), &icon));
  std::vector<uint8_t> broken = whole;
  broken[6 + 12] = 0xF0;
  EXPECT_FALSE(platform::DecodeIcon(broken, &icon));
  broken = whole;
  broken[22 + 8] = 7;
  EXPECT_FALSE(platform::DecodeIcon(broken, &icon));
  broken = whole;
  broken[4] = 0xFF;
  broken[5] = 0xFF;
  EXPECT_FALSE(platform::DecodeIcon(broken, &icon));
  // Only the (unused) mask rows missing: the colours are all there.
  std::vector<uint8_t> noMask(whole.begin(), whole.end() - 16);
  noMask[6 + 8] -= 16;
  EXPECT_TRUE(platform::DecodeIcon(noMask, &icon));
}

TEST(Icon, TheGeneratedIconIsReadAtItsLargestSize) {
  std::ifstream in(VOSKAR_ICON_FILE, std::ios::binary);
  ASSERT_TRUE(in) << VOSKAR_ICON_FILE;
  std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  platform::IconPicture icon;
  ASSERT_TRUE(platform::DecodeIcon(file, &icon));
  EXPECT_EQ(icon.width, 64);
  EXPECT_EQ(icon.height, 64);
  // See-through outside the rounded square, opaque inside it.
  EXPECT_EQ(icon.argb[0] >> 24, 0u);
  EXPECT_EQ(icon.argb[63] >> 24, 0u);
  EXPECT_EQ(icon.argb[32 * 64 + 10] >> 24, 0xFFu);
  EXPECT_EQ(icon.argb[60 * 64 + 32] >> 24, 0xFFu);
}

}  // namespace
