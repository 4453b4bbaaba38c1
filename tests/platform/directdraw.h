// A DirectDraw object of the default machine with surfaces of any format,
// all released at the end; pixels are read and written through Lock, which
// also completes any drawing queued for the surface.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "ddraw/pixelformat.h"
#include "testing.h"

class DirectDrawTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::ResetMachine();
    ASSERT_EQ(
        DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&dd_), IID_IDirectDraw7, nullptr),
        DD_OK);
    ASSERT_EQ(dd_->SetCooperativeLevel(nullptr, DDSCL_NORMAL), DD_OK);
  }
  void TearDown() override {
    for (IDirectDrawSurface7* s : owned_) s->Release();
    EXPECT_EQ(dd_->Release(), 0u);  // every surface gave its reference back
    platform::ResetMachine();
  }

  IDirectDrawSurface7* Make(platform::PixelKind kind, int w, int h,
                            DWORD caps = DDSCAPS_TEXTURE | DDSCAPS_SYSTEMMEMORY) {
    DDSURFACEDESC2 desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    desc.dwWidth = static_cast<DWORD>(w);
    desc.dwHeight = static_cast<DWORD>(h);
    desc.ddsCaps.dwCaps = caps;
    desc.ddpfPixelFormat = platform::MakePixelFormat(kind);
    IDirectDrawSurface7* surface = nullptr;
    EXPECT_EQ(dd_->CreateSurface(&desc, &surface, nullptr), DD_OK);
    if (surface) owned_.push_back(surface);
    return surface;
  }

  IDirectDraw7* dd_ = nullptr;
  std::vector<IDirectDrawSurface7*> owned_;

 public:
  static uint32_t Raw(IDirectDrawSurface7* s, int x, int y) { return Pixel(s, x, y, false, 0); }
  static void Put(IDirectDrawSurface7* s, int x, int y, uint32_t v) { Pixel(s, x, y, true, v); }
  // The pixel as 0x00RRGGBB.
  static uint32_t Rgb(IDirectDrawSurface7* s, int x, int y) {
    DDSURFACEDESC2 desc{};
    desc.dwSize = sizeof desc;
    s->GetSurfaceDesc(&desc);
    return platform::PixelToArgb(platform::DescribeFormat(desc.ddpfPixelFormat), Raw(s, x, y)) &
           0xFFFFFF;
  }
  static HRESULT Fill(IDirectDrawSurface7* s, RECT* rect, DWORD raw) {
    DDBLTFX fx{};
    fx.dwSize = sizeof fx;
    fx.dwFillColor = raw;
    return s->Blt(rect, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
  }

 private:
  static uint32_t Pixel(IDirectDrawSurface7* s, int x, int y, bool write, uint32_t v) {
    DDSURFACEDESC2 d{};
    d.dwSize = sizeof d;
    EXPECT_EQ(s->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DD_OK);
    if (!d.lpSurface) return 0xDEADBEEF;
    const int bytes = static_cast<int>(d.ddpfPixelFormat.dwRGBBitCount / 8);
    uint8_t* p = static_cast<uint8_t*>(d.lpSurface) + y * d.lPitch + x * bytes;
    if (write) platform::WritePixel(p, bytes, v);
    v = platform::ReadPixel(p, bytes);
    s->Unlock(nullptr);
    return v;
  }
};
