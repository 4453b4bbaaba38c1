// GDI: .bmp files of every depth as DIB sections, BitBlt from them onto
// surfaces, the headers that must be refused, and text on surface DCs.
#include "directdraw.h"
#include "support/Folder.h"
#include "support/PictureFiles.h"

namespace {

using platform::PixelKind;

class Gdi : public DirectDrawTest {
 protected:
  void SetUp() override {
    DirectDrawTest::SetUp();
    ASSERT_TRUE(support::EnterTemporaryFolder("voskar-gdi"));
  }
  // Loads the file through a Windows path, as the game names its pictures.
  static HBITMAP Load(const std::string& name, const std::string& bytes) {
    support::WriteFile("pictures/" + name, bytes);
    return static_cast<HBITMAP>(LoadImageA(nullptr, ("pictures\\" + name).c_str(), IMAGE_BITMAP, 0,
                                           0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
  }
  // Copies w x h pixels of the bitmap with BitBlt to (x, y) of the surface.
  static void Blit(IDirectDrawSurface7* surface, HBITMAP bitmap, int x, int y, int w, int h,
                   int sx = 0) {
    HDC memory = CreateCompatibleDC(nullptr), dc = nullptr;
    HGDIOBJ previous = SelectObject(memory, bitmap);
    ASSERT_EQ(surface->GetDC(&dc), DD_OK);
    EXPECT_TRUE(BitBlt(dc, x, y, w, h, memory, sx, 0, SRCCOPY));
    EXPECT_EQ(surface->ReleaseDC(dc), DD_OK);
    SelectObject(memory, previous);
    EXPECT_TRUE(DeleteDC(memory));
  }
};

// A .bmp file of the given header values, colour table and pixel data.
std::string File(int32_t width, int32_t height, uint16_t bits, std::string pixels,
                 std::vector<uint32_t> palette = {}, uint32_t compression = 0) {
  support::BmpLayout l;
  l.width = width;
  l.height = height;
  l.bits = bits;
  l.pixels = std::move(pixels);
  l.palette = std::move(palette);
  l.colorsUsed = static_cast<uint32_t>(l.palette.size());
  l.compression = compression;
  return support::BmpFile(l);
}

TEST_F(Gdi, BitmapsOfEveryDepthLoadPixelForPixel) {
  const uint32_t r = 0xFF0000, g = 0x00FF00, b = 0x0000FF;
  std::vector<uint32_t> grey16, colours;
  for (uint32_t i = 0; i < 16; ++i) grey16.push_back((i * 17) << 16 | (255 - i * 17) << 8 | 0x40);
  // 5 x 3 different pixels, so that rows are padded.
  for (uint32_t i = 0; i < 15; ++i)
    colours.push_back(0x10 * (i + 1) << 16 | 0x0C * i << 8 | (0xF0 - i));
  // Rows bottom first, padded to 4 bytes; pixels expected top row first.
  const std::pair<std::string, std::vector<uint32_t>> cases[] = {
      // 1 bit: bottom 0 1 1, top 1 0 1.
      {File(3, 2, 1, std::string("\x60\0\0\0\xA0\0\0\0", 8), {0, 0xFF8000}),
       {0xFF8000, 0, 0xFF8000, 0, 0xFF8000, 0xFF8000}},
      // Nibbles high first: bottom 0 14 3, top 1 2 15.
      {File(3, 2, 4, std::string("\x0E\x30\0\0\x12\xF0\0\0", 8), grey16),
       {grey16[1], grey16[2], grey16[15], grey16[0], grey16[14], grey16[3]}},
      {File(3, 2, 8, std::string("\3\2\1\0\0\1\2\0", 8), {r, g, b, 0xA0B0C0}),
       {r, g, b, 0xA0B0C0, b, g}},
      // Run-length: four of 1; absolute 0 1 2 0; two 2s and two 1s.
      {File(4, 3, 8, std::string("\4\1\0\0\0\4\0\1\2\0\0\0\2\2\2\1\0\1", 18), {b, g, r}, 1),
       {r, r, g, g, b, g, r, b, g, g, g, g}},
      {File(2, 1, 16, std::string("\x00\x7C\xE0\x03", 4)), {r, g}},  // 5-5-5
      // Stored top row first.
      {File(2, -2, 24, std::string("\x33\x22\x11\x66\x55\x44\0\0\x99\x88\x77\xCC\xBB\xAA\0\0", 16)),
       {0x112233, 0x445566, 0x778899, 0xAABBCC}},
      {File(2, 1, 32, "\x33\x22\x11\xFF\x66\x55\x44\xFF"), {0x112233, 0x445566}},  // no alpha
      {support::Bmp24File(5, 3, colours), colours},
  };
  for (const auto& c : cases) {
    const int bits = c.first[28];  // from the header
    HBITMAP bitmap = Load("picture.bmp", c.first);
    ASSERT_NE(bitmap, nullptr) << bits;
    BITMAP info{};
    GetObjectA(bitmap, sizeof info, &info);
    EXPECT_EQ(info.bmBitsPixel, bits);
    IDirectDrawSurface7* surface = Make(PixelKind::X8R8G8B8, info.bmWidth, info.bmHeight);
    Blit(surface, bitmap, 0, 0, info.bmWidth, info.bmHeight);
    std::vector<uint32_t> pixels;
    for (int y = 0; y < info.bmHeight; ++y)
      for (int x = 0; x < info.bmWidth; ++x) pixels.push_back(Rgb(surface, x, y));
    EXPECT_EQ(pixels, c.second) << bits;
    EXPECT_TRUE(DeleteObject(bitmap));
  }
}

TEST_F(Gdi, BadHeadersAreRefusedBeforeDecoding) {
  auto refused = [](const std::string& file) { return Load("bad.bmp", file) == nullptr; };
  // A tiny run-length file could claim any size; 16384 pixels wide is the
  // most accepted.
  HBITMAP largest = Load("wide.bmp", File(16384, 1, 8, std::string("\0\1", 2), {0}, 1));
  EXPECT_NE(largest, nullptr);
  DeleteObject(largest);
  // Run-length pictures can't be stored top row first.
  for (auto size : {std::pair<int32_t, int32_t>{16385, 1}, {1, 1 << 30}, {1, 0}, {1, -1}})
    EXPECT_TRUE(refused(File(size.first, size.second, 8, std::string("\0\1", 2), {0}, 1)))
        << size.first << " x " << size.second;
  // Run-length data that ends after two of 64 rows.
  EXPECT_TRUE(refused(File(64, 64, 8, std::string("\x40\1\0\0\x40\1", 6), {0, ~0u}, 1)));
  for (auto size : {std::pair<int32_t, int32_t>{0, 1}, {-4, 1}, {1, -2147483647 - 1}, {10, 10}})
    EXPECT_TRUE(refused(File(size.first, size.second, 24, std::string(4, '\0'))))
        << size.first << " x " << size.second;  // 10 x 10: 320 bytes needed, 4 present
  EXPECT_TRUE(refused(File(1, 1, 7, std::string(4, '\0'))));
  EXPECT_TRUE(refused(File(1, 1, 8, std::string(4, '\0'), std::vector<uint32_t>(300))));
  const std::string good = File(1, 1, 24, std::string(4, '\0'));
  for (const std::string& bytes :
       {good.substr(0, 30), std::string("BM"), std::string(), "X" + good.substr(1)})
    EXPECT_EQ(Load("bad.bmp", bytes), nullptr) << bytes.size() << " bytes";
}

int Count(IDirectDrawSurface7* s, uint32_t rgb, int w, int h) {
  int n = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) n += DirectDrawTest::Rgb(s, x, y) == rgb;
  return n;
}

TEST_F(Gdi, TextIsDrawnInTheTextColourOverTheSurface) {
  for (PixelKind kind : {PixelKind::X8R8G8B8, PixelKind::R5G6B5}) {
    IDirectDrawSurface7* s = Make(kind, 200, 20);
    Fill(s, nullptr, kind == PixelKind::R5G6B5 ? 0x0010 : 0x000080);  // dark blue
    const uint32_t background = Rgb(s, 0, 0);
    HDC dc = nullptr;
    ASSERT_EQ(s->GetDC(&dc), DD_OK);
    SetTextColor(dc, RGB(255, 255, 0));
    EXPECT_EQ(SetBkMode(dc, TRANSPARENT), OPAQUE);
    EXPECT_TRUE(ExtTextOutA(dc, 2, 2, 0, nullptr, " 59.50 fps (640x480x16)", 23, nullptr));
    ASSERT_EQ(s->ReleaseDC(dc), DD_OK);
    EXPECT_TRUE(platform::SaveSurfacePng(s, std::string(VOSKAR_PICTURE_DIR) + "/text-" +
                                                (kind == PixelKind::R5G6B5 ? "16" : "32") +
                                                ".png"));
    // Anti-aliased strokes: covered pixels exactly yellow; the background
    // shows through elsewhere, nothing above or left of the text.
    EXPECT_GT(Count(s, 0xFFFF00, 200, 20), 30);
    const int untouched = Count(s, background, 200, 20);
    EXPECT_LT(untouched, 200 * 20 - 150);
    EXPECT_GT(untouched, 200 * 20 / 2);
    for (int x = 0; x < 200; ++x) EXPECT_EQ(Rgb(s, x, 0), background);
    for (int y = 0; y < 20; ++y) EXPECT_EQ(Rgb(s, 0, y), background);
  }
}

}  // namespace
