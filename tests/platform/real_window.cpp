// A real SDL window on an X server: key events sent by xdotool arrive as the
// messages the game expects, and the picture stays 640 x 480 logical pixels,
// letterboxed, whatever size the window is given. Runs only as the
// platform_real_window test (under xvfb-run); skipped elsewhere.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "backend/backend.h"
#include "backend/present.h"
#include "testing.h"
#include "win32.h"
#include "win32/state.h"

namespace {

// The keyboard messages received: " d<virtual key>" for WM_KEYDOWN,
// " c<byte>" for WM_CHAR.
std::string g_keys;

LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_KEYDOWN || message == WM_CHAR)
    g_keys += (message == WM_KEYDOWN ? " d" : " c") + std::to_string(wParam);
  return DefWindowProcA(window, message, wParam, lParam);
}

std::string Shell(const std::string& command) {
  std::string output;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[256];
    while (fgets(buffer, sizeof buffer, pipe)) output += buffer;
    pclose(pipe);
  }
  while (!output.empty() && (output.back() == '\n' || output.back() == ' ')) output.pop_back();
  return output;
}

class RealWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("VOSKAR_REAL_WINDOW"))
      GTEST_SKIP() << "needs an X server: runs as the platform_real_window test";
    platform::SetBackend(platform::Backend::Sdl);
    platform::ResetWindowsForTesting();
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = Proc;
    windowClass.lpszClassName = "Real Window Test";
    ASSERT_NE(RegisterClassA(&windowClass), 0);
    window_ = CreateWindowExA(0, "Real Window Test", "Voskar real window",
                              WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 640, 480, nullptr, nullptr,
                              nullptr, nullptr);
    // Each pixel encodes its position, inside a white border.
    for (int y = 0; y < 480; ++y)
      for (int x = 0; x < 640; ++x)
        picture_.push_back(x % 639 && y % 479 ? (x * 255 / 639) << 16 | (y * 255 / 479) << 8 | 0x40
                                              : 0xFFFFFF);
    platform::PresentPicture(window_, picture_.data(), 640, 480, 640);
    xid_ = Shell("timeout 10 xdotool search --sync --name 'Voskar real window' | head -n 1");
    ASSERT_FALSE(xid_.empty());
    g_keys.clear();
  }
  // The video system stays up for the next test: opening it again while
  // another X server comes or goes can fail.
  void TearDown() override { platform::ResetWindowsForTesting(); }
  // Runs the message loop until done() holds or about five seconds pass.
  template <typename Done>
  bool Pump(Done done) {
    for (int i = 0; i < 500 && !done(); ++i) {
      MSG msg;
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
      }
      SDL_Delay(10);
    }
    return done();
  }
  // Resizes the X window to width x height, waits until SDL has seen it,
  // presents the picture and reads back what the window shows.
  std::vector<uint32_t> Present(int width, int height) {
    Shell("xdotool windowsize " + xid_ + " " + std::to_string(width) + " " +
          std::to_string(height));
    std::vector<uint32_t> shown;
    int w = 0, h = 0;
    auto read = [&] { return platform::backend::sdl::ReadBack(window_, &shown, &w, &h); };
    EXPECT_TRUE(Pump([&] { return read() && w == width && h == height; }))
        << "the window did not take the size " << width << " x " << height;
    platform::PresentPicture(window_, picture_.data(), 640, 480, 640);
    read();
    return shown;
  }

  HWND window_ = nullptr;
  std::vector<uint32_t> picture_;
  std::string xid_;
};

TEST_F(RealWindow, KeyEventsArriveAsKeyDownThenCharacter) {
  // Without a window manager, focus is given directly (once the window is
  // mapped, which --sync waits for).
  Shell("timeout 10 xdotool windowfocus --sync " + xid_);
  // A French layout, where é has a key of its own (the 2 key) and A sits
  // where a US keyboard has Q. xdotool would otherwise borrow a spare key for
  // é only for the instant of the press, before SDL gets to read the layout.
  const bool french = Shell("setxkbmap -layout fr && echo ok") == "ok";
  Shell("xdotool key --delay 30 a shift+b Escape Return BackSpace");
  Shell(french ? "xdotool key eacute" : "xdotool type --delay 30 '\xC3\xA9'");
  const std::string typed = " d65 c97 d16 d66 c66 d27 c27 d13 c13 d8 c8";
  ASSERT_TRUE(Pump([] { return g_keys.size() > 5 && g_keys.substr(g_keys.size() - 5) == " c233"; }))
      << "no WM_CHAR 0xE9 arrived; got" << g_keys;
  EXPECT_EQ(g_keys.substr(0, typed.size()), typed);
  if (french) {
    EXPECT_EQ(g_keys, typed + " d50 c233");
  }
}

TEST_F(RealWindow, ResizedWindowKeepsTheLogicalClientAndLetterboxes) {
  // Slightly wider than the picture: shown at its own size, bars around it.
  std::vector<uint32_t> shown = Present(1000, 500);
  RECT client;
  ASSERT_TRUE(GetClientRect(window_, &client));
  EXPECT_EQ(client.right, 640);
  EXPECT_EQ(client.bottom, 480);
  ASSERT_EQ(shown.size(), 1000u * 500);
  EXPECT_EQ(shown[250 * 1000 + 90] & 0xFFFFFF, 0u);
  EXPECT_EQ(shown[250 * 1000 + 910] & 0xFFFFFF, 0u);
  EXPECT_EQ(shown[10 * 1000 + 180] & 0xFFFFFF, 0xFFFFFFu);
  EXPECT_EQ(shown[110 * 1000 + 380] & 0xFFFFFF, picture_[100 * 640 + 200]);
  // Exactly twice the size: every picture pixel becomes a sharp 2 x 2 block.
  shown = Present(1280, 960);
  ASSERT_EQ(shown.size(), 1280u * 960);
  for (int y : {1, 100, 333})
    for (int x : {1, 250, 511}) {
      EXPECT_EQ(shown[(2 * y) * 1280 + 2 * x] & 0xFFFFFF, picture_[y * 640 + x]);
      EXPECT_EQ(shown[(2 * y + 1) * 1280 + 2 * x + 1] & 0xFFFFFF, picture_[y * 640 + x]);
    }
  // A picture changed in a few rows: those are shown anew, the rest stays.
  for (int x = 0; x < 640; ++x) picture_[300 * 640 + x] = 0x123456;
  platform::PresentPicture(window_, picture_.data(), 640, 480, 640);
  int w = 0, h = 0;
  ASSERT_TRUE(platform::backend::sdl::ReadBack(window_, &shown, &w, &h));
  EXPECT_EQ(shown[601 * 1280 + 1001] & 0xFFFFFF, 0x123456u);
  EXPECT_EQ(shown[599 * 1280 + 1001] & 0xFFFFFF, picture_[299 * 640 + 500]);
  // Half as large again: filtered, so a smooth gradient stays close to it.
  shown = Present(960, 720);
  ASSERT_EQ(shown.size(), 960u * 720);
  const uint32_t filtered = shown[150 * 960 + 300], original = picture_[100 * 640 + 200];
  for (int shift : {8, 16})
    EXPECT_NEAR(static_cast<int>(filtered >> shift & 0xFF),
                static_cast<int>(original >> shift & 0xFF), 2);
}

}  // namespace
