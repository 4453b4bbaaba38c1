// Loading .bmp files as DIB sections: every depth the game's pictures may
// have, the colour table, and files whose headers must be refused.
#include "gdi_fixture.h"

namespace gdi_test {
namespace {

struct Loaded {
  HBITMAP bitmap = nullptr;
  BITMAP info{};
};

Loaded Load(const std::string& name, const BmpLayout& layout) {
  Loaded result;
  result.bitmap = LoadBmpFile(WriteTempFile(name, BuildBmp(layout)));
  if (result.bitmap) GetObjectA(result.bitmap, sizeof(BITMAP), &result.info);
  return result;
}

class BitmapTest : public SurfaceTest {
 protected:
  // Draws the bitmap onto a fresh X8R8G8B8 surface and returns its pixels
  // as 0x00RRGGBB, row by row.
  std::vector<uint32_t> Pixels(HBITMAP bitmap, int w, int h) {
    IDirectDrawSurface7* surface = MakeSurface(platform::PixelKind::X8R8G8B8, w, h);
    HDC memory = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    EXPECT_NE(previous, nullptr);
    HDC dc = nullptr;
    EXPECT_EQ(surface->GetDC(&dc), DD_OK);
    EXPECT_TRUE(BitBlt(dc, 0, 0, w, h, memory, 0, 0, SRCCOPY));
    EXPECT_EQ(surface->ReleaseDC(dc), DD_OK);
    SelectObject(memory, previous);
    EXPECT_TRUE(DeleteDC(memory));
    std::vector<uint32_t> pixels;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) pixels.push_back(At(surface, x, y) & 0xFFFFFF);
    return pixels;
  }

  UINT ColorTable(HBITMAP bitmap, std::vector<RGBQUAD>* table) {
    table->assign(256, RGBQUAD{});
    HDC memory = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    const UINT n = GetDIBColorTable(memory, 0, 256, table->data());
    SelectObject(memory, previous);
    DeleteDC(memory);
    return n;
  }
};

TEST_F(BitmapTest, OneBitPictureKeepsItsDepthAndColourTable) {
  BmpLayout layout;
  layout.width = 3;
  layout.height = 2;
  layout.bits = 1;
  layout.palette = {0x000000, 0xFF8000};
  // Bottom row 0 1 1, top row 1 0 1; rows padded to 4 bytes.
  layout.pixels = {0x60, 0, 0, 0, 0xA0, 0, 0, 0};
  Loaded l = Load("1bit.bmp", layout);
  ASSERT_NE(l.bitmap, nullptr);
  EXPECT_EQ(l.info.bmWidth, 3);
  EXPECT_EQ(l.info.bmHeight, 2);
  EXPECT_EQ(l.info.bmBitsPixel, 1);
  std::vector<RGBQUAD> table;
  ASSERT_EQ(ColorTable(l.bitmap, &table), 2u);
  EXPECT_EQ(table[1].rgbRed, 0xFF);
  EXPECT_EQ(table[1].rgbGreen, 0x80);
  EXPECT_EQ(table[1].rgbBlue, 0x00);
  EXPECT_EQ(Pixels(l.bitmap, 3, 2),
            (std::vector<uint32_t>{0xFF8000, 0, 0xFF8000, 0, 0xFF8000, 0xFF8000}));
  EXPECT_TRUE(DeleteObject(l.bitmap));
}

TEST_F(BitmapTest, FourBitPictureReadsNibblesHighFirst) {
  BmpLayout layout;
  layout.width = 3;
  layout.height = 2;
  layout.bits = 4;
  for (uint32_t i = 0; i < 16; ++i)
    layout.palette.push_back((i * 17) << 16 | (255 - i * 17) << 8 | 0x40);
  layout.pixels = {0x0E, 0x30, 0, 0, 0x12, 0xF0, 0, 0};  // bottom 0 14 3, top 1 2 15
  Loaded l = Load("4bit.bmp", layout);
  ASSERT_NE(l.bitmap, nullptr);
  EXPECT_EQ(l.info.bmBitsPixel, 4);
  std::vector<RGBQUAD> table;
  EXPECT_EQ(ColorTable(l.bitmap, &table), 16u);
  auto c = [&](uint32_t i) { return layout.palette[i]; };
  EXPECT_EQ(Pixels(l.bitmap, 3, 2), (std::vector<uint32_t>{c(1), c(2), c(15), c(0), c(14), c(3)}));
  DeleteObject(l.bitmap);
}

TEST_F(BitmapTest, EightBitPictureReportsTheColoursItUses) {
  BmpLayout layout;
  layout.width = 3;
  layout.height = 2;
  layout.bits = 8;
  layout.colorsUsed = 4;
  layout.palette = {0x102030, 0x405060, 0x708090, 0xA0B0C0};
  layout.pixels = {3, 2, 1, 0, 0, 1, 2, 0};  // bottom 3 2 1, top 0 1 2
  Loaded l = Load("8bit.bmp", layout);
  ASSERT_NE(l.bitmap, nullptr);
  EXPECT_EQ(l.info.bmBitsPixel, 8);
  std::vector<RGBQUAD> table;
  EXPECT_EQ(ColorTable(l.bitmap, &table), 4u);
  EXPECT_EQ(table[3].rgbRed, 0xA0);
  EXPECT_EQ(Pixels(l.bitmap, 3, 2),
            (std::vector<uint32_t>{0x102030, 0x405060, 0x708090, 0xA0B0C0, 0x708090, 0x405060}));
  DeleteObject(l.bitmap);
}

TEST_F(BitmapTest, RunLengthEncodedEightBitPictureDecodes) {
  BmpLayout layout;
  layout.width = 4;
  layout.height = 3;
  layout.bits = 8;
  layout.compression = 1;
  layout.colorsUsed = 3;
  layout.palette = {0x0000FF, 0x00FF00, 0xFF0000};
  layout.pixels = {
      4, 1, 0, 0,              // bottom row: four of index 1, end of line
      0, 4, 0, 1, 2, 0, 0, 0,  // middle row: absolute 0 1 2 0, end of line
      2, 2, 2, 1, 0, 1,        // top row: two 2s, two 1s, end of picture
  };
  Loaded l = Load("rle8.bmp", layout);
  ASSERT_NE(l.bitmap, nullptr);
  EXPECT_EQ(l.info.bmBitsPixel, 8);
  const uint32_t b = 0x0000FF, g = 0x00FF00, r = 0xFF0000;
  EXPECT_EQ(Pixels(l.bitmap, 4, 3), (std::vector<uint32_t>{r, r, g, g, b, g, r, b, g, g, g, g}));
  DeleteObject(l.bitmap);
}

TEST_F(BitmapTest, SixteenBitPictureIsFiveFiveFive) {
  BmpLayout layout;
  layout.width = 2;
  layout.height = 1;
  layout.bits = 16;
  layout.pixels = {0x00, 0x7C, 0xE0, 0x03};
  Loaded l = Load("16bit.bmp", layout);
  ASSERT_NE(l.bitmap, nullptr);
  EXPECT_EQ(l.info.bmBitsPixel, 16);
  EXPECT_EQ(Pixels(l.bitmap, 2, 1), (std::vector<uint32_t>{0xFF0000, 0x00FF00}));
  DeleteObject(l.bitmap);
}

TEST_F(BitmapTest, TwentyFourBitTopDownPictureKeepsRowOrder) {
  BmpLayout layout;
  layout.width = 2;
  layout.height = -2;
  layout.bits = 24;
  layout.pixels = {0x33, 0x22, 0x11, 0x66, 0x55, 0x44, 0, 0,
                   0x99, 0x88, 0x77, 0xCC, 0xBB, 0xAA, 0, 0};
  Loaded l = Load("24bit.bmp", layout);
  ASSERT_NE(l.bitmap, nullptr);
  EXPECT_EQ(l.info.bmBitsPixel, 24);
  EXPECT_EQ(l.info.bmHeight, 2);
  EXPECT_EQ(Pixels(l.bitmap, 2, 2),
            (std::vector<uint32_t>{0x112233, 0x445566, 0x778899, 0xAABBCC}));
  DeleteObject(l.bitmap);
}

TEST_F(BitmapTest, ThirtyTwoBitPicture) {
  BmpLayout layout;
  layout.width = 2;
  layout.height = 1;
  layout.bits = 32;
  layout.pixels = {0x33, 0x22, 0x11, 0x00, 0x66, 0x55, 0x44, 0x00};
  Loaded l = Load("32bit.bmp", layout);
  ASSERT_NE(l.bitmap, nullptr);
  EXPECT_EQ(l.info.bmBitsPixel, 32);
  EXPECT_EQ(Pixels(l.bitmap, 2, 1), (std::vector<uint32_t>{0x112233, 0x445566}));
  DeleteObject(l.bitmap);
}

// A picture whose width is not a multiple of four pixels, so that file rows
// are padded, with a different colour in every pixel: each must come out
// at its own place whatever the file's depth, and the fourth byte of a
// 32-bit pixel is no colour.
TEST_F(BitmapTest, DeepPicturesKeepEveryPixelOfPaddedRows) {
  const int w = 5, h = 3;
  auto color = [](int x, int y) {
    return static_cast<uint32_t>(0x10 * (x + 1)) << 16 | static_cast<uint32_t>(0x40 * y + x) << 8 |
           static_cast<uint32_t>(0xF0 - 0x11 * (x + y));
  };
  std::vector<uint32_t> expected;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) expected.push_back(color(x, y));
  for (uint16_t bits : {uint16_t{24}, uint16_t{32}}) {
    BmpLayout layout;
    layout.width = w;
    layout.height = h;
    layout.bits = bits;
    // Bottom row first.
    for (int y = h - 1; y >= 0; --y) {
      const size_t start = layout.pixels.size();
      for (int x = 0; x < w; ++x) {
        const uint32_t c = color(x, y);
        layout.pixels.insert(
            layout.pixels.end(),
            {static_cast<uint8_t>(c), static_cast<uint8_t>(c >> 8), static_cast<uint8_t>(c >> 16)});
        if (bits == 32) layout.pixels.push_back(0xFF);
      }
      while ((layout.pixels.size() - start) % 4) layout.pixels.push_back(0xEE);
    }
    Loaded l = Load("padded.bmp", layout);
    ASSERT_NE(l.bitmap, nullptr) << bits;
    EXPECT_EQ(Pixels(l.bitmap, w, h), expected) << bits << "-bit";
    DeleteObject(l.bitmap);
  }
}

TEST_F(BitmapTest, PathsAreTranslatedFromWindowsForm) {
  BmpLayout layout;
  layout.bits = 24;
  layout.pixels = {1, 2, 3, 0};
  const std::string path = WriteTempFile("Windows.bmp", BuildBmp(layout));
  std::string windowsPath = path;
  for (char& ch : windowsPath)
    if (ch == '/') ch = '\\';
  HBITMAP bitmap = LoadBmpFile(windowsPath);
  EXPECT_NE(bitmap, nullptr);
  DeleteObject(bitmap);
}

TEST(HostileBitmap, BadHeadersAreRefusedBeforeDecoding) {
  auto refused = [](const std::string& name, const std::vector<uint8_t>& bytes) {
    return LoadBmpFile(WriteTempFile(name, bytes)) == nullptr;
  };
  BmpLayout rle;  // a tiny run-length file could claim any size
  rle.bits = 8;
  rle.compression = 1;
  rle.colorsUsed = 1;
  rle.palette = {0};
  rle.pixels = {0, 1};
  rle.width = 16384;
  rle.height = 1;
  HBITMAP largest = LoadBmpFile(WriteTempFile("rle-wide.bmp", BuildBmp(rle)));
  EXPECT_NE(largest, nullptr) << "16384 pixels wide is still accepted";
  DeleteObject(largest);
  rle.width = 16385;
  EXPECT_TRUE(refused("rle-too-wide.bmp", BuildBmp(rle)));
  rle.width = 1;
  rle.height = 1 << 30;
  EXPECT_TRUE(refused("rle-too-high.bmp", BuildBmp(rle)));
  rle.height = 0;
  EXPECT_TRUE(refused("rle-no-height.bmp", BuildBmp(rle)));
  rle.height = -1;  // run-length pictures can't be stored top-down
  EXPECT_TRUE(refused("rle-top-down.bmp", BuildBmp(rle)));

  BmpLayout plain;
  plain.bits = 24;
  plain.width = 0;
  plain.pixels = {0, 0, 0, 0};
  EXPECT_TRUE(refused("no-width.bmp", BuildBmp(plain)));
  plain.width = -4;
  EXPECT_TRUE(refused("negative-width.bmp", BuildBmp(plain)));
  plain.width = 1;
  plain.height = -2147483647 - 1;
  EXPECT_TRUE(refused("min-height.bmp", BuildBmp(plain)));
  plain.height = 1;
  plain.bits = 7;
  EXPECT_TRUE(refused("odd-depth.bmp", BuildBmp(plain)));
  plain.bits = 24;
  plain.width = 10;
  plain.height = 10;  // 320 bytes of pixels needed, 4 present
  EXPECT_TRUE(refused("short-pixels.bmp", BuildBmp(plain)));

  BmpLayout colours;
  colours.bits = 8;
  colours.colorsUsed = 300;
  colours.palette.assign(300, 0);
  colours.pixels = {0, 0, 0, 0};
  EXPECT_TRUE(refused("too-many-colours.bmp", BuildBmp(colours)));

  std::vector<uint8_t> good = BuildBmp(plain);
  EXPECT_TRUE(
      refused("truncated-header.bmp", std::vector<uint8_t>(good.begin(), good.begin() + 30)));
  EXPECT_TRUE(refused("magic-only.bmp", {'B', 'M'}));
  EXPECT_TRUE(refused("empty.bmp", {}));
  std::vector<uint8_t> notBmp = good;
  notBmp[0] = 'X';
  EXPECT_TRUE(refused("not-bmp.bmp", notBmp));
}

TEST_F(BitmapTest, RunLengthDataCutShortIsRefused) {
  BmpLayout layout;
  layout.width = 64;
  layout.height = 64;
  layout.bits = 8;
  layout.compression = 1;
  layout.colorsUsed = 2;
  layout.palette = {0x000000, 0xFFFFFF};
  layout.pixels = {64, 1, 0, 0, 64, 1};  // two rows, then the data ends
  Loaded l = Load("rle-short.bmp", layout);
  EXPECT_EQ(l.bitmap, nullptr);
  DeleteObject(l.bitmap);
}

}  // namespace
}  // namespace gdi_test
