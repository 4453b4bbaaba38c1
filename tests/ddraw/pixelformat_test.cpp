#include "ddraw/pixelformat.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

const PixelKind kColourKinds[] = {PixelKind::R5G6B5,   PixelKind::X1R5G5B5, PixelKind::A1R5G5B5,
                                  PixelKind::A4R4G4B4, PixelKind::R8G8B8,   PixelKind::X8R8G8B8,
                                  PixelKind::A8R8G8B8};

TEST(PixelFormat, PrimaryColoursSurviveARoundTripThroughEveryFormat) {
  for (PixelKind kind : kColourKinds) {
    const FormatInfo info = DescribeFormat(MakePixelFormat(kind));
    for (uint32_t argb : {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFFFFu, 0xFF000000u}) {
      const uint32_t pixel = ArgbToPixel(info, argb);
      EXPECT_EQ(PixelToArgb(info, pixel), argb)
          << static_cast<int>(kind) << " " << std::hex << argb;
    }
  }
}

TEST(PixelFormat, ChannelsAreTruncatedAndWidenedByBitRepetition) {
  const FormatInfo r565 = DescribeFormat(MakePixelFormat(PixelKind::R5G6B5));
  EXPECT_EQ(ArgbToPixel(r565, 0xFF123456), (0x12u >> 3 << 11) | (0x34u >> 2 << 5) | (0x56u >> 3));
  EXPECT_EQ(PixelToArgb(r565, 0x0821), 0xFF080408u);  // 1, 1, 1 in 5-6-5
  const FormatInfo a4 = DescribeFormat(MakePixelFormat(PixelKind::A4R4G4B4));
  EXPECT_EQ(ArgbToPixel(a4, 0x80FF4020), 0x8F42u);
  EXPECT_EQ(PixelToArgb(a4, 0x8F42), 0x88FF4422u);
  const FormatInfo a1 = DescribeFormat(MakePixelFormat(PixelKind::A1R5G5B5));
  EXPECT_EQ(ArgbToPixel(a1, 0x7FFFFFFF) & 0x8000, 0u);
  EXPECT_EQ(ArgbToPixel(a1, 0x80FFFFFF) & 0x8000, 0x8000u);
}

TEST(PixelFormat, KeyMaskCoversColourAndAlphaButNotUnusedBits) {
  EXPECT_EQ(DescribeFormat(MakePixelFormat(PixelKind::X8R8G8B8)).keyMask, 0x00FFFFFFu);
  EXPECT_EQ(DescribeFormat(MakePixelFormat(PixelKind::A8R8G8B8)).keyMask, 0xFFFFFFFFu);
  EXPECT_EQ(DescribeFormat(MakePixelFormat(PixelKind::X1R5G5B5)).keyMask, 0x7FFFu);
  EXPECT_EQ(DescribeFormat(MakePixelFormat(PixelKind::R5G6B5)).keyMask, 0xFFFFu);
}

TEST(PixelFormat, PalettisedPixelsLookUpAndFindTheNearestEntry) {
  PALETTEENTRY palette[256] = {};
  palette[7] = PALETTEENTRY{200, 100, 50, 0};
  palette[9] = PALETTEENTRY{0, 0, 250, 0};
  const FormatInfo pal = DescribeFormat(MakePixelFormat(PixelKind::Pal8));
  EXPECT_EQ(PixelToArgb(pal, 7, palette), 0xFFC86432u);
  EXPECT_EQ(ArgbToPixel(pal, 0xFF0000FF, palette), 9u);
  EXPECT_EQ(ArgbToPixel(pal, 0xFFC86431, palette), 7u);
}

}  // namespace
}  // namespace platform
