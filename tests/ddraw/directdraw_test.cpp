// The DirectDraw object: drivers and modes of the machine description,
// cooperative level, display mode, caps and interfaces.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ddraw/directdraw.h"
#include "ddraw/pixelformat.h"
#include "ddraw7.h"
#include "testing.h"

namespace {

using platform::MakePixelFormat;
using platform::PixelKind;

struct FoundDriver {
  bool nullGuid;
  GUID guid;
  std::string description;
  std::string name;
};

BOOL WINAPI CollectDriver(GUID* guid, LPSTR description, LPSTR name, LPVOID context, HMONITOR) {
  static_cast<std::vector<FoundDriver>*>(context)->push_back(
      {guid == nullptr, guid ? *guid : GUID{}, description, name});
  return DDENUMRET_OK;
}

HRESULT WINAPI CollectMode(LPDDSURFACEDESC2 desc, LPVOID context) {
  static_cast<std::vector<DDSURFACEDESC2>*>(context)->push_back(*desc);
  return DDENUMRET_OK;
}

IDirectDraw7* Create(GUID* guid = nullptr) {
  void* dd = nullptr;
  EXPECT_EQ(DirectDrawCreateEx(guid, &dd, IID_IDirectDraw7, nullptr), DD_OK);
  return static_cast<IDirectDraw7*>(dd);
}

class DirectDrawTest : public ::testing::Test {
 protected:
  void SetUp() override { platform::ResetMachine(); }
  void TearDown() override { platform::ResetMachine(); }
};

TEST_F(DirectDrawTest, DefaultMachineHasOnePrimaryDriverThatRendersWindowed) {
  std::vector<FoundDriver> drivers;
  ASSERT_EQ(DirectDrawEnumerateExA(CollectDriver, &drivers, 7), DD_OK);
  ASSERT_EQ(drivers.size(), 1u);
  EXPECT_TRUE(drivers[0].nullGuid);
  EXPECT_EQ(drivers[0].description, "Primary Display Driver");
  EXPECT_EQ(drivers[0].name, "display");

  IDirectDraw7* dd = Create();
  DDCAPS driverCaps{}, helCaps{};
  driverCaps.dwSize = helCaps.dwSize = 380;
  ASSERT_EQ(dd->GetCaps(&driverCaps, &helCaps), DD_OK);
  EXPECT_TRUE(driverCaps.dwCaps2 & DDCAPS2_CANRENDERWINDOWED);
  EXPECT_EQ(driverCaps.dwSize, 380u) << "the caller's size stays";

  std::vector<DDSURFACEDESC2> modes;
  ASSERT_EQ(dd->EnumDisplayModes(0, nullptr, &modes, CollectMode), DD_OK);
  ASSERT_GE(modes.size(), 2u);
  bool has16 = false, has32 = false;
  for (const DDSURFACEDESC2& m : modes) {
    if (m.dwWidth == 640 && m.dwHeight == 480) {
      const PixelKind kind = platform::ClassifyPixelFormat(m.ddpfPixelFormat);
      has16 |= kind == PixelKind::R5G6B5;
      has32 |= kind == PixelKind::X8R8G8B8;
    }
    EXPECT_TRUE(m.ddpfPixelFormat.dwRGBBitCount == 16 || m.ddpfPixelFormat.dwRGBBitCount == 32);
  }
  EXPECT_TRUE(has16);
  EXPECT_TRUE(has32);

  DDSURFACEDESC2 mode{};
  mode.dwSize = 124;
  ASSERT_EQ(dd->GetDisplayMode(&mode), DD_OK);
  EXPECT_EQ(platform::ClassifyPixelFormat(mode.ddpfPixelFormat), PixelKind::X8R8G8B8);
  EXPECT_EQ(dd->TestCooperativeLevel(), DD_OK);
  EXPECT_EQ(dd->Release(), 0u);
}

TEST_F(DirectDrawTest, InjectedMachineChoosesDriversByGuid) {
  platform::MachineDescription machine = platform::DefaultMachine();
  platform::MachineDriver second;
  second.primary = false;
  second.guid = GUID{0x12345678, 0x1, 0x2, {1, 2, 3, 4, 5, 6, 7, 8}};
  second.description = "Second Card";
  second.name = "card2";
  second.caps.dwCaps2 = 0;
  second.modes.push_back(platform::MakeModeDesc(800, 600, MakePixelFormat(PixelKind::R5G6B5)));
  second.desktopMode = platform::MakeModeDesc(800, 600, MakePixelFormat(PixelKind::R5G6B5));
  machine.drivers.push_back(second);
  platform::SetMachine(machine);

  std::vector<FoundDriver> drivers;
  ASSERT_EQ(DirectDrawEnumerateExA(CollectDriver, &drivers, 0), DD_OK);
  EXPECT_EQ(drivers.size(), 1u) << "secondary drivers only with the secondary flags";
  drivers.clear();
  ASSERT_EQ(DirectDrawEnumerateExA(CollectDriver, &drivers, DDENUM_ATTACHEDSECONDARYDEVICES),
            DD_OK);
  ASSERT_EQ(drivers.size(), 2u);
  EXPECT_FALSE(drivers[1].nullGuid);
  EXPECT_EQ(drivers[1].description, "Second Card");

  IDirectDraw7* dd = Create(&drivers[1].guid);
  ASSERT_NE(dd, nullptr);
  EXPECT_EQ(platform::DirectDraw::From(dd)->Driver().name, "card2");
  DDCAPS caps{};
  caps.dwSize = 380;
  dd->GetCaps(&caps, nullptr);
  EXPECT_FALSE(caps.dwCaps2 & DDCAPS2_CANRENDERWINDOWED);
  std::vector<DDSURFACEDESC2> modes;
  dd->EnumDisplayModes(0, nullptr, &modes, CollectMode);
  ASSERT_EQ(modes.size(), 1u);
  EXPECT_EQ(modes[0].dwWidth, 800u);
  DDSURFACEDESC2 desktop{};
  dd->GetDisplayMode(&desktop);
  EXPECT_EQ(desktop.ddpfPixelFormat.dwRGBBitCount, 16u);
  dd->Release();

  GUID unknown{0xDEAD, 0, 0, {}};
  void* none = reinterpret_cast<void*>(1);
  EXPECT_NE(DirectDrawCreateEx(&unknown, &none, IID_IDirectDraw7, nullptr), DD_OK);
  EXPECT_EQ(none, nullptr);
  EXPECT_NE(DirectDrawCreateEx(nullptr, &none, IID_IDirect3D7, nullptr), DD_OK);
}

TEST_F(DirectDrawTest, EnumerationStopsWhenTheCallbackCancels) {
  platform::MachineDescription machine = platform::DefaultMachine();
  machine.drivers.push_back(machine.drivers[0]);
  machine.drivers[1].primary = false;
  platform::SetMachine(machine);
  int calls = 0;
  auto cancel = [](GUID*, LPSTR, LPSTR, LPVOID context, HMONITOR) -> BOOL {
    ++*static_cast<int*>(context);
    return DDENUMRET_CANCEL;
  };
  DirectDrawEnumerateExA(cancel, &calls, 7);
  EXPECT_EQ(calls, 1);
}

TEST_F(DirectDrawTest, FullScreenModeIsRecordedAndDroppedWithTheNormalLevel) {
  IDirectDraw7* dd = Create();
  HWND window = reinterpret_cast<HWND>(0x1);
  EXPECT_EQ(dd->SetDisplayMode(640, 480, 16, 0, 0), DDERR_NOEXCLUSIVEMODE);
  EXPECT_EQ(dd->SetCooperativeLevel(window, DDSCL_FULLSCREEN), DDERR_INVALIDPARAMS);
  EXPECT_EQ(dd->SetCooperativeLevel(nullptr, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN),
            DDERR_INVALIDPARAMS);
  ASSERT_EQ(dd->SetCooperativeLevel(
                window, DDSCL_ALLOWREBOOT | DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN | DDSCL_FPUSETUP),
            DD_OK);
  EXPECT_EQ(dd->SetDisplayMode(1024, 1000, 16, 0, 0), DDERR_INVALIDPARAMS) << "not a listed mode";
  ASSERT_EQ(dd->SetDisplayMode(640, 480, 16, 0, 0), DD_OK);
  DDSURFACEDESC2 mode{};
  mode.dwSize = 124;
  dd->GetDisplayMode(&mode);
  EXPECT_EQ(mode.dwWidth, 640u);
  EXPECT_EQ(platform::ClassifyPixelFormat(mode.ddpfPixelFormat), PixelKind::R5G6B5);
  ASSERT_EQ(dd->SetCooperativeLevel(window, DDSCL_NORMAL), DD_OK);
  dd->GetDisplayMode(&mode);
  EXPECT_EQ(mode.ddpfPixelFormat.dwRGBBitCount, 32u);
  dd->Release();
}

TEST_F(DirectDrawTest, QueryInterfaceCountsReferences) {
  IDirectDraw7* dd = Create();
  void* same = nullptr;
  ASSERT_EQ(dd->QueryInterface(IID_IDirectDraw7, &same), S_OK);
  EXPECT_EQ(same, dd);
  EXPECT_EQ(dd->Release(), 1u);
  void* other = reinterpret_cast<void*>(1);
  EXPECT_EQ(dd->QueryInterface(IID_IDirect3DHALDevice, &other), E_NOINTERFACE);
  EXPECT_EQ(other, nullptr);
  void* d3d = nullptr;
  if (dd->QueryInterface(IID_IDirect3D7, &d3d) == S_OK) {
    // The Direct3D object keeps the DirectDraw object alive.
    EXPECT_EQ(dd->AddRef(), 3u);
    dd->Release();
    static_cast<IUnknown*>(d3d)->Release();
  }
  EXPECT_EQ(dd->Release(), 0u);
}

}  // namespace
