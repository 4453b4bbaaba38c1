// The application frame on the headless platform with the manual clock and
// the display it builds, and the choice of device on machines described
// through the platform's test seam.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "d3dframe/d3dapp.h"
#include "testing.h"

namespace {

class TestApp : public CD3DApplication {
 public:
  TestApp() { m_useZBuffer = m_showStats = TRUE; }
  HRESULT OneTimeSceneInit() override { return ++oneTimeInits, S_OK; }
  HRESULT InitDeviceObjects() override { return ++inits, initResult; }
  HRESULT DeleteDeviceObjects() override { return ++deletes, S_OK; }
  HRESULT FrameMove(FLOAT t) override { return times.push_back(t), S_OK; }
  HRESULT LastCleanup() override { return ++cleanups, S_OK; }

  using CD3DApplication::m_active;
  using CD3DApplication::m_confirmDevice;
  using CD3DApplication::m_deviceInfo;
  using CD3DApplication::m_ready;
  using CD3DApplication::m_renderTarget;
  using CD3DApplication::m_renderTargetDesc;
  using CD3DApplication::m_window;
  using CD3DApplication::RenderFrame;

  HRESULT initResult = S_OK;
  int oneTimeInits = 0, inits = 0, deletes = 0, cleanups = 0;
  std::vector<float> times;
};

class Frame : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::ResetMachine();
    platform::UseManualClock(true);
    platform::SetClock(10000);
    platform::TakeMessageBoxes();
  }
  void TearDown() override {
    if (app_.m_window) SendMessageA(app_.m_window, WM_CLOSE, 0, 0);
    platform::UseManualClock(false);
    platform::ResetMachine();
  }
  void Create() {
    ASSERT_EQ(app_.Create(nullptr, ""), S_OK);
    ASSERT_TRUE(app_.m_ready);
    ASSERT_TRUE(app_.m_active);  // the window's first WM_SIZE
  }
  LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return SendMessageA(app_.m_window, message, wParam, lParam);
  }
  // The depth of the z-buffer attached to the render target (0: none).
  DWORD ZDepth() {
    DDSCAPS2 caps{};
    caps.dwCaps = DDSCAPS_ZBUFFER;
    LPDIRECTDRAWSURFACE7 z = nullptr;
    if (FAILED(app_.m_renderTarget->GetAttachedSurface(&caps, &z))) return 0;
    DDSURFACEDESC2 desc{};
    desc.dwSize = sizeof desc;
    z->GetSurfaceDesc(&desc);
    z->Release();
    return desc.ddpfPixelFormat.dwZBufferBitDepth;
  }
  // Renders one frame; the time FrameMove saw.
  float Render() {
    EXPECT_EQ(app_.RenderFrame(), S_OK);
    return app_.times.empty() ? -1.0f : app_.times.back();
  }

  TestApp app_;
};

TEST_F(Frame, TheClockCountsOnlyTimeNotPausedOrSpentMovingTheWindow) {
  Create();
  const uint64_t presented = platform::PresentCount();
  platform::AdvanceClock(1000);
  EXPECT_FLOAT_EQ(Render(), 1.0f);
  EXPECT_EQ(platform::PresentCount(), presented + 1);
  // Moving the window, and pauses however nested, are discounted once.
  Send(WM_ENTERSIZEMOVE);
  platform::AdvanceClock(2000);
  Send(WM_EXITSIZEMOVE);
  app_.Pause(TRUE);
  app_.Pause(TRUE);
  platform::AdvanceClock(400);
  app_.Pause(FALSE);
  EXPECT_FALSE(app_.m_ready);
  platform::AdvanceClock(400);
  app_.Pause(FALSE);
  EXPECT_TRUE(app_.m_ready);
  platform::AdvanceClock(100);
  EXPECT_FLOAT_EQ(Render(), 1.1f);
  // Menus pause too.
  Send(WM_ENTERMENULOOP);
  EXPECT_FALSE(app_.m_ready);
  Send(WM_EXITMENULOOP);
  EXPECT_TRUE(app_.m_ready);
}

TEST_F(Frame, TheStatisticsLineChangesOncePerSecond) {
  Create();
  ASSERT_EQ(Send(WM_COMMAND, IDM_TOGGLEFULLSCREEN), 0);  // 640 x 480 x 16
  platform::SetClock(1000);
  for (int i = 0; i < 118; ++i) Render();
  EXPECT_STREQ(CD3DApplication::StatisticsText(), "   0.00 fps (640x480x16)");
  platform::SetClock(2000);
  Render();  // the 119th frame in two seconds
  EXPECT_STREQ(CD3DApplication::StatisticsText(), "  59.50 fps (640x480x16)");
  platform::SetClock(2900);
  for (int i = 0; i < 10; ++i) Render();
  EXPECT_STREQ(CD3DApplication::StatisticsText(), "  59.50 fps (640x480x16)");
  platform::SetClock(4000);
  Render();  // eleven frames since the last change
  EXPECT_STREQ(CD3DApplication::StatisticsText(), "   5.50 fps (640x480x16)");
  // Drawn in yellow at the top left of the picture flipped to the screen.
  const std::vector<uint32_t> picture = platform::PresentedPixels();
  int yellow = 0;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 200; ++x) yellow += (picture[y * 640 + x] & 0xFFFFFF) == 0xFFFF00;
  EXPECT_GT(yellow, 20);
}

TEST_F(Frame, TheDisplayIsRebuiltOnRestoringAndSwitchingToFullScreenAndBack) {
  Create();
  EXPECT_TRUE(app_.m_deviceInfo->windowed);
  EXPECT_EQ(app_.m_renderTargetDesc.dwWidth, 640u);
  EXPECT_EQ(ZDepth(), 32u);
  Send(WM_SIZE, SIZE_MINIMIZED);
  EXPECT_FALSE(app_.m_active);
  Send(WM_SIZE, SIZE_RESTORED, MAKELPARAM(640, 480));
  EXPECT_TRUE(app_.m_ready);
  EXPECT_EQ(app_.deletes, 1);
  EXPECT_EQ(app_.inits, 2);
  const LONG windowed = GetWindowLongA(app_.m_window, GWL_STYLE);
  for (int bits : {16, 32}) {
    EXPECT_EQ(Send(WM_COMMAND, IDM_TOGGLEFULLSCREEN), 0);
    EXPECT_TRUE(app_.m_ready);
    EXPECT_EQ(app_.m_renderTargetDesc.ddpfPixelFormat.dwRGBBitCount, DWORD(bits));
    EXPECT_EQ(ZDepth(), DWORD(bits));  // the depth of the target
    EXPECT_EQ(GetWindowLongA(app_.m_window, GWL_STYLE),
              bits == 16 ? LONG(WS_POPUP | WS_SYSMENU | WS_VISIBLE) : windowed);
    // Full-screen refuses moving and maximising.
    EXPECT_EQ(Send(WM_SYSCOMMAND, SC_MAXIMIZE), bits == 16 ? 1 : 0);
    platform::AdvanceClock(50);
    EXPECT_GT(Render(), 0.0f);
  }
  EXPECT_EQ(app_.inits, 4);
  Send(WM_CLOSE);
  EXPECT_EQ(app_.deletes, 4);
  EXPECT_EQ(app_.cleanups, 1);
  EXPECT_FALSE(app_.m_ready);
  app_.m_window = nullptr;
}

TEST_F(Frame, FailuresAreReportedInMessageBoxes) {
  app_.m_confirmDevice = [](DDCAPS*, D3DDEVICEDESC7*) -> HRESULT { return E_FAIL; };
  EXPECT_EQ(app_.Create(nullptr, ""), D3DENUMERR_SUGGESTREFRAST);
  EXPECT_EQ(app_.oneTimeInits, 0);
  EXPECT_EQ(app_.m_window, nullptr);
  std::vector<platform::MessageBoxCall> boxes = platform::TakeMessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text,
            "Could not find any compatible devices.\n\nTry enabling the reference rasterizer "
            "using\nEnableRefRast.reg.\n\nThis sample will now exit.");
  EXPECT_EQ(boxes[0].type, UINT(MB_ICONERROR));
  // No z-buffer format of the display's depth or of 16 bits.
  platform::MachineDescription machine = platform::DefaultMachine();
  DDPIXELFORMAT z24{};
  z24.dwSize = sizeof z24;
  z24.dwFlags = DDPF_ZBUFFER;
  z24.dwZBufferBitDepth = 24;
  z24.dwZBitMask = 0xFFFFFF;
  machine.drivers[0].zFormats = {z24};
  platform::SetMachine(machine);
  app_.m_confirmDevice = nullptr;
  EXPECT_EQ(app_.Create(nullptr, ""), E_FAIL);
  boxes = platform::TakeMessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "No ZBuffer\n\nThis sample will now exit.");
  EXPECT_EQ(app_.cleanups, 1);
}

// After an error box that ends the program, the program's status says it
// failed: launchers and scripts see that it did not run.
TEST_F(Frame, AnErrorBoxThatEndsTheProgramEndsItWithAFailureStatus) {
  Create();
  app_.initResult = E_FAIL;  // the display cannot be built again in full-screen
  Send(WM_COMMAND, IDM_TOGGLEFULLSCREEN);
  std::vector<platform::MessageBoxCall> boxes = platform::TakeMessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].text.find("This sample will now exit."), std::string::npos);
  EXPECT_NE(app_.Run(), 0);
  app_.m_window = nullptr;
}

// ------------------------------------------------------------------ devices

platform::MachineDevice Device(const GUID& guid, const std::string& name, bool hardware) {
  platform::MachineDevice device{name + " device", name, platform::SoftwareDeviceDesc()};
  device.desc.deviceGUID = guid;
  if (hardware) device.desc.dwDevCaps |= D3DDEVCAPS_HWRASTERIZATION;
  return device;
}

class Enumeration : public ::testing::Test {
 protected:
  void TearDown() override {
    D3DEnum_ReleaseLists();
    platform::ResetMachine();
  }
  // Lists the devices of a machine whose primary driver has these devices
  // (without the software device).
  std::vector<D3DEnum_Device*> List(const std::vector<platform::MachineDevice>& devices) {
    platform::MachineDescription machine = platform::DefaultMachine();
    machine.drivers[0].offerSoftwareDevice = false;
    machine.drivers[0].devices = devices;
    platform::SetMachine(machine);
    EXPECT_EQ(D3DEnum_ListDevices(nullptr), S_OK);
    return Devices();
  }
  static std::vector<D3DEnum_Device*> Devices() {
    D3DEnum_Device* table = nullptr;
    DWORD count = 0;
    D3DEnum_GetDevices(&table, &count);
    std::vector<D3DEnum_Device*> devices;
    for (DWORD i = 0; i < count; ++i) devices.push_back(&table[i]);
    return devices;
  }
  static std::string Chosen(DWORD flags) {
    D3DEnum_Device* chosen = nullptr;
    EXPECT_EQ(D3DEnum_PickDefaultDevice(&chosen, flags), S_OK);
    return chosen ? chosen->description : "";
  }
};

TEST_F(Enumeration, TheDefaultMachineOffersTheSoftwareDeviceInAWindow) {
  ASSERT_EQ(D3DEnum_ListDevices(nullptr), S_OK);
  const std::vector<D3DEnum_Device*> devices = Devices();
  ASSERT_EQ(devices.size(), 1u);
  EXPECT_FALSE(devices[0]->hardware);
  EXPECT_TRUE(devices[0]->desktopCompatible);
  // Full-screen is 640 x 480 in 16 bits.
  EXPECT_EQ(devices[0]->fullscreenMode.dwWidth, 640u);
  EXPECT_EQ(devices[0]->fullscreenMode.ddpfPixelFormat.dwRGBBitCount, 16u);
  D3DEnum_Device* chosen = nullptr;
  ASSERT_EQ(D3DEnum_PickDefaultDevice(&chosen, 0), S_OK);
  EXPECT_EQ(chosen, devices[0]);
  EXPECT_TRUE(chosen->windowed);
}

TEST_F(Enumeration, TheChoicePrefersTnLHardwareThenHardwareThenSoftwareThenReference) {
  List({Device(IID_IDirect3DRefDevice, "Reference", false),
        Device(IID_IDirect3DHALDevice, "Hardware", true),
        Device(IID_IDirect3DRGBDevice, "Software", false),
        Device(IID_IDirect3DTnLHalDevice, "TnL hardware", true)});
  EXPECT_EQ(Chosen(0), "TnL hardware");
  EXPECT_EQ(Chosen(1), "Software");  // software only
  List({Device(IID_IDirect3DHALDevice, "Hardware", true),
        Device(IID_IDirect3DRefDevice, "Reference", false)});
  EXPECT_EQ(Chosen(0), "Hardware");
  EXPECT_EQ(Chosen(1), "Reference");
  // At most a table's worth of devices is kept.
  std::vector<platform::MachineDevice> many;
  for (int i = 0; i < 25; ++i) {
    many.push_back(Device(IID_IDirect3DHALDevice, "Card " + std::to_string(i), true));
    many.back().desc.deviceGUID.Data1 = 0xC000 + i;
  }
  ASSERT_EQ(List(many).size(), size_t(kMaxEnumDevices));
  EXPECT_STREQ(Devices().back()->description, "Card 19");
}

TEST_F(Enumeration, SecondaryDriversOfferOnlyHardwareAndNothingForAWindow) {
  platform::MachineDescription machine;
  machine.drivers = {platform::DefaultMachine().drivers[0]};
  machine.drivers[0].primary = false;
  machine.drivers[0].guid.Data1 = 0x5EC0;
  machine.drivers[0].devices = {Device(IID_IDirect3DRefDevice, "Reference", false)};
  platform::SetMachine(machine);
  EXPECT_EQ(D3DEnum_ListDevices(nullptr), D3DENUMERR_SUGGESTREFRAST);
  machine.drivers[0].devices.push_back(Device(IID_IDirect3DHALDevice, "Card", true));
  platform::SetMachine(machine);
  ASSERT_EQ(D3DEnum_ListDevices(nullptr), S_OK);
  ASSERT_EQ(Devices().size(), 1u);
  ASSERT_NE(Devices()[0]->driverGuidPtr, nullptr);
  EXPECT_EQ(Devices()[0]->driverGuidPtr->Data1, 0x5EC0u);
  D3DEnum_Device* chosen = nullptr;
  EXPECT_EQ(D3DEnum_PickDefaultDevice(&chosen, 0), D3DENUMERR_NOCOMPATIBLEDEVICES);
}

}  // namespace
