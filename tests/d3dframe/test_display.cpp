// The display framework on the platform: windowed and full-screen objects,
// the z-buffer format search, failures and rebuilding after a teardown.
#include <gtest/gtest.h>

#include <string>

#include "d3dframe/d3dframe.h"
#include "testing.h"

namespace {

DDPIXELFORMAT ZFormat(DWORD depth, DWORD mask) {
  DDPIXELFORMAT f{};
  f.dwSize = 32;
  f.dwFlags = DDPF_ZBUFFER;
  f.dwZBufferBitDepth = depth;
  f.dwZBitMask = mask;
  return f;
}

DDSURFACEDESC2 Describe(LPDIRECTDRAWSURFACE7 surface) {
  DDSURFACEDESC2 desc{};
  desc.dwSize = 124;
  surface->GetSurfaceDesc(&desc);
  return desc;
}

class DisplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::ResetMachine();
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.lpszClassName = "Display Test";
    RegisterClassA(&windowClass);
    m_window = CreateWindowExA(0, "Display Test", "display", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480,
                               nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(m_window, nullptr);
    m_deviceGuid = IID_IDirect3DRGBDevice;
    platform::TakeDebugOutput();
  }
  void TearDown() override {
    DestroyWindow(m_window);
    platform::ResetMachine();
  }

  HWND m_window = nullptr;
  GUID m_deviceGuid;
};

TEST_F(DisplayTest, WindowedObjectsWithZBuffer) {
  CD3DDisplay display;
  ASSERT_EQ(display.Initialize(m_window, nullptr, &m_deviceGuid, nullptr, D3DFW_ZBUFFER), S_OK);
  ASSERT_NE(display.GetDirectDraw(), nullptr);
  ASSERT_NE(display.GetDirect3D(), nullptr);
  ASSERT_NE(display.GetD3DDevice(), nullptr);
  ASSERT_NE(display.GetFrontBuffer(), nullptr);
  EXPECT_EQ(display.GetBackBuffer(), display.GetRenderSurface());
  DDSURFACEDESC2 back = Describe(display.GetBackBuffer());
  EXPECT_EQ(back.dwWidth, 640u);
  EXPECT_EQ(back.dwHeight, 480u);

  D3DVIEWPORT7 viewport{};
  display.GetD3DDevice()->GetViewport(&viewport);
  EXPECT_EQ(viewport.dwWidth, 640u);
  EXPECT_EQ(viewport.dwHeight, 480u);
  EXPECT_FLOAT_EQ(viewport.dvMaxZ, 1.0f);

  DDSCAPS2 caps{};
  caps.dwCaps = DDSCAPS_ZBUFFER;
  LPDIRECTDRAWSURFACE7 zBuffer = nullptr;
  ASSERT_EQ(display.GetBackBuffer()->GetAttachedSurface(&caps, &zBuffer), S_OK);
  // The desktop is 32-bit, and a 32-bit z format is on offer.
  EXPECT_EQ(Describe(zBuffer).ddpfPixelFormat.dwZBufferBitDepth, 32u);
  zBuffer->Release();

  EXPECT_EQ(display.PresentFrame(), S_OK);
  EXPECT_EQ(display.DestroyObjects(), S_OK);
  EXPECT_EQ(display.GetD3DDevice(), nullptr);
  EXPECT_EQ(display.PresentFrame(), D3DFWERR_NOTINITIALIZED);
}

TEST_F(DisplayTest, ZBufferFallsBackTo16Bits) {
  platform::MachineDescription machine = platform::DefaultMachine();
  machine.drivers[0].zFormats = {ZFormat(16, 0xFFFF), ZFormat(24, 0xFFFFFF)};
  platform::SetMachine(machine);
  CD3DDisplay display;
  ASSERT_EQ(display.Initialize(m_window, nullptr, &m_deviceGuid, nullptr, D3DFW_ZBUFFER), S_OK);
  DDSCAPS2 caps{};
  caps.dwCaps = DDSCAPS_ZBUFFER;
  LPDIRECTDRAWSURFACE7 zBuffer = nullptr;
  ASSERT_EQ(display.GetBackBuffer()->GetAttachedSurface(&caps, &zBuffer), S_OK);
  EXPECT_EQ(Describe(zBuffer).ddpfPixelFormat.dwZBufferBitDepth, 16u);
  zBuffer->Release();

  machine.drivers[0].zFormats = {ZFormat(24, 0xFFFFFF)};
  platform::SetMachine(machine);
  CD3DDisplay without;
  EXPECT_EQ(without.Initialize(m_window, nullptr, &m_deviceGuid, nullptr, D3DFW_ZBUFFER),
            D3DFWERR_NOZBUFFER);
  EXPECT_NE(platform::TakeDebugOutput().find("Device doesn't support requested zbuffer format"),
            std::string::npos);
  EXPECT_EQ(without.GetDirectDraw(), nullptr);
}

TEST_F(DisplayTest, ArgumentsAndPaletteDesktopsAreRefused) {
  CD3DDisplay display;
  DDSURFACEDESC2 mode{};
  EXPECT_EQ(display.Initialize(nullptr, nullptr, &m_deviceGuid, nullptr, 0), E_INVALIDARG);
  EXPECT_EQ(display.Initialize(m_window, nullptr, nullptr, &mode, 0), E_INVALIDARG);
  EXPECT_EQ(display.Initialize(m_window, nullptr, &m_deviceGuid, nullptr, D3DFW_FULLSCREEN),
            E_INVALIDARG);

  platform::MachineDescription machine = platform::DefaultMachine();
  machine.drivers[0].desktopMode.ddpfPixelFormat.dwRGBBitCount = 8;
  machine.drivers[0].desktopMode.ddpfPixelFormat.dwFlags = DDPF_RGB | DDPF_PALETTEINDEXED8;
  machine.drivers[0].desktopMode.ddpfPixelFormat.dwRBitMask = 0;
  machine.drivers[0].desktopMode.ddpfPixelFormat.dwGBitMask = 0;
  machine.drivers[0].desktopMode.ddpfPixelFormat.dwBBitMask = 0;
  platform::SetMachine(machine);
  EXPECT_EQ(display.Initialize(m_window, nullptr, &m_deviceGuid, nullptr, 0), D3DFWERR_INVALIDMODE);
  EXPECT_EQ(display.GetDirectDraw(), nullptr);
}

TEST_F(DisplayTest, FullScreenChainAndRebuildAfterTeardown) {
  DDSURFACEDESC2 mode{};
  mode.dwSize = 124;
  mode.dwWidth = 640;
  mode.dwHeight = 480;
  mode.ddpfPixelFormat.dwSize = 32;
  mode.ddpfPixelFormat.dwFlags = DDPF_RGB;
  mode.ddpfPixelFormat.dwRGBBitCount = 16;
  mode.ddpfPixelFormat.dwRBitMask = 0xF800;
  mode.ddpfPixelFormat.dwGBitMask = 0x07E0;
  mode.ddpfPixelFormat.dwBBitMask = 0x001F;

  CD3DDisplay display;
  ASSERT_EQ(
      display.Initialize(m_window, nullptr, &m_deviceGuid, &mode, D3DFW_FULLSCREEN | D3DFW_ZBUFFER),
      S_OK);
  DDSURFACEDESC2 back = Describe(display.GetBackBuffer());
  EXPECT_EQ(back.ddpfPixelFormat.dwRGBBitCount, 16u);
  EXPECT_EQ(back.dwWidth, 640u);
  DDSCAPS2 caps{};
  caps.dwCaps = DDSCAPS_ZBUFFER;
  LPDIRECTDRAWSURFACE7 zBuffer = nullptr;
  ASSERT_EQ(display.GetBackBuffer()->GetAttachedSurface(&caps, &zBuffer), S_OK);
  EXPECT_EQ(Describe(zBuffer).ddpfPixelFormat.dwZBufferBitDepth, 16u);
  zBuffer->Release();
  EXPECT_EQ(display.PresentFrame(), S_OK);
  EXPECT_EQ(display.FlipToGDISurface(TRUE), S_OK);
  EXPECT_EQ(display.DestroyObjects(), S_OK);

  // A second initialisation builds a fresh, working set (windowed this time).
  ASSERT_EQ(display.Initialize(m_window, nullptr, &m_deviceGuid, nullptr, D3DFW_ZBUFFER), S_OK);
  LPDIRECT3DDEVICE7 device = display.GetD3DDevice();
  ASSERT_NE(device, nullptr);
  EXPECT_EQ(Describe(display.GetBackBuffer()).ddpfPixelFormat.dwRGBBitCount, 32u);
  EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF00FF00, 1.0f, 0),
            S_OK);
  EXPECT_EQ(display.PresentFrame(), S_OK);
  int width = 0, height = 0;
  std::vector<uint32_t> picture = platform::PresentedPixels(&width, &height);
  ASSERT_EQ(picture.size(), static_cast<size_t>(640 * 480));
  EXPECT_EQ(picture[240 * 640 + 320] & 0xFFFFFF, 0x00FF00u);
  EXPECT_EQ(display.DestroyObjects(), S_OK);
}

TEST_F(DisplayTest, ReferencesHeldElsewhereAreReported) {
  CD3DDisplay display;
  ASSERT_EQ(display.Initialize(m_window, nullptr, &m_deviceGuid, nullptr, 0), S_OK);
  LPDIRECT3DDEVICE7 device = display.GetD3DDevice();
  device->AddRef();
  EXPECT_EQ(display.DestroyObjects(), D3DFWERR_NONZEROREFCOUNT);
  EXPECT_NE(platform::TakeDebugOutput().find("Error: D3DDevice object is still referenced!"),
            std::string::npos);
  device->Release();
}

}  // namespace
