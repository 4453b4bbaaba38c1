// Device enumeration and the default choice, on machines described through
// the platform's test seam.
#include <gtest/gtest.h>

#include <string>

#include "d3dframe/d3denum.h"
#include "testing.h"

namespace {

using platform::MachineDescription;
using platform::MachineDevice;
using platform::MachineDriver;

MachineDevice HardwareDevice(const GUID& guid, const std::string& name) {
  MachineDevice device;
  device.description = name + " device";
  device.name = name;
  device.desc = platform::SoftwareDeviceDesc();
  device.desc.dwDevCaps |= D3DDEVCAPS_HWRASTERIZATION;
  device.desc.deviceGUID = guid;
  return device;
}

MachineDevice SoftwareDevice(const GUID& guid, const std::string& name) {
  MachineDevice device;
  device.description = name + " device";
  device.name = name;
  device.desc = platform::SoftwareDeviceDesc();
  device.desc.dwDevCaps &= ~static_cast<DWORD>(D3DDEVCAPS_HWRASTERIZATION);
  device.desc.deviceGUID = guid;
  return device;
}

DDSURFACEDESC2 Mode(DWORD width, DWORD height, DWORD bits) {
  DDSURFACEDESC2 mode{};
  mode.dwSize = 124;
  mode.dwFlags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
  mode.dwWidth = width;
  mode.dwHeight = height;
  mode.ddpfPixelFormat.dwSize = 32;
  mode.ddpfPixelFormat.dwFlags = DDPF_RGB;
  mode.ddpfPixelFormat.dwRGBBitCount = bits;
  return mode;
}

class EnumTest : public ::testing::Test {
 protected:
  void SetUp() override { platform::TakeDebugOutput(); }
  void TearDown() override {
    D3DEnum_ReleaseLists();
    platform::ResetMachine();
  }
  std::vector<D3DEnum_Device*> Devices() {
    D3DEnum_Device* table = nullptr;
    DWORD count = 0;
    D3DEnum_GetDevices(&table, &count);
    std::vector<D3DEnum_Device*> devices;
    for (DWORD i = 0; i < count; ++i) devices.push_back(&table[i]);
    return devices;
  }
};

HRESULT RejectAll(DDCAPS*, D3DDEVICEDESC7*) {
  return E_FAIL;
}

TEST_F(EnumTest, DefaultMachineOffersTheSoftwareDeviceInAWindow) {
  platform::ResetMachine();
  ASSERT_EQ(D3DEnum_ListDevices(nullptr), S_OK);
  std::vector<D3DEnum_Device*> devices = Devices();
  ASSERT_EQ(devices.size(), 1u);
  D3DEnum_Device* device = devices[0];
  EXPECT_FALSE(device->hardware);
  EXPECT_TRUE(device->desktopCompatible);
  EXPECT_EQ(device->driverGuidPtr, nullptr);
  EXPECT_EQ(device->deviceGuidPtr, &device->deviceGuid);
  EXPECT_EQ(device->fullscreenMode.dwWidth, 640u);
  EXPECT_EQ(device->fullscreenMode.ddpfPixelFormat.dwRGBBitCount, 16u);
  EXPECT_EQ(device->driverCaps.dwSize, 380u);
  // Modes come sorted by width, height and depth.
  for (DWORD i = 1; i < device->modeCount; ++i) {
    const DDSURFACEDESC2& a = device->modes[i - 1];
    const DDSURFACEDESC2& b = device->modes[i];
    EXPECT_LE(a.dwWidth * 100000 + a.dwHeight * 64 + a.ddpfPixelFormat.dwRGBBitCount,
              b.dwWidth * 100000 + b.dwHeight * 64 + b.ddpfPixelFormat.dwRGBBitCount);
  }
  D3DEnum_Device* chosen = nullptr;
  ASSERT_EQ(D3DEnum_PickDefaultDevice(&chosen, 0), S_OK);
  EXPECT_EQ(chosen, device);
  EXPECT_TRUE(chosen->windowed);
  EXPECT_EQ(D3DEnum_PickDefaultDevice(nullptr, 0), E_INVALIDARG);
}

TEST_F(EnumTest, ModesAreKeptByTheDeviceRenderDepths) {
  MachineDescription machine = platform::DefaultMachine();
  MachineDriver& driver = machine.drivers[0];
  driver.offerSoftwareDevice = false;
  driver.modes = {Mode(800, 600, 24), Mode(640, 480, 32), Mode(320, 200, 8), Mode(640, 480, 16),
                  Mode(640, 480, 24)};
  MachineDevice both = HardwareDevice(IID_IDirect3DHALDevice, "Sixteen and thirty-two");
  both.desc.dwDeviceRenderBitDepth = DDBD_16 | DDBD_32;
  MachineDevice deep = HardwareDevice(IID_IDirect3DTnLHalDevice, "Deep only");
  deep.desc.dwDeviceRenderBitDepth = DDBD_24 | DDBD_32;
  driver.devices = {both, deep};
  platform::SetMachine(machine);

  ASSERT_EQ(D3DEnum_ListDevices(nullptr), S_OK);
  std::vector<D3DEnum_Device*> devices = Devices();
  ASSERT_EQ(devices.size(), 2u);
  ASSERT_EQ(devices[0]->modeCount, 2u);
  EXPECT_EQ(devices[0]->modes[0].ddpfPixelFormat.dwRGBBitCount, 16u);
  EXPECT_EQ(devices[0]->modes[1].ddpfPixelFormat.dwRGBBitCount, 32u);
  EXPECT_EQ(devices[0]->currentMode, 0u);
  EXPECT_EQ(devices[0]->fullscreenMode.dwWidth, 640u);
  EXPECT_STREQ(devices[0]->description, "Sixteen and thirty-two");

  // No 640 x 480 x 16: the full-screen mode stays zeroed.
  ASSERT_EQ(devices[1]->modeCount, 3u);
  EXPECT_EQ(devices[1]->fullscreenMode.dwWidth, 0u);
  EXPECT_EQ(devices[1]->currentMode, 0u);
}

TEST_F(EnumTest, ChoicePrefersTnLHardwareThenHardwareThenSoftwareThenReference) {
  MachineDescription machine = platform::DefaultMachine();
  MachineDriver& driver = machine.drivers[0];
  driver.offerSoftwareDevice = false;
  driver.devices = {SoftwareDevice(IID_IDirect3DRefDevice, "Reference"),
                    HardwareDevice(IID_IDirect3DHALDevice, "Hardware"),
                    SoftwareDevice(IID_IDirect3DRGBDevice, "Software"),
                    HardwareDevice(IID_IDirect3DTnLHalDevice, "TnL hardware")};
  platform::SetMachine(machine);
  ASSERT_EQ(D3DEnum_ListDevices(nullptr), S_OK);
  D3DEnum_Device* chosen = nullptr;
  ASSERT_EQ(D3DEnum_PickDefaultDevice(&chosen, 0), S_OK);
  EXPECT_STREQ(chosen->description, "TnL hardware");
  ASSERT_EQ(D3DEnum_PickDefaultDevice(&chosen, 1), S_OK);
  EXPECT_STREQ(chosen->description, "Software");

  driver.devices = {HardwareDevice(IID_IDirect3DHALDevice, "Hardware"),
                    SoftwareDevice(IID_IDirect3DRefDevice, "Reference")};
  platform::SetMachine(machine);
  ASSERT_EQ(D3DEnum_ListDevices(nullptr), S_OK);
  ASSERT_EQ(D3DEnum_PickDefaultDevice(&chosen, 0), S_OK);
  EXPECT_STREQ(chosen->description, "Hardware");
  // Software only: the reference rasteriser, as no other software device exists.
  ASSERT_EQ(D3DEnum_PickDefaultDevice(&chosen, 1), S_OK);
  EXPECT_STREQ(chosen->description, "Reference");
  EXPECT_TRUE(chosen->windowed);
}

TEST_F(EnumTest, SecondaryDriversKeepOnlyHardwareDevices) {
  MachineDescription machine;
  MachineDriver second = platform::DefaultMachine().drivers[0];
  second.primary = false;
  second.guid.Data1 = 0x5EC0;
  second.description = "A secondary display driver with a long description";
  second.devices = {SoftwareDevice(IID_IDirect3DRefDevice, "Reference")};
  machine.drivers = {second};
  platform::SetMachine(machine);
  EXPECT_EQ(D3DEnum_ListDevices(nullptr), D3DENUMERR_SUGGESTREFRAST);
  std::string debug = platform::TakeDebugOutput();
  EXPECT_NE(debug.find("No enumerated devices were accepted!"), std::string::npos);
  EXPECT_NE(debug.find("Try enabling the D3D Reference Rasterizer."), std::string::npos);

  machine.drivers[0].devices.push_back(HardwareDevice(IID_IDirect3DHALDevice, "Card"));
  platform::SetMachine(machine);
  ASSERT_EQ(D3DEnum_ListDevices(nullptr), S_OK);
  std::vector<D3DEnum_Device*> devices = Devices();
  ASSERT_EQ(devices.size(), 1u);
  // Devices of other drivers carry the driver's description and GUID.
  EXPECT_EQ(std::string(devices[0]->description), second.description.substr(0, 38));
  ASSERT_NE(devices[0]->driverGuidPtr, nullptr);
  EXPECT_EQ(devices[0]->driverGuidPtr->Data1, 0x5EC0u);
  // Not desktop-compatible: nothing to choose for a window.
  D3DEnum_Device* chosen = nullptr;
  EXPECT_EQ(D3DEnum_PickDefaultDevice(&chosen, 0), D3DENUMERR_NOCOMPATIBLEDEVICES);
}

TEST_F(EnumTest, DeviceTestAndEmptyMachines) {
  platform::ResetMachine();
  EXPECT_EQ(D3DEnum_ListDevices(RejectAll), D3DENUMERR_SUGGESTREFRAST);
  EXPECT_TRUE(Devices().empty());

  MachineDescription machine = platform::DefaultMachine();
  machine.drivers[0].offerSoftwareDevice = false;
  machine.drivers[0].devices.clear();
  platform::SetMachine(machine);
  platform::TakeDebugOutput();
  EXPECT_EQ(D3DEnum_ListDevices(nullptr), D3DENUMERR_ENUMERATIONFAILED);
  EXPECT_NE(platform::TakeDebugOutput().find("No devices and/or modes were enumerated!"),
            std::string::npos);
}

TEST_F(EnumTest, DevicesBeyondTheTableAreDropped) {
  MachineDescription machine = platform::DefaultMachine();
  machine.drivers[0].offerSoftwareDevice = false;
  for (int i = 0; i < 25; ++i) {
    MachineDevice device = HardwareDevice(IID_IDirect3DHALDevice, "Card " + std::to_string(i));
    device.desc.deviceGUID.Data1 = 0xC000 + i;
    machine.drivers[0].devices.push_back(device);
  }
  platform::SetMachine(machine);
  ASSERT_EQ(D3DEnum_ListDevices(nullptr), S_OK);
  std::vector<D3DEnum_Device*> devices = Devices();
  ASSERT_EQ(devices.size(), static_cast<size_t>(kMaxEnumDevices));
  EXPECT_STREQ(devices.back()->description, "Card 19");
  // Listing again starts from an empty table.
  ASSERT_EQ(D3DEnum_ListDevices(nullptr), S_OK);
  EXPECT_EQ(Devices().size(), static_cast<size_t>(kMaxEnumDevices));
}

TEST_F(EnumTest, NoDeviceDialogMeansNoChange) {
  platform::ResetMachine();
  ASSERT_EQ(D3DEnum_ListDevices(nullptr), S_OK);
  D3DEnum_Device* chosen = nullptr;
  ASSERT_EQ(D3DEnum_PickDefaultDevice(&chosen, 0), S_OK);
  D3DEnum_Device* before = chosen;
  EXPECT_EQ(D3DEnum_AskUserForDevice(&chosen), E_FAIL);
  EXPECT_EQ(chosen, before);
}

}  // namespace
