// DirectDraw surfaces: Lock and GetDC, colour fill, stretching, colour keys,
// overlapping blits, lost surfaces, and surfaces parked beyond the memory
// budget.
#include "directdraw.h"

#include "ddraw/directdraw.h"
#include "ddraw/surface.h"

namespace {

using platform::PixelKind;
using Surfaces = DirectDrawTest;

TEST_F(Surfaces, LockAndDcExcludeEachOther) {
  IDirectDrawSurface7* s = Make(PixelKind::R8G8B8, 7, 5);
  DDSURFACEDESC2 desc{};
  desc.dwSize = sizeof desc;
  ASSERT_EQ(s->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
  EXPECT_EQ(desc.lPitch, 24) << "7 * 3 bytes rounded up to 4";
  HDC dc = nullptr, second = nullptr;
  EXPECT_EQ(s->Lock(nullptr, &desc, 0, nullptr), DDERR_SURFACEBUSY);
  EXPECT_EQ(s->GetDC(&dc), DDERR_SURFACEBUSY);
  EXPECT_EQ(Fill(s, nullptr, 0), DDERR_SURFACEBUSY);
  ASSERT_EQ(s->Unlock(nullptr), DD_OK);
  EXPECT_EQ(s->Unlock(nullptr), DDERR_NOTLOCKED);
  // GetDC locks the surface until ReleaseDC.
  ASSERT_EQ(s->GetDC(&dc), DD_OK);
  EXPECT_EQ(s->GetDC(&second), DDERR_DCALREADYCREATED);
  EXPECT_EQ(s->Lock(nullptr, &desc, 0, nullptr), DDERR_SURFACEBUSY);
  EXPECT_EQ(s->ReleaseDC(reinterpret_cast<HDC>(0x1234)), DDERR_INVALIDPARAMS);
  ASSERT_EQ(s->ReleaseDC(dc), DD_OK);
  EXPECT_EQ(s->ReleaseDC(dc), DDERR_NODC);
  ASSERT_EQ(s->GetDC(&dc), DD_OK);  // still out when the surface goes: ended with it
}

TEST_F(Surfaces, ColourFillWritesRawPixelsClippedToTheSurface) {
  IDirectDrawSurface7* s16 = Make(PixelKind::R5G6B5, 8, 8);
  IDirectDrawSurface7* s32 = Make(PixelKind::X8R8G8B8, 8, 8);
  ASSERT_EQ(Fill(s16, nullptr, 0xFFFFFFFF), DD_OK);
  EXPECT_EQ(Raw(s16, 7, 7), 0xFFFFu) << "low 16 bits in a 16-bit surface";
  ASSERT_EQ(Fill(s32, nullptr, 0x00123456), DD_OK);
  RECT part{-3, 6, 2, 20};
  ASSERT_EQ(Fill(s16, &part, 0x07E0), DD_OK);
  ASSERT_EQ(Fill(s32, &part, 0x00ABCDEF), DD_OK);
  for (IDirectDrawSurface7* s : {s16, s32}) {
    const uint32_t inside = s == s16 ? 0x07E0u : 0x00ABCDEFu;
    const uint32_t outside = s == s16 ? 0xFFFFu : 0x00123456u;
    EXPECT_EQ(Raw(s, 0, 6), inside);
    EXPECT_EQ(Raw(s, 1, 7), inside);
    EXPECT_EQ(Raw(s, 2, 7), outside);
    EXPECT_EQ(Raw(s, 0, 5), outside);
  }
  RECT inverted{4, 4, 2, 2};
  EXPECT_EQ(Fill(s32, &inverted, 0), DDERR_INVALIDRECT);
  EXPECT_EQ(s32->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, nullptr), DDERR_INVALIDPARAMS);
}

TEST_F(Surfaces, StretchingSamplesThePixelUnderEachPixelCentre) {
  for (PixelKind kind : {PixelKind::R5G6B5, PixelKind::X8R8G8B8}) {
    const uint32_t a = kind == PixelKind::R5G6B5 ? 0xF800 : 0xFF0000;
    const uint32_t b = kind == PixelKind::R5G6B5 ? 0x001F : 0x0000FF;
    IDirectDrawSurface7* src = Make(kind, 2, 2);
    for (int i = 0; i < 4; ++i) Put(src, i % 2, i / 2, i % 3 ? b : a);
    IDirectDrawSurface7* big = Make(kind, 4, 4);
    ASSERT_EQ(big->Blt(nullptr, src, nullptr, DDBLT_WAIT, nullptr), DD_OK);
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 4; ++x) EXPECT_EQ(Raw(big, x, y), (x < 2) == (y < 2) ? a : b) << x << y;
    // A destination over the edge is clipped, keeping the scale; rectangles
    // at the ends of the coordinate range show the middle of the source.
    IDirectDrawSurface7* edge = Make(kind, 3, 3);
    RECT over{1, 1, 5, 5}, extreme{-2147483647, -2147483647, 2147483647, 2147483647};
    ASSERT_EQ(edge->Blt(&over, src, nullptr, 0, nullptr), DD_OK);
    EXPECT_EQ(Raw(edge, 1, 1), a);
    EXPECT_EQ(Raw(edge, 2, 2), a);
    EXPECT_EQ(Raw(edge, 0, 0), 0u);
    ASSERT_EQ(edge->Blt(&extreme, src, nullptr, 0, nullptr), DD_OK);
    EXPECT_EQ(Raw(edge, 0, 0), a);
  }
  // Shrinking takes the centre of each block: rows 1 and 3 of four, columns
  // 1 and 3.
  IDirectDrawSurface7* ramp = Make(PixelKind::X8R8G8B8, 4, 4);
  for (int i = 0; i < 16; ++i) Put(ramp, i % 4, i / 4, i);
  IDirectDrawSurface7* half = Make(PixelKind::X8R8G8B8, 2, 2);
  ASSERT_EQ(half->Blt(nullptr, ramp, nullptr, 0, nullptr), DD_OK);
  EXPECT_EQ(Raw(half, 0, 0), 5u);
  EXPECT_EQ(Raw(half, 1, 1), 15u);
}

// The glyph copy of the game: cells of a 32-bit sheet into a 16-bit surface,
// with the sheet's white as the source key.
TEST_F(Surfaces, BltFastCopiesAcrossFormatsAndHonoursTheSourceKey) {
  IDirectDrawSurface7* sheet = Make(PixelKind::X8R8G8B8, 4, 2);
  Fill(sheet, nullptr, 0xFFFFFFFF);
  Put(sheet, 1, 1, 0x00000000);
  Put(sheet, 3, 0, 0x00FF0000);
  DDCOLORKEY range{0, 5}, key{0xFFFFFFFF, 0xFFFFFFFF};
  EXPECT_EQ(sheet->SetColorKey(DDCKEY_SRCBLT, &range), DDERR_UNSUPPORTED);
  ASSERT_EQ(sheet->SetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
  IDirectDrawSurface7* text = Make(PixelKind::R5G6B5, 6, 4);
  Fill(text, nullptr, 0x1234);
  RECT cell{0, 0, 2, 2}, other{2, 0, 4, 2}, first{0, 0, 1, 1}, tooBig{0, 0, 5, 2};
  ASSERT_EQ(text->BltFast(1, 1, sheet, &cell, DDBLTFAST_NOCOLORKEY), DD_OK);
  EXPECT_EQ(Raw(text, 1, 1), 0xFFFFu);
  EXPECT_EQ(Raw(text, 2, 2), 0x0000u);
  EXPECT_EQ(Raw(text, 0, 0), 0x1234u);
  EXPECT_EQ(Raw(text, 3, 3), 0x1234u);
  ASSERT_EQ(text->BltFast(4, 0, sheet, &other, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT), DD_OK);
  EXPECT_EQ(Raw(text, 4, 0), 0x1234u) << "white (the key) left out";
  EXPECT_EQ(Raw(text, 5, 0), 0xF800u);
  // The key ignores the unused X bits of the source.
  Put(sheet, 0, 0, 0x00FFFFFF);
  IDirectDrawSurface7* copy = Make(PixelKind::X8R8G8B8, 1, 1);
  Fill(copy, nullptr, 0x42);
  ASSERT_EQ(copy->BltFast(0, 0, sheet, &first, DDBLTFAST_SRCCOLORKEY), DD_OK);
  EXPECT_EQ(Raw(copy, 0, 0), 0x42u);
  EXPECT_EQ(text->BltFast(0, 0, sheet, &tooBig, 0), DDERR_INVALIDRECT);
  EXPECT_EQ(text->BltFast(5, 3, sheet, nullptr, 0), DD_OK) << "clipped at the edge";
  EXPECT_EQ(Raw(text, 5, 3), 0xFFFFu);
  // Without a key, the same blit copies the white too.
  ASSERT_EQ(sheet->SetColorKey(DDCKEY_SRCBLT, nullptr), DD_OK);
  ASSERT_EQ(text->BltFast(4, 0, sheet, &other, DDBLTFAST_SRCCOLORKEY), DD_OK);
  EXPECT_EQ(Raw(text, 4, 0), 0xFFFFu);
}

// Within one surface the source is read as it was before the blit, across
// a row and down a column.
TEST_F(Surfaces, OverlappingBlitsReadTheOriginal) {
  IDirectDrawSurface7* s = Make(PixelKind::X8R8G8B8, 4, 4);
  for (int i = 0; i < 16; ++i) Put(s, i % 4, i / 4, i);
  RECT right{1, 0, 4, 1}, row{0, 0, 3, 1}, down{0, 1, 1, 4}, column{0, 0, 1, 3};
  ASSERT_EQ(s->Blt(&right, s, &row, 0, nullptr), DD_OK);
  ASSERT_EQ(s->Blt(&down, s, &column, 0, nullptr), DD_OK);
  const uint32_t expected[][4] = {{0, 0, 1, 2}, {0, 5, 6, 7}, {4, 9, 10, 11}, {8, 13, 14, 15}};
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(Raw(s, x, y), expected[y][x]) << x << "," << y;
}

TEST_F(Surfaces, LostSurfacesRefuseWorkUntilRestored) {
  IDirectDrawSurface7* a = Make(PixelKind::X8R8G8B8, 4, 4);
  IDirectDrawSurface7* b = Make(PixelKind::X8R8G8B8, 4, 4);
  platform::LoseAllSurfaces();
  EXPECT_EQ(b->IsLost(), DDERR_SURFACELOST);
  DDSURFACEDESC2 desc{};
  desc.dwSize = sizeof desc;
  HDC dc = nullptr;
  EXPECT_EQ(a->Lock(nullptr, &desc, 0, nullptr), DDERR_SURFACELOST);
  EXPECT_EQ(Fill(a, nullptr, 0), DDERR_SURFACELOST);
  EXPECT_EQ(a->GetDC(&dc), DDERR_SURFACELOST);
  ASSERT_EQ(a->Restore(), DD_OK);
  EXPECT_EQ(a->IsLost(), DD_OK);
  EXPECT_EQ(a->Blt(nullptr, b, nullptr, 0, nullptr), DDERR_SURFACELOST) << "the source is lost";
  ASSERT_EQ(dd_->RestoreAllSurfaces(), DD_OK);
  EXPECT_EQ(a->Blt(nullptr, b, nullptr, 0, nullptr), DD_OK);
  // A change of display mode loses the surfaces made for the old one; the
  // same mode again changes nothing.
  ASSERT_EQ(
      dd_->SetCooperativeLevel(reinterpret_cast<HWND>(0x10), DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN),
      DD_OK);
  ASSERT_EQ(dd_->SetDisplayMode(640, 480, 16, 0, 0), DD_OK);
  EXPECT_EQ(a->IsLost(), DDERR_SURFACELOST);
  dd_->RestoreAllSurfaces();
  ASSERT_EQ(dd_->SetDisplayMode(640, 480, 16, 0, 0), DD_OK);
  EXPECT_EQ(a->IsLost(), DD_OK);
}

// Writes, or with `check` compares, 256 x 256 pixels: a word on white
// (seed 0) or noise.
bool Pixels(platform::Surface* surface, uint32_t seed, bool check) {
  uint8_t* bits = surface->Bits();
  for (uint32_t y = 0; y < 256; ++y) {
    for (uint32_t x = 0; x < 256; ++x) {
      const uint32_t value =
          seed ? x * 2654435761u ^ (y + seed) * 40503u : (y / 64 == 2 && x % 32 < 9 ? x : ~0u);
      auto* pixel = reinterpret_cast<uint32_t*>(bits + y * surface->Pitch()) + x;
      if (check && *pixel != value) return false;
      *pixel = value;
    }
  }
  return true;
}

TEST_F(Surfaces, UnusedSurfacesBeyondTheBudgetAreParkedAndComeBackIntact) {
  auto surface = [this](DWORD caps) {
    return platform::Surface::From(Make(PixelKind::X8R8G8B8, 256, 256, caps));
  };
  platform::Surface* word = surface(DDSCAPS_TEXTURE);
  platform::Surface* noise = surface(DDSCAPS_TEXTURE);
  platform::Surface* target = surface(DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE);
  platform::Surface* untouched = surface(DDSCAPS_TEXTURE);
  Pixels(word, 0, false);
  Pixels(noise, 7, false);
  Pixels(target, 0, false);
  platform::DirectDraw* owner = platform::DirectDraw::From(dd_);
  owner->Present(nullptr, *target, RECT{0, 0, 256, 256});  // the next frame
  owner->ManageMemory(0);
  EXPECT_TRUE(word->Parked());
  EXPECT_EQ(word->BytesInUse(), 0u);
  EXPECT_FALSE(noise->Parked());      // it would not shrink
  EXPECT_FALSE(target->Parked());     // the device draws into it
  EXPECT_FALSE(untouched->Parked());  // it holds no memory
  EXPECT_TRUE(Pixels(word, 0, true));
  EXPECT_FALSE(word->Parked());
  EXPECT_TRUE(Pixels(noise, 7, true));
}

}  // namespace
