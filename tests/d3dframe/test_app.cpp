// The application frame on the headless platform with the manual clock:
// creation, the clock (stop, start, single step, size-move loop), pausing,
// the statistics line, error messages, window messages and the full-screen
// switch in both directions.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "d3dframe/d3dapp.h"
#include "testing.h"

namespace {

class TestApp : public CD3DApplication {
 public:
  TestApp() {
    m_useZBuffer = TRUE;
    m_showStats = TRUE;
  }

  HRESULT OneTimeSceneInit() override {
    ++oneTimeInits;
    return S_OK;
  }
  HRESULT InitDeviceObjects() override {
    ++inits;
    return initResult;
  }
  HRESULT DeleteDeviceObjects() override {
    ++deletes;
    return S_OK;
  }
  HRESULT FrameMove(FLOAT t) override {
    times.push_back(t);
    if (closeAfterFrames && static_cast<int>(times.size()) == closeAfterFrames)
      PostMessageA(m_window, WM_CLOSE, 0, 0);
    return S_OK;
  }
  HRESULT Render() override {
    ++renders;
    return renderResult;
  }
  HRESULT LastCleanup() override {
    ++cleanups;
    return S_OK;
  }

  using CD3DApplication::m_active;
  using CD3DApplication::m_confirmDevice;
  using CD3DApplication::m_deviceInfo;
  using CD3DApplication::m_frameMoving;
  using CD3DApplication::m_ready;
  using CD3DApplication::m_renderTarget;
  using CD3DApplication::m_renderTargetDesc;
  using CD3DApplication::m_window;
  using CD3DApplication::RenderFrame;

  int oneTimeInits = 0, inits = 0, deletes = 0, renders = 0, cleanups = 0;
  int closeAfterFrames = 0;
  HRESULT initResult = S_OK;
  HRESULT renderResult = S_OK;
  std::vector<float> times;
};

HRESULT RejectAll(DDCAPS*, D3DDEVICEDESC7*) {
  return E_FAIL;
}

class AppTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::ResetMachine();
    platform::UseManualClock(true);
    platform::SetClock(10000);
    // A quit message left by an earlier test's window would end Run at once.
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
  }
  void TearDown() override {
    if (m_app.m_window) SendMessageA(m_app.m_window, WM_CLOSE, 0, 0);
    platform::UseManualClock(false);
    platform::ResetMachine();
  }
  void CreateApp() {
    ASSERT_EQ(m_app.Create(nullptr, ""), S_OK);
    ASSERT_TRUE(m_app.m_ready);
    ASSERT_TRUE(m_app.m_active);  // the window's first WM_SIZE
  }
  LRESULT Command(WORD id) { return SendMessageA(m_app.m_window, WM_COMMAND, id, 0); }
  // Renders one frame and returns the time FrameMove saw, or -1 if it was not called.
  float Frame() {
    size_t before = m_app.times.size();
    EXPECT_EQ(m_app.RenderFrame(), S_OK);
    return m_app.times.size() > before ? m_app.times.back() : -1.0f;
  }

  TestApp m_app;
};

TEST_F(AppTest, CreateBuildsTheDisplayAndFramesSeeApplicationTime) {
  CreateApp();
  EXPECT_EQ(m_app.oneTimeInits, 1);
  EXPECT_EQ(m_app.inits, 1);
  EXPECT_TRUE(m_app.m_deviceInfo->windowed);
  EXPECT_EQ(m_app.m_renderTargetDesc.dwWidth, 640u);
  EXPECT_EQ(m_app.m_renderTargetDesc.dwSize, 124u);
  uint64_t presented = platform::PresentCount();
  platform::AdvanceClock(1234);
  EXPECT_FLOAT_EQ(Frame(), 1.234f);
  EXPECT_EQ(m_app.renders, 1);
  EXPECT_EQ(platform::PresentCount(), presented + 1);

  SendMessageA(m_app.m_window, WM_CLOSE, 0, 0);
  EXPECT_EQ(m_app.deletes, 1);
  EXPECT_EQ(m_app.cleanups, 1);
  EXPECT_FALSE(m_app.m_ready);
  m_app.m_window = nullptr;
}

TEST_F(AppTest, StoppedClockAndSingleSteps) {
  CreateApp();
  platform::AdvanceClock(1000);
  EXPECT_FLOAT_EQ(Frame(), 1.0f);
  Command(IDM_TOGGLESTART);  // stop
  EXPECT_FALSE(m_app.m_frameMoving);
  platform::AdvanceClock(5000);
  EXPECT_EQ(Frame(), -1.0f);  // no movement while stopped
  EXPECT_EQ(m_app.renders, 2);

  Command(IDM_SINGLESTEP);
  EXPECT_FLOAT_EQ(Frame(), 1.1f);
  EXPECT_EQ(Frame(), -1.0f);  // exactly one frame per step
  platform::AdvanceClock(700);
  Command(IDM_SINGLESTEP);
  EXPECT_FLOAT_EQ(Frame(), 1.2f);

  Command(IDM_TOGGLESTART);  // start again: stopped time does not count
  platform::AdvanceClock(300);
  EXPECT_FLOAT_EQ(Frame(), 1.5f);
}

TEST_F(AppTest, SizeMoveLoopAndPausesDoNotAdvanceTime) {
  CreateApp();
  SendMessageA(m_app.m_window, WM_ENTERSIZEMOVE, 0, 0);
  platform::AdvanceClock(2000);
  SendMessageA(m_app.m_window, WM_EXITSIZEMOVE, 0, 0);
  platform::AdvanceClock(100);
  EXPECT_FLOAT_EQ(Frame(), 0.1f);

  m_app.Pause(TRUE);
  m_app.Pause(TRUE);
  platform::AdvanceClock(400);
  m_app.Pause(FALSE);
  EXPECT_FALSE(m_app.m_ready);
  platform::AdvanceClock(400);
  m_app.Pause(FALSE);
  EXPECT_TRUE(m_app.m_ready);
  EXPECT_FLOAT_EQ(Frame(), 0.1f);  // the whole paused time discounted once

  // Menus pause as well.
  SendMessageA(m_app.m_window, WM_ENTERMENULOOP, 0, 0);
  EXPECT_FALSE(m_app.m_ready);
  SendMessageA(m_app.m_window, WM_EXITMENULOOP, 0, 0);
  EXPECT_TRUE(m_app.m_ready);
  EXPECT_EQ(SendMessageA(m_app.m_window, WM_POWERBROADCAST, PBT_APMQUERYSUSPEND, 0), TRUE);
  EXPECT_FALSE(m_app.m_ready);
  EXPECT_EQ(SendMessageA(m_app.m_window, WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0), TRUE);
  EXPECT_TRUE(m_app.m_ready);
}

TEST_F(AppTest, MinimisingStopsRenderingAndRestoringRebuilds) {
  CreateApp();
  SendMessageA(m_app.m_window, WM_SIZE, SIZE_MINIMIZED, 0);
  EXPECT_FALSE(m_app.m_active);
  EXPECT_EQ(m_app.inits, 1);
  SendMessageA(m_app.m_window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(640, 480));
  EXPECT_TRUE(m_app.m_active);
  EXPECT_TRUE(m_app.m_ready);
  EXPECT_EQ(m_app.deletes, 1);
  EXPECT_EQ(m_app.inits, 2);
}

TEST_F(AppTest, FullScreenSwitchWorksBothWays) {
  CreateApp();
  HWND window = m_app.m_window;
  LONG windowedStyle = GetWindowLongA(window, GWL_STYLE);
  EXPECT_EQ(SendMessageA(window, WM_SYSCOMMAND, SC_MAXIMIZE, 0), 0);

  EXPECT_EQ(Command(IDM_TOGGLEFULLSCREEN), 0);
  EXPECT_TRUE(m_app.m_ready);
  EXPECT_FALSE(m_app.m_deviceInfo->windowed);
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)),
            static_cast<DWORD>(WS_POPUP | WS_SYSMENU | WS_VISIBLE));
  EXPECT_EQ(m_app.m_renderTargetDesc.ddpfPixelFormat.dwRGBBitCount, 16u);
  EXPECT_EQ(m_app.inits, 2);
  // Full-screen refuses moving, sizing and maximising and keeps the client area.
  EXPECT_EQ(SendMessageA(window, WM_SYSCOMMAND, SC_MAXIMIZE, 0), 1);
  EXPECT_EQ(SendMessageA(window, WM_SYSCOMMAND, SC_MOVE, 0), 1);
  EXPECT_EQ(SendMessageA(window, WM_NCHITTEST, 0, 0), HTCLIENT);
  platform::AdvanceClock(50);
  EXPECT_FLOAT_EQ(Frame(), 0.05f);

  EXPECT_EQ(Command(IDM_TOGGLEFULLSCREEN), 0);
  EXPECT_TRUE(m_app.m_ready);
  EXPECT_TRUE(m_app.m_deviceInfo->windowed);
  EXPECT_EQ(GetWindowLongA(window, GWL_STYLE), windowedStyle);
  EXPECT_EQ(m_app.m_renderTargetDesc.ddpfPixelFormat.dwRGBBitCount, 32u);
  EXPECT_EQ(SendMessageA(window, WM_SYSCOMMAND, SC_MAXIMIZE, 0), 0);
  EXPECT_EQ(m_app.inits, 3);
  EXPECT_EQ(m_app.deletes, 2);
  platform::AdvanceClock(50);
  EXPECT_FLOAT_EQ(Frame(), 0.1f);
}

TEST_F(AppTest, StatisticsLineChangesOncePerSecond) {
  CreateApp();
  ASSERT_EQ(Command(IDM_TOGGLEFULLSCREEN), 0);  // 640 x 480 x 16
  platform::SetClock(1000);
  for (int i = 0; i < 118; ++i) Frame();
  EXPECT_STREQ(CD3DApplication::StatisticsText(), "   0.00 fps (640x480x16)");
  platform::SetClock(2000);
  Frame();  // the 119th frame in two seconds
  EXPECT_STREQ(CD3DApplication::StatisticsText(), "  59.50 fps (640x480x16)");
  platform::SetClock(2900);
  for (int i = 0; i < 10; ++i) Frame();
  EXPECT_STREQ(CD3DApplication::StatisticsText(), "  59.50 fps (640x480x16)");

  // The line is drawn in yellow at the top left of the presented picture.
  std::vector<uint32_t> picture = platform::PresentedPixels();
  ASSERT_FALSE(picture.empty());
  int yellow = 0;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 200; ++x)
      if ((picture[y * 640 + x] & 0xFFFFFF) == 0xFFFF00) ++yellow;
  EXPECT_GT(yellow, 20);
}

TEST_F(AppTest, RunRendersUntilTheWindowCloses) {
  CreateApp();
  m_app.closeAfterFrames = 3;
  EXPECT_EQ(m_app.Run(), 0);
  EXPECT_EQ(m_app.times.size(), 3u);
  EXPECT_EQ(m_app.cleanups, 1);
  m_app.m_window = nullptr;
}

TEST_F(AppTest, FailingFrameDestroysTheWindow) {
  CreateApp();
  m_app.renderResult = E_FAIL;
  EXPECT_EQ(m_app.Run(), 0);
  EXPECT_EQ(m_app.renders, 1);
  EXPECT_EQ(m_app.cleanups, 1);
  m_app.m_window = nullptr;
}

TEST_F(AppTest, CreateFailsWhenNoDeviceIsAccepted) {
  m_app.m_confirmDevice = RejectAll;
  EXPECT_EQ(m_app.Create(nullptr, ""), D3DENUMERR_SUGGESTREFRAST);
  EXPECT_EQ(m_app.oneTimeInits, 0);
  EXPECT_EQ(m_app.m_window, nullptr);
}

TEST_F(AppTest, CreateFailsWhenTheDeviceObjectsFail) {
  m_app.initResult = E_FAIL;
  EXPECT_EQ(m_app.Create(nullptr, ""), E_FAIL);
  EXPECT_EQ(m_app.inits, 1);
  EXPECT_EQ(m_app.deletes, 2);  // after the failed init, and at teardown
  EXPECT_EQ(m_app.cleanups, 1);
}

std::string Text(HRESULT hr, DWORD kind, UINT* type = nullptr) {
  char text[512];
  UINT t = D3DApp_ErrorText(hr, kind, text, sizeof(text));
  if (type) *type = t;
  return text;
}

TEST(ErrorMessages, TextsAndKinds) {
  UINT type = 0;
  EXPECT_EQ(Text(D3DENUMERR_SUGGESTREFRAST, 1, &type),
            "Could not find any compatible devices.\n\nTry enabling the reference rasterizer "
            "using\nEnableRefRast.reg.\n\nThis sample will now exit.");
  EXPECT_EQ(type, static_cast<UINT>(MB_ICONERROR));
  EXPECT_EQ(Text(D3DFWERR_NO3DDEVICE, 2, &type),
            "Could not create the Direct3DDevice object.\nThe 3D hardware chipset may not "
            "support\nrendering in the current display mode.\n\nSwitching to software "
            "rasterizer.");
  EXPECT_EQ(type, static_cast<UINT>(MB_ICONWARNING));
  EXPECT_EQ(Text(D3DFWERR_NOZBUFFER, 2), "No ZBuffer\n\nSwitching to software rasterizer.");
  EXPECT_EQ(Text(D3DFWERR_NOZBUFFER, 0, &type), "No ZBuffer");
  EXPECT_EQ(type, static_cast<UINT>(MB_ICONWARNING));
  EXPECT_EQ(Text(0x12345678, 0),
            "Generic application error.\n\nEnable debug output for detailed information.");
  EXPECT_EQ(Text(E_OUTOFMEMORY, 0), "Not enough memory!");
  EXPECT_EQ(Text(DDERR_OUTOFVIDEOMEMORY, 0),
            "There was insufficient video memory to use the\nhardware device.");
  EXPECT_EQ(Text(D3DFWERR_INVALIDMODE, 0),
            "This sample requires a 16-bit (or higher) display mode\nto run in a window.\n\n"
            "Please switch your desktop settings accordingly.");
  const struct {
    HRESULT hr;
    const char* text;
  } shortOnes[] = {
      {D3DENUMERR_NODIRECTDRAW, "Could not create DirectDraw!"},
      {D3DFWERR_NODIRECTDRAW, "No DirectDraw"},
      {D3DFWERR_COULDNTSETCOOPLEVEL, "Could not set Cooperative Level"},
      {D3DFWERR_NODIRECT3D, "No Direct3D"},
      {D3DFWERR_NOVIEWPORT, "No Viewport"},
      {D3DFWERR_NOPRIMARY, "No primary"},
      {D3DFWERR_NOCLIPPER, "No Clipper"},
      {D3DFWERR_BADDISPLAYMODE, "Bad display mode"},
      {D3DFWERR_NOBACKBUFFER, "No backbuffer"},
      {D3DFWERR_NORENDERTARGET, "No render target"},
      {D3DENUMERR_NOCOMPATIBLEDEVICES, "Could not find any compatible Direct3D\ndevices."}};
  for (const auto& c : shortOnes) EXPECT_EQ(Text(c.hr, 0), c.text);
}

}  // namespace
