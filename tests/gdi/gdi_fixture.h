// Helpers of the GDI tests: .bmp files written byte by byte, and a
// DirectDraw object with surfaces to draw on.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "ddraw/pixelformat.h"
#include "ddraw/surface.h"
#include "ddraw7.h"
#include "testing.h"

namespace gdi_test {

struct BmpLayout {
  int32_t width = 1;
  int32_t height = 1;  // negative: rows stored top first
  uint16_t bits = 24;
  uint32_t compression = 0;       // 0 RGB, 1 RLE8
  std::vector<uint32_t> palette;  // 0x00RRGGBB
  uint32_t colorsUsed = 0;
  std::vector<uint8_t> pixels;  // the pixel data exactly as stored
};

inline void Put16(std::vector<uint8_t>* out, uint32_t v) {
  out->push_back(static_cast<uint8_t>(v));
  out->push_back(static_cast<uint8_t>(v >> 8));
}

inline void Put32(std::vector<uint8_t>* out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

// A file with a 40-byte info header, the colour table and the pixel data.
inline std::vector<uint8_t> BuildBmp(const BmpLayout& layout) {
  std::vector<uint8_t> out;
  const uint32_t offset = 14 + 40 + static_cast<uint32_t>(layout.palette.size()) * 4;
  out.push_back('B');
  out.push_back('M');
  Put32(&out, offset + static_cast<uint32_t>(layout.pixels.size()));
  Put32(&out, 0);
  Put32(&out, offset);
  Put32(&out, 40);
  Put32(&out, static_cast<uint32_t>(layout.width));
  Put32(&out, static_cast<uint32_t>(layout.height));
  Put16(&out, 1);
  Put16(&out, layout.bits);
  Put32(&out, layout.compression);
  Put32(&out, static_cast<uint32_t>(layout.pixels.size()));
  Put32(&out, 2835);
  Put32(&out, 2835);
  Put32(&out, layout.colorsUsed);
  Put32(&out, 0);
  for (uint32_t c : layout.palette) Put32(&out, c);
  out.insert(out.end(), layout.pixels.begin(), layout.pixels.end());
  return out;
}

inline std::string WriteTempFile(const std::string& name, const std::vector<uint8_t>& bytes) {
  // Named after the test too: ctest may run tests in parallel.
  const std::string path = ::testing::TempDir() + "voskar_gdi_" +
                           ::testing::UnitTest::GetInstance()->current_test_info()->name() + "_" +
                           name;
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  return path;
}

inline HBITMAP LoadBmpFile(const std::string& path) {
  return static_cast<HBITMAP>(
      LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
}

inline std::string OutputPath(const std::string& name) {
  return std::string(VOSKAR_TEST_OUTPUT_DIR) + "/" + name;
}

// A DirectDraw object in a window, with plain surfaces of any format.
class SurfaceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::ResetMachine();
    ASSERT_EQ(
        DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&dd_), IID_IDirectDraw7, nullptr),
        DD_OK);
    ASSERT_EQ(dd_->SetCooperativeLevel(nullptr, DDSCL_NORMAL), DD_OK);
  }
  void TearDown() override {
    for (IDirectDrawSurface7* s : surfaces_) s->Release();
    EXPECT_EQ(dd_->Release(), 0u);
  }

  IDirectDrawSurface7* MakeSurface(platform::PixelKind kind, int w, int h) {
    DDSURFACEDESC2 desc{};
    desc.dwSize = 124;
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    desc.dwWidth = static_cast<DWORD>(w);
    desc.dwHeight = static_cast<DWORD>(h);
    desc.ddsCaps.dwCaps = DDSCAPS_TEXTURE | DDSCAPS_SYSTEMMEMORY;
    desc.ddpfPixelFormat = platform::MakePixelFormat(kind);
    IDirectDrawSurface7* surface = nullptr;
    EXPECT_EQ(dd_->CreateSurface(&desc, &surface, nullptr), DD_OK);
    if (surface) surfaces_.push_back(surface);
    return surface;
  }

 public:
  // The pixel at (x, y) as 0xAARRGGBB.
  static uint32_t At(IDirectDrawSurface7* surface, int x, int y) {
    platform::Surface* s = platform::Surface::From(surface);
    const platform::FormatInfo& info = s->Info();
    const uint8_t* p = s->Bits() + static_cast<size_t>(y) * s->Pitch() + x * info.bytes;
    return platform::PixelToArgb(info, platform::ReadPixel(p, info.bytes), s->PaletteEntries());
  }

 protected:
  IDirectDraw7* dd_ = nullptr;
  std::vector<IDirectDrawSurface7*> surfaces_;
};

}  // namespace gdi_test
