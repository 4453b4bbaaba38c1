// Memory DCs and BitBlt from a DIB section onto surfaces of several formats,
// and text drawn with ExtTextOutA.
#include <filesystem>

#include "gdi_fixture.h"

namespace gdi_test {
namespace {

using platform::PixelKind;

class DcTest : public SurfaceTest {
 protected:
  void SetUp() override {
    SurfaceTest::SetUp();
    // 4 x 2, 24 bits: red, green, blue, white over grey ramps.
    BmpLayout layout;
    layout.width = 4;
    layout.height = -2;
    layout.bits = 24;
    layout.pixels = {0x00, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0x00, 0xFF, 0xFF, 0xFF,
                     0x10, 0x10, 0x10, 0x80, 0x80, 0x80, 0xF8, 0xF8, 0xF8, 0x00, 0x00, 0x00};
    bitmap_ = LoadBmpFile(WriteTempFile("dc.bmp", BuildBmp(layout)));
    ASSERT_NE(bitmap_, nullptr);
    memory_ = CreateCompatibleDC(nullptr);
    ASSERT_NE(memory_, nullptr);
    previous_ = SelectObject(memory_, bitmap_);
    ASSERT_NE(previous_, nullptr);
  }
  void TearDown() override {
    SelectObject(memory_, previous_);
    EXPECT_TRUE(DeleteDC(memory_));
    EXPECT_TRUE(DeleteObject(bitmap_));
    SurfaceTest::TearDown();
  }

  void Blit(IDirectDrawSurface7* surface, int x, int y, int w, int h, int sx, int sy) {
    HDC dc = nullptr;
    ASSERT_EQ(surface->GetDC(&dc), DD_OK);
    EXPECT_TRUE(BitBlt(dc, x, y, w, h, memory_, sx, sy, SRCCOPY));
    ASSERT_EQ(surface->ReleaseDC(dc), DD_OK);
  }

  HBITMAP bitmap_ = nullptr;
  HDC memory_ = nullptr;
  HGDIOBJ previous_ = nullptr;
};

TEST_F(DcTest, BlitIntoThirtyTwoBitsCopiesColoursWithAlphaLeftClear) {
  IDirectDrawSurface7* surface = MakeSurface(PixelKind::A8R8G8B8, 4, 2);
  Blit(surface, 0, 0, 4, 2, 0, 0);
  EXPECT_EQ(At(surface, 0, 0), 0x00FF0000u);
  EXPECT_EQ(At(surface, 1, 0), 0x0000FF00u);
  EXPECT_EQ(At(surface, 2, 0), 0x000000FFu);
  EXPECT_EQ(At(surface, 3, 0), 0x00FFFFFFu);
  EXPECT_EQ(At(surface, 1, 1), 0x00808080u);
}

TEST_F(DcTest, BlitIntoSixteenBitsConvertsToFiveSixFive) {
  IDirectDrawSurface7* surface = MakeSurface(PixelKind::R5G6B5, 4, 2);
  Blit(surface, 0, 0, 4, 2, 0, 0);
  platform::Surface* s = platform::Surface::From(surface);
  auto raw = [&](int x, int y) {
    return platform::ReadPixel(s->Bits() + y * s->Pitch() + x * 2, 2);
  };
  EXPECT_EQ(raw(0, 0), 0xF800u);
  EXPECT_EQ(raw(1, 0), 0x07E0u);
  EXPECT_EQ(raw(2, 0), 0x001Fu);
  EXPECT_EQ(raw(3, 0), 0xFFFFu);
  EXPECT_EQ(raw(0, 1), (0x10u >> 3 << 11) | (0x10u >> 2 << 5) | (0x10u >> 3));
  EXPECT_EQ(raw(2, 1), (0xF8u >> 3 << 11) | (0xF8u >> 2 << 5) | (0xF8u >> 3));
}

TEST_F(DcTest, BlitIsClippedToBothPictures) {
  IDirectDrawSurface7* surface = MakeSurface(PixelKind::X8R8G8B8, 3, 3);
  DDBLTFX fx{};
  fx.dwSize = 100;
  fx.dwFillColor = 0x123456;
  ASSERT_EQ(surface->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &fx), DD_OK);
  // Starts left of the surface and reads past the bitmap's right edge.
  Blit(surface, -1, 1, 8, 8, 1, 0);
  EXPECT_EQ(At(surface, 0, 1) & 0xFFFFFF, 0x0000FFu);  // bitmap (2, 0)
  EXPECT_EQ(At(surface, 1, 1) & 0xFFFFFF, 0xFFFFFFu);  // bitmap (3, 0)
  EXPECT_EQ(At(surface, 2, 1) & 0xFFFFFF, 0x123456u);  // past the bitmap
  EXPECT_EQ(At(surface, 0, 2) & 0xFFFFFF, 0xF8F8F8u);  // bitmap (2, 1)
  EXPECT_EQ(At(surface, 0, 0) & 0xFFFFFF, 0x123456u);
  Blit(surface, 2147483647, 2147483647, 8, 8, -2147483647, 0);  // far away: nothing
  EXPECT_EQ(At(surface, 2, 2) & 0xFFFFFF, 0x123456u);
}

TEST_F(DcTest, PalettisedBitmapGoesIntoPalettisedSurfaceAsIndices) {
  BmpLayout layout;
  layout.width = 2;
  layout.height = 1;
  layout.bits = 8;
  layout.colorsUsed = 3;
  layout.palette = {0x000000, 0x00FF00, 0xFF0000};
  layout.pixels = {2, 1, 0, 0};
  HBITMAP eight = LoadBmpFile(WriteTempFile("pal.bmp", BuildBmp(layout)));
  ASSERT_NE(eight, nullptr);
  HDC memory = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(memory, eight);
  RGBQUAD table[256];
  ASSERT_EQ(GetDIBColorTable(memory, 1, 256, table), 2u);
  EXPECT_EQ(table[0].rgbGreen, 0xFF);
  EXPECT_EQ(table[1].rgbRed, 0xFF);
  EXPECT_EQ(GetDIBColorTable(memory, 3, 256, table), 0u);

  PALETTEENTRY entries[256] = {};
  IDirectDrawPalette* palette = nullptr;
  ASSERT_EQ(dd_->CreatePalette(DDPCAPS_8BIT | DDPCAPS_ALLOW256, entries, &palette, nullptr), DD_OK);
  IDirectDrawSurface7* surface = MakeSurface(PixelKind::Pal8, 2, 1);
  ASSERT_EQ(surface->SetPalette(palette), DD_OK);
  palette->Release();
  HDC dc = nullptr;
  ASSERT_EQ(surface->GetDC(&dc), DD_OK);
  EXPECT_TRUE(BitBlt(dc, 0, 0, 2, 1, memory, 0, 0, SRCCOPY));
  surface->ReleaseDC(dc);
  EXPECT_EQ(platform::Surface::From(surface)->Bits()[0], 2);
  EXPECT_EQ(platform::Surface::From(surface)->Bits()[1], 1);
  SelectObject(memory, old);
  DeleteDC(memory);
  DeleteObject(eight);
}

TEST_F(DcTest, ABitmapLivesInOneDcAndIsNotDeletedWhileSelected) {
  HDC other = CreateCompatibleDC(nullptr);
  EXPECT_EQ(SelectObject(other, bitmap_), nullptr);
  EXPECT_FALSE(DeleteObject(bitmap_));
  IDirectDrawSurface7* surface = MakeSurface(PixelKind::X8R8G8B8, 4, 2);
  HDC dc = nullptr;
  ASSERT_EQ(surface->GetDC(&dc), DD_OK);
  EXPECT_FALSE(BitBlt(dc, 0, 0, 4, 2, other, 0, 0, SRCCOPY)) << "nothing selected to copy";
  EXPECT_FALSE(BitBlt(dc, 0, 0, 4, 2, memory_, 0, 0, 0x00EE0086)) << "only SRCCOPY";
  EXPECT_FALSE(DeleteDC(dc)) << "surface DCs end with ReleaseDC";
  surface->ReleaseDC(dc);
  EXPECT_TRUE(DeleteDC(other));
  EXPECT_FALSE(DeleteDC(other)) << "a deleted DC is no longer a DC";
  EXPECT_EQ(SetTextColor(other, 0), CLR_INVALID);
  EXPECT_EQ(GetObjectA(other, sizeof(BITMAP), nullptr), 0);
}

// Counts pixels of exactly the colour, and pixels that differ from it and
// from the background.
int Count(IDirectDrawSurface7* surface, uint32_t colour, int w, int h) {
  int n = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) n += (SurfaceTest::At(surface, x, y) & 0xFFFFFF) == colour;
  return n;
}

TEST_F(DcTest, TextIsDrawnInTheTextColourOverTheSurface) {
  std::filesystem::create_directories(VOSKAR_TEST_OUTPUT_DIR);
  for (PixelKind kind : {PixelKind::X8R8G8B8, PixelKind::R5G6B5}) {
    IDirectDrawSurface7* surface = MakeSurface(kind, 200, 20);
    DDBLTFX fx{};
    fx.dwSize = 100;
    fx.dwFillColor = kind == PixelKind::R5G6B5 ? 0x0010 : 0x000080;  // dark blue
    ASSERT_EQ(surface->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &fx), DD_OK);
    const uint32_t background = At(surface, 0, 0) & 0xFFFFFF;
    HDC dc = nullptr;
    ASSERT_EQ(surface->GetDC(&dc), DD_OK);
    SetTextColor(dc, RGB(255, 255, 0));
    EXPECT_EQ(SetBkMode(dc, TRANSPARENT), OPAQUE);
    const char text[] = " 59.50 fps (640x480x16)";
    EXPECT_TRUE(ExtTextOutA(dc, 2, 2, 0, nullptr, text, sizeof(text) - 1, nullptr));
    // The DC holds the surface: it can't be locked meanwhile.
    DDSURFACEDESC2 desc{};
    desc.dwSize = 124;
    EXPECT_EQ(surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DDERR_SURFACEBUSY);
    ASSERT_EQ(surface->ReleaseDC(dc), DD_OK);
    // Anti-aliased strokes: fully covered pixels are exactly yellow, edges
    // lie between yellow and the background.
    EXPECT_GT(Count(surface, 0xFFFF00, 200, 20), 30);
    const int untouched = Count(surface, background, 200, 20);
    EXPECT_LT(untouched, 200 * 20 - 150) << "the text covers its pixels";
    EXPECT_GT(untouched, 200 * 20 / 2) << "transparent background";
    // Nothing is written above the text's top or left of its start.
    for (int x = 0; x < 200; ++x) EXPECT_EQ(At(surface, x, 0) & 0xFFFFFF, background);
    for (int y = 0; y < 20; ++y) EXPECT_EQ(At(surface, 0, y) & 0xFFFFFF, background);
    EXPECT_TRUE(platform::SaveSurfacePng(
        surface, OutputPath(kind == PixelKind::R5G6B5 ? "text-r5g6b5.png" : "text-x8r8g8b8.png")));
  }
}

TEST_F(DcTest, OpaqueTextFillsItsCellAndStopsAtNul) {
  IDirectDrawSurface7* surface = MakeSurface(PixelKind::X8R8G8B8, 100, 20);
  HDC dc = nullptr;
  ASSERT_EQ(surface->GetDC(&dc), DD_OK);
  SetTextColor(dc, RGB(0, 0, 0));
  EXPECT_TRUE(ExtTextOutA(dc, 2147483647, 2147483647, 0, nullptr, "far", 3, nullptr));
  EXPECT_EQ(Count(surface, 0, 100, 20), 100 * 20) << "text far off the surface draws nothing";
  EXPECT_TRUE(ExtTextOutA(dc, 0, 0, 0, nullptr, "Hi\0there", 8, nullptr));
  surface->ReleaseDC(dc);
  const int white = Count(surface, 0xFFFFFF, 100, 20);
  EXPECT_GT(white, 20) << "background of the text cell";
  EXPECT_LT(white, 25 * 20) << "only two letters were drawn";
}

}  // namespace
}  // namespace gdi_test
