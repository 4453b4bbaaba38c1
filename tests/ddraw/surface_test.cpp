// Surfaces: creation of every kind the game makes, descriptions, locking,
// blits with fill, stretch, conversion and colour key, presentation, lost
// surfaces and reference counting.
#include <gtest/gtest.h>

#include <vector>

#include "ddraw/pixelformat.h"
#include "ddraw/surface.h"
#include "ddraw7.h"
#include "testing.h"

namespace {

using platform::MakePixelFormat;
using platform::PixelKind;
using platform::Surface;

HWND const kWindow = reinterpret_cast<HWND>(0x10);

class SurfaceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::ResetMachine();
    void* dd = nullptr;
    ASSERT_EQ(DirectDrawCreateEx(nullptr, &dd, IID_IDirectDraw7, nullptr), DD_OK);
    dd_ = static_cast<IDirectDraw7*>(dd);
    ASSERT_EQ(dd_->SetCooperativeLevel(kWindow, DDSCL_NORMAL), DD_OK);
  }
  void TearDown() override {
    for (IDirectDrawSurface7* s : owned_) s->Release();
    // Every surface gave its reference on the DirectDraw object back.
    EXPECT_EQ(dd_->Release(), 0u);
  }

  IDirectDrawSurface7* Make(DWORD caps, int w, int h, const DDPIXELFORMAT* format = nullptr) {
    DDSURFACEDESC2 desc{};
    desc.dwSize = 124;
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | (format ? DDSD_PIXELFORMAT : 0);
    desc.dwWidth = static_cast<DWORD>(w);
    desc.dwHeight = static_cast<DWORD>(h);
    desc.ddsCaps.dwCaps = caps;
    if (format) desc.ddpfPixelFormat = *format;
    IDirectDrawSurface7* surface = nullptr;
    EXPECT_EQ(dd_->CreateSurface(&desc, &surface, nullptr), DD_OK);
    if (surface) owned_.push_back(surface);
    return surface;
  }
  IDirectDrawSurface7* Make(PixelKind kind, int w, int h) {
    const DDPIXELFORMAT format = MakePixelFormat(kind);
    return Make(DDSCAPS_TEXTURE | DDSCAPS_SYSTEMMEMORY, w, h, &format);
  }

  static uint32_t Raw(IDirectDrawSurface7* surface, int x, int y) {
    Surface* s = Surface::From(surface);
    return platform::ReadPixel(s->Bits() + y * s->Pitch() + x * s->BytesPerPixel(),
                               s->BytesPerPixel());
  }
  static void Put(IDirectDrawSurface7* surface, int x, int y, uint32_t value) {
    Surface* s = Surface::From(surface);
    platform::WritePixel(s->Bits() + y * s->Pitch() + x * s->BytesPerPixel(), s->BytesPerPixel(),
                         value);
  }
  static HRESULT Fill(IDirectDrawSurface7* surface, RECT* rect, DWORD colour) {
    DDBLTFX fx{};
    fx.dwSize = 100;
    fx.dwFillColor = colour;
    return surface->Blt(rect, nullptr, nullptr, DDBLT_COLORFILL, &fx);
  }

  IDirectDraw7* dd_ = nullptr;
  std::vector<IDirectDrawSurface7*> owned_;
};

TEST_F(SurfaceTest, WindowedSurfacesOfTheFrame) {
  DDSURFACEDESC2 desc{};
  desc.dwSize = 124;
  desc.dwFlags = DDSD_CAPS;
  desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
  IDirectDrawSurface7* primary = nullptr;
  ASSERT_EQ(dd_->CreateSurface(&desc, &primary, nullptr), DD_OK);
  owned_.push_back(primary);
  IDirectDrawSurface7* back = Make(DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE, 640, 480);
  DDSURFACEDESC2 got{};
  got.dwSize = 124;
  ASSERT_EQ(back->GetSurfaceDesc(&got), DD_OK);
  EXPECT_EQ(got.dwSize, 124u);
  EXPECT_EQ(
      got.dwFlags & (DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT),
      static_cast<DWORD>(DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT));
  EXPECT_EQ(got.dwWidth, 640u);
  EXPECT_EQ(got.dwHeight, 480u);
  EXPECT_GE(got.lPitch, 640 * 4);
  EXPECT_EQ(platform::ClassifyPixelFormat(got.ddpfPixelFormat), PixelKind::X8R8G8B8)
      << "the display's format";
  EXPECT_TRUE(got.ddsCaps.dwCaps & DDSCAPS_3DDEVICE);

  // Flipping chains belong to exclusive full-screen mode.
  desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
  desc.dwBackBufferCount = 1;
  desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_3DDEVICE;
  IDirectDrawSurface7* chain = nullptr;
  EXPECT_EQ(dd_->CreateSurface(&desc, &chain, nullptr), DDERR_NOEXCLUSIVEMODE);
  EXPECT_EQ(chain, nullptr);
}

TEST_F(SurfaceTest, FullScreenChainHasAnAttachedBackBufferInTheMode) {
  ASSERT_EQ(
      dd_->SetCooperativeLevel(kWindow, DDSCL_ALLOWREBOOT | DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN),
      DD_OK);
  ASSERT_EQ(dd_->SetDisplayMode(640, 480, 16, 0, 0), DD_OK);
  DDSURFACEDESC2 desc{};
  desc.dwSize = 124;
  desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
  desc.dwBackBufferCount = 1;
  desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_3DDEVICE;
  IDirectDrawSurface7* primary = nullptr;
  ASSERT_EQ(dd_->CreateSurface(&desc, &primary, nullptr), DD_OK);
  DDSCAPS2 caps{};
  caps.dwCaps = DDSCAPS_BACKBUFFER;
  IDirectDrawSurface7* back = nullptr;
  ASSERT_EQ(primary->GetAttachedSurface(&caps, &back), DD_OK);
  DDSURFACEDESC2 got{};
  back->GetSurfaceDesc(&got);
  EXPECT_EQ(got.dwWidth, 640u);
  EXPECT_EQ(platform::ClassifyPixelFormat(got.ddpfPixelFormat), PixelKind::R5G6B5);
  EXPECT_TRUE(got.ddsCaps.dwCaps & DDSCAPS_3DDEVICE);
  caps.dwCaps = DDSCAPS_ZBUFFER;
  IDirectDrawSurface7* none = nullptr;
  EXPECT_EQ(primary->GetAttachedSurface(&caps, &none), DDERR_NOTFOUND);

  // Flip shows the back buffer.
  Fill(back, nullptr, 0xF800);
  const uint64_t before = platform::PresentCount();
  ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
  EXPECT_EQ(platform::PresentCount(), before + 1);
  int w = 0, h = 0;
  std::vector<uint32_t> shown = platform::PresentedPixels(&w, &h);
  ASSERT_EQ(w, 640);
  EXPECT_EQ(shown[100 * 640 + 100] & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(back->Flip(nullptr, 0), DDERR_NOTFLIPPABLE);

  // The chain holds the back buffer: releasing ours leaves it alive.
  EXPECT_EQ(back->Release(), 1u);
  EXPECT_EQ(primary->Release(), 0u);
}

TEST_F(SurfaceTest, TexturesTakeTheGivenOrTheDisplayFormat) {
  for (PixelKind kind :
       {PixelKind::R5G6B5, PixelKind::X1R5G5B5, PixelKind::A1R5G5B5, PixelKind::A4R4G4B4,
        PixelKind::R8G8B8, PixelKind::X8R8G8B8, PixelKind::A8R8G8B8, PixelKind::Pal8}) {
    IDirectDrawSurface7* t = Make(kind, 5, 3);
    ASSERT_NE(t, nullptr);
    DDSURFACEDESC2 got{};
    t->GetSurfaceDesc(&got);
    EXPECT_EQ(platform::ClassifyPixelFormat(got.ddpfPixelFormat), kind);
    EXPECT_EQ(got.lPitch % 4, 0);
    EXPECT_GE(got.lPitch, static_cast<LONG>(5 * got.ddpfPixelFormat.dwRGBBitCount / 8));
  }
  DDSURFACEDESC2 desc{};
  desc.dwSize = 124;
  desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_TEXTURESTAGE | DDSD_CKSRCBLT;
  desc.dwWidth = desc.dwHeight = 256;
  desc.dwTextureStage = 1;
  desc.ddckCKSrcBlt = DDCOLORKEY{0xFF000000, 0xFF000000};
  desc.ddsCaps.dwCaps = DDSCAPS_TEXTURE;
  IDirectDrawSurface7* text = nullptr;
  ASSERT_EQ(dd_->CreateSurface(&desc, &text, nullptr), DD_OK);
  owned_.push_back(text);
  DDSURFACEDESC2 got{};
  text->GetSurfaceDesc(&got);
  EXPECT_EQ(platform::ClassifyPixelFormat(got.ddpfPixelFormat), PixelKind::X8R8G8B8);
  EXPECT_TRUE(got.dwFlags & DDSD_TEXTURESTAGE);
  EXPECT_EQ(got.dwTextureStage, 1u);
  EXPECT_TRUE(got.dwFlags & DDSD_CKSRCBLT);
  EXPECT_EQ(got.ddckCKSrcBlt.dwColorSpaceLowValue, 0xFF000000u);
}

TEST_F(SurfaceTest, DepthBuffersAttachToRenderSurfacesOfTheirSize) {
  IDirectDrawSurface7* target = Make(DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE, 64, 32);
  for (PixelKind kind : {PixelKind::Z16, PixelKind::Z24, PixelKind::Z32}) {
    const DDPIXELFORMAT format = MakePixelFormat(kind);
    IDirectDrawSurface7* z = Make(DDSCAPS_ZBUFFER | DDSCAPS_SYSTEMMEMORY, 64, 32, &format);
    ASSERT_NE(z, nullptr);
    EXPECT_EQ(Surface::From(z)->BytesPerPixel(), kind == PixelKind::Z16 ? 2 : 4);
  }
  const DDPIXELFORMAT rgb = MakePixelFormat(PixelKind::R5G6B5);
  DDSURFACEDESC2 desc{};
  desc.dwSize = 124;
  desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
  desc.dwWidth = 64;
  desc.dwHeight = 32;
  desc.ddsCaps.dwCaps = DDSCAPS_ZBUFFER;
  desc.ddpfPixelFormat = rgb;
  IDirectDrawSurface7* bad = nullptr;
  EXPECT_NE(dd_->CreateSurface(&desc, &bad, nullptr), DD_OK) << "a z-buffer needs a z format";

  const DDPIXELFORMAT z16 = MakePixelFormat(PixelKind::Z16);
  IDirectDrawSurface7* small = Make(DDSCAPS_ZBUFFER, 32, 32, &z16);
  EXPECT_EQ(target->AddAttachedSurface(small), DDERR_CANNOTATTACHSURFACE);
  EXPECT_EQ(target->AddAttachedSurface(target), DDERR_INVALIDPARAMS);
  IDirectDrawSurface7* z = owned_[1];
  ASSERT_EQ(target->AddAttachedSurface(z), DD_OK);
  EXPECT_EQ(target->AddAttachedSurface(owned_[2]), DDERR_SURFACEALREADYATTACHED);
  EXPECT_EQ(Surface::From(target)->AttachedZBuffer(), Surface::From(z));
  DDSCAPS2 caps{};
  caps.dwCaps = DDSCAPS_ZBUFFER;
  IDirectDrawSurface7* found = nullptr;
  ASSERT_EQ(target->GetAttachedSurface(&caps, &found), DD_OK);
  EXPECT_EQ(found, z);
  // Ours, the attachment's and the one GetAttachedSurface added.
  EXPECT_EQ(found->Release(), 2u);
}

TEST_F(SurfaceTest, ImpossibleRequestsFail) {
  DDSURFACEDESC2 desc{};
  desc.dwSize = 124;
  desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
  desc.ddsCaps.dwCaps = DDSCAPS_TEXTURE;
  IDirectDrawSurface7* s = nullptr;
  for (auto size : {std::pair<DWORD, DWORD>{0, 16}, {16, 0}, {16385, 16}, {16, 0x80000000u}}) {
    desc.dwWidth = size.first;
    desc.dwHeight = size.second;
    EXPECT_EQ(dd_->CreateSurface(&desc, &s, nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(s, nullptr);
  }
  desc.dwWidth = desc.dwHeight = 16;
  desc.dwFlags |= DDSD_PIXELFORMAT;
  desc.ddpfPixelFormat = MakePixelFormat(PixelKind::X8R8G8B8);
  desc.ddpfPixelFormat.dwFlags |= DDPF_FOURCC;
  EXPECT_EQ(dd_->CreateSurface(&desc, &s, nullptr), DDERR_INVALIDPIXELFORMAT);
  EXPECT_EQ(dd_->CreateSurface(nullptr, &s, nullptr), DDERR_INVALIDPARAMS);
}

TEST_F(SurfaceTest, LockGivesThePitchAndPointsAtTheRectangle) {
  IDirectDrawSurface7* s = Make(PixelKind::R8G8B8, 7, 5);
  DDSURFACEDESC2 desc{};
  desc.dwSize = 124;
  ASSERT_EQ(s->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
  EXPECT_TRUE(desc.dwFlags & DDSD_LPSURFACE);
  EXPECT_EQ(desc.lPitch, 24) << "7 * 3 bytes rounded up to 4";
  auto* base = static_cast<uint8_t*>(desc.lpSurface);
  EXPECT_EQ(base, Surface::From(s)->Bits());
  EXPECT_EQ(s->Lock(nullptr, &desc, 0, nullptr), DDERR_SURFACEBUSY);
  HDC dc = nullptr;
  EXPECT_EQ(s->GetDC(&dc), DDERR_SURFACEBUSY);
  EXPECT_EQ(Fill(s, nullptr, 0), DDERR_SURFACEBUSY);
  ASSERT_EQ(s->Unlock(nullptr), DD_OK);
  EXPECT_EQ(s->Unlock(nullptr), DDERR_NOTLOCKED);

  RECT part{2, 3, 5, 5};
  ASSERT_EQ(s->Lock(&part, &desc, 0, nullptr), DD_OK);
  EXPECT_EQ(static_cast<uint8_t*>(desc.lpSurface), base + 3 * 24 + 2 * 3);
  s->Unlock(&part);
  RECT outside{5, 3, 8, 5};
  EXPECT_EQ(s->Lock(&outside, &desc, 0, nullptr), DDERR_INVALIDPARAMS);
  EXPECT_EQ(s->Unlock(nullptr), DDERR_NOTLOCKED) << "a failed lock locks nothing";
}

TEST_F(SurfaceTest, DcAndLockExcludeEachOther) {
  IDirectDrawSurface7* s = Make(PixelKind::X8R8G8B8, 4, 4);
  HDC dc = nullptr, second = nullptr;
  ASSERT_EQ(s->GetDC(&dc), DD_OK);
  EXPECT_NE(dc, nullptr);
  EXPECT_EQ(s->GetDC(&second), DDERR_DCALREADYCREATED);
  DDSURFACEDESC2 desc{};
  desc.dwSize = 124;
  EXPECT_EQ(s->Lock(nullptr, &desc, 0, nullptr), DDERR_SURFACEBUSY);
  EXPECT_EQ(s->ReleaseDC(reinterpret_cast<HDC>(0x1234)), DDERR_INVALIDPARAMS);
  ASSERT_EQ(s->ReleaseDC(dc), DD_OK);
  EXPECT_EQ(s->ReleaseDC(dc), DDERR_NODC);
  EXPECT_EQ(s->Lock(nullptr, &desc, 0, nullptr), DD_OK);
  s->Unlock(nullptr);
  // A DC still out when the surface goes is ended with it.
  ASSERT_EQ(s->GetDC(&dc), DD_OK);
}

TEST_F(SurfaceTest, ColourFillWritesRawPixelsClippedToTheSurface) {
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

TEST_F(SurfaceTest, StretchBltSamplesThePointUnderEachPixelCentre) {
  for (PixelKind kind : {PixelKind::R5G6B5, PixelKind::X8R8G8B8}) {
    IDirectDrawSurface7* src = Make(kind, 2, 2);
    const uint32_t a = kind == PixelKind::R5G6B5 ? 0xF800 : 0xFF0000;
    const uint32_t b = kind == PixelKind::R5G6B5 ? 0x001F : 0x0000FF;
    Put(src, 0, 0, a);
    Put(src, 1, 0, b);
    Put(src, 0, 1, b);
    Put(src, 1, 1, a);
    IDirectDrawSurface7* big = Make(kind, 4, 4);
    ASSERT_EQ(big->Blt(nullptr, src, nullptr, DDBLT_WAIT, nullptr), DD_OK);
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 4; ++x) EXPECT_EQ(Raw(big, x, y), ((x < 2) == (y < 2)) ? a : b) << x << y;
    IDirectDrawSurface7* small = Make(kind, 1, 1);
    RECT corner{2, 2, 4, 4};
    ASSERT_EQ(small->Blt(nullptr, big, &corner, 0, nullptr), DD_OK);
    EXPECT_EQ(Raw(small, 0, 0), a);
    // A destination hanging over the edge is clipped, keeping the scale.
    IDirectDrawSurface7* edge = Make(kind, 3, 3);
    RECT over{1, 1, 5, 5};
    ASSERT_EQ(edge->Blt(&over, src, nullptr, 0, nullptr), DD_OK);
    EXPECT_EQ(Raw(edge, 1, 1), a);
    EXPECT_EQ(Raw(edge, 2, 2), a);
    EXPECT_EQ(Raw(edge, 0, 0), 0u);
    // Rectangles at the ends of the coordinate range: the surface shows the
    // middle of the stretched source.
    RECT extreme{-2147483647, -2147483647, 2147483647, 2147483647};
    ASSERT_EQ(edge->Blt(&extreme, src, nullptr, 0, nullptr), DD_OK);
    EXPECT_EQ(Raw(edge, 0, 0), a);
  }
}

TEST_F(SurfaceTest, BltConvertsBetweenFormats) {
  IDirectDrawSurface7* src = Make(PixelKind::X8R8G8B8, 2, 1);
  Put(src, 0, 0, 0x00FF8000);
  Put(src, 1, 0, 0x00FFFFFF);
  IDirectDrawSurface7* dest = Make(PixelKind::R5G6B5, 2, 1);
  ASSERT_EQ(dest->Blt(nullptr, src, nullptr, DDBLT_WAIT, nullptr), DD_OK);
  EXPECT_EQ(Raw(dest, 0, 0), 0xFC00u);
  EXPECT_EQ(Raw(dest, 1, 0), 0xFFFFu);
  IDirectDrawSurface7* back = Make(PixelKind::A8R8G8B8, 2, 1);
  ASSERT_EQ(back->Blt(nullptr, dest, nullptr, 0, nullptr), DD_OK);
  EXPECT_EQ(Raw(back, 0, 0), 0xFFFF8200u) << "widened by repeating bits; opaque";
}

TEST_F(SurfaceTest, BltFastCopiesGlyphsAcrossFormatsAndHonoursTheSourceKey) {
  // A 32-bit sheet with white background and one black pixel per cell.
  IDirectDrawSurface7* sheet = Make(PixelKind::X8R8G8B8, 4, 2);
  Fill(sheet, nullptr, 0xFFFFFFFF);
  Put(sheet, 1, 1, 0x00000000);
  Put(sheet, 3, 0, 0x00FF0000);
  DDCOLORKEY key{0xFFFFFFFF, 0xFFFFFFFF};
  ASSERT_EQ(sheet->SetColorKey(DDCKEY_SRCBLT, &key), DD_OK);

  IDirectDrawSurface7* text = Make(PixelKind::R5G6B5, 6, 4);
  Fill(text, nullptr, 0x1234);
  RECT cell{0, 0, 2, 2};
  ASSERT_EQ(text->BltFast(1, 1, sheet, &cell, DDBLTFAST_NOCOLORKEY), DD_OK);
  EXPECT_EQ(Raw(text, 1, 1), 0xFFFFu);
  EXPECT_EQ(Raw(text, 2, 2), 0x0000u);
  EXPECT_EQ(Raw(text, 0, 0), 0x1234u);
  EXPECT_EQ(Raw(text, 3, 3), 0x1234u);

  RECT other{2, 0, 4, 2};
  ASSERT_EQ(text->BltFast(4, 0, sheet, &other, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT), DD_OK);
  EXPECT_EQ(Raw(text, 4, 0), 0x1234u) << "white (the key) left out";
  EXPECT_EQ(Raw(text, 5, 0), 0xF800u);

  // The key ignores the unused X bits of the source.
  Put(sheet, 0, 0, 0x00FFFFFF);
  IDirectDrawSurface7* copy = Make(PixelKind::X8R8G8B8, 1, 1);
  Fill(copy, nullptr, 0x00000042);
  RECT first{0, 0, 1, 1};
  ASSERT_EQ(copy->BltFast(0, 0, sheet, &first, DDBLTFAST_SRCCOLORKEY), DD_OK);
  EXPECT_EQ(Raw(copy, 0, 0), 0x42u);

  RECT tooBig{0, 0, 5, 2};
  EXPECT_EQ(text->BltFast(0, 0, sheet, &tooBig, 0), DDERR_INVALIDRECT);
  RECT empty{0, 0, 0, 0};
  EXPECT_EQ(text->BltFast(0, 0, sheet, &empty, 0), DD_OK);
  EXPECT_EQ(text->BltFast(5, 3, sheet, nullptr, 0), DD_OK) << "clipped at the edge";
  EXPECT_EQ(Raw(text, 5, 3), 0xFFFFu);
}

TEST_F(SurfaceTest, ColourKeyIsASingleValue) {
  IDirectDrawSurface7* s = Make(PixelKind::R5G6B5, 2, 2);
  DDCOLORKEY range{0, 5};
  EXPECT_EQ(s->SetColorKey(DDCKEY_SRCBLT, &range), DDERR_UNSUPPORTED);
  EXPECT_FALSE(Surface::From(s)->HasSourceColorKey());
  DDCOLORKEY key{0xFF000000, 0xFF000000};
  const uint64_t generation = Surface::From(s)->Generation();
  ASSERT_EQ(s->SetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
  EXPECT_TRUE(Surface::From(s)->HasSourceColorKey());
  EXPECT_EQ(Surface::From(s)->SourceColorKey(), 0xFF000000u);
  EXPECT_GT(Surface::From(s)->Generation(), generation);
  // Setting the same key again (labels do it every frame) is not a change.
  const uint64_t keyed = Surface::From(s)->Generation();
  ASSERT_EQ(s->SetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
  EXPECT_EQ(Surface::From(s)->Generation(), keyed);
  ASSERT_EQ(s->SetColorKey(DDCKEY_SRCBLT, nullptr), DD_OK);
  EXPECT_FALSE(Surface::From(s)->HasSourceColorKey());
  EXPECT_GT(Surface::From(s)->Generation(), keyed);
}

TEST_F(SurfaceTest, BlitToThePrimaryShowsTheSourceInTheClippersWindow) {
  DDSURFACEDESC2 desc{};
  desc.dwSize = 124;
  desc.dwFlags = DDSD_CAPS;
  desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
  IDirectDrawSurface7* primary = nullptr;
  ASSERT_EQ(dd_->CreateSurface(&desc, &primary, nullptr), DD_OK);
  owned_.push_back(primary);
  IDirectDrawClipper* clipper = nullptr;
  ASSERT_EQ(dd_->CreateClipper(0, &clipper, nullptr), DD_OK);
  clipper->SetHWnd(0, kWindow);
  ASSERT_EQ(primary->SetClipper(clipper), DD_OK);
  EXPECT_EQ(clipper->Release(), 1u) << "the primary holds the clipper";
  EXPECT_EQ(Surface::From(primary)->PresentWindow(), kWindow);

  IDirectDrawSurface7* back = Make(PixelKind::R5G6B5, 640, 480);
  Fill(back, nullptr, 0x001F);
  RECT right{320, 0, 640, 480};
  Fill(back, &right, 0x07E0);
  const uint64_t before = platform::PresentCount();
  RECT screen{100, 50, 740, 530};
  ASSERT_EQ(primary->Blt(&screen, back, nullptr, DDBLT_WAIT, nullptr), DD_OK);
  EXPECT_EQ(platform::PresentCount(), before + 1);
  int w = 0, h = 0;
  std::vector<uint32_t> shown = platform::PresentedPixels(&w, &h);
  ASSERT_EQ(w, 640);
  ASSERT_EQ(h, 480);
  EXPECT_EQ(shown[10 * 640 + 10] & 0xFFFFFF, 0x0000FFu);
  EXPECT_EQ(shown[470 * 640 + 630] & 0xFFFFFF, 0x00FF00u);
}

TEST_F(SurfaceTest, LostSurfacesRefuseWorkUntilRestored) {
  IDirectDrawSurface7* a = Make(PixelKind::X8R8G8B8, 4, 4);
  IDirectDrawSurface7* b = Make(PixelKind::X8R8G8B8, 4, 4);
  EXPECT_EQ(a->IsLost(), DD_OK);
  platform::LoseAllSurfaces();
  EXPECT_EQ(a->IsLost(), DDERR_SURFACELOST);
  EXPECT_EQ(b->IsLost(), DDERR_SURFACELOST);
  DDSURFACEDESC2 desc{};
  desc.dwSize = 124;
  EXPECT_EQ(a->Lock(nullptr, &desc, 0, nullptr), DDERR_SURFACELOST);
  EXPECT_EQ(Fill(a, nullptr, 0), DDERR_SURFACELOST);
  HDC dc = nullptr;
  EXPECT_EQ(a->GetDC(&dc), DDERR_SURFACELOST);
  ASSERT_EQ(a->Restore(), DD_OK);
  EXPECT_EQ(a->IsLost(), DD_OK);
  EXPECT_EQ(a->Blt(nullptr, b, nullptr, 0, nullptr), DDERR_SURFACELOST) << "the source is lost";
  ASSERT_EQ(dd_->RestoreAllSurfaces(), DD_OK);
  EXPECT_EQ(b->IsLost(), DD_OK);
  EXPECT_EQ(a->Blt(nullptr, b, nullptr, 0, nullptr), DD_OK);

  // A change of display mode loses the surfaces made for the old one.
  ASSERT_EQ(dd_->SetCooperativeLevel(kWindow, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), DD_OK);
  ASSERT_EQ(dd_->SetDisplayMode(640, 480, 16, 0, 0), DD_OK);
  EXPECT_EQ(a->IsLost(), DDERR_SURFACELOST);
  dd_->RestoreAllSurfaces();
  ASSERT_EQ(dd_->SetDisplayMode(640, 480, 16, 0, 0), DD_OK);
  EXPECT_EQ(a->IsLost(), DD_OK) << "the same mode again changes nothing";
}

TEST_F(SurfaceTest, SurfacesHoldTheirDirectDrawObjectAndAttachments) {
  IDirectDrawSurface7* target = Make(DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE, 8, 8);
  const DDPIXELFORMAT z16 = MakePixelFormat(PixelKind::Z16);
  IDirectDrawSurface7* z = Make(DDSCAPS_ZBUFFER, 8, 8, &z16);
  ASSERT_EQ(target->AddAttachedSurface(z), DD_OK);
  owned_.clear();
  EXPECT_EQ(z->Release(), 1u) << "the render surface keeps the z-buffer";
  // Ours plus one per surface alive (the render surface; the z-buffer).
  EXPECT_EQ(dd_->AddRef(), 4u);
  dd_->Release();

  void* owner = nullptr;
  ASSERT_EQ(target->GetDDInterface(&owner), DD_OK);
  EXPECT_EQ(owner, static_cast<void*>(dd_));
  EXPECT_EQ(static_cast<IDirectDraw7*>(owner)->Release(), 3u);

  EXPECT_EQ(target->AddRef(), 2u);
  EXPECT_EQ(target->Release(), 1u);
  EXPECT_EQ(target->Release(), 0u);
  // Both surfaces are gone: only our reference is left.
  EXPECT_EQ(dd_->AddRef(), 2u);
  dd_->Release();
}

TEST_F(SurfaceTest, OverlappingBlitWithinOneSurfaceReadsTheOriginal) {
  IDirectDrawSurface7* s = Make(PixelKind::X8R8G8B8, 4, 1);
  for (int x = 0; x < 4; ++x) Put(s, x, 0, static_cast<uint32_t>(x + 1));
  RECT from{0, 0, 3, 1}, to{1, 0, 4, 1};
  ASSERT_EQ(s->Blt(&to, s, &from, 0, nullptr), DD_OK);
  EXPECT_EQ(Raw(s, 0, 0), 1u);
  EXPECT_EQ(Raw(s, 1, 0), 1u);
  EXPECT_EQ(Raw(s, 2, 0), 2u);
  EXPECT_EQ(Raw(s, 3, 0), 3u);
}

}  // namespace
