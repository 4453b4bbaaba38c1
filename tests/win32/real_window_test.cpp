// A real SDL window on an X server: key events sent by xdotool arrive as the
// messages the game expects, and the picture stays 640 x 480 logical pixels,
// letterboxed, whatever size the window is given. Runs only as the
// win32_real_window test (under xvfb-run); skipped elsewhere.
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

const char kTitle[] = "Voskar real window test";

std::vector<MSG>& Received() {
  static std::vector<MSG> received;
  return received;
}

LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_KEYDOWN || message == WM_CHAR || message == WM_SIZE)
    Received().push_back(MSG{window, message, wParam, lParam, 0, {0, 0}});
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

// The test picture: each pixel encodes its position, with a white border.
std::vector<uint32_t> Picture() {
  std::vector<uint32_t> pixels(640 * 480);
  for (int y = 0; y < 480; ++y)
    for (int x = 0; x < 640; ++x)
      pixels[y * 640 + x] =
          (x == 0 || y == 0 || x == 639 || y == 479)
              ? 0xFFFFFF
              : static_cast<uint32_t>((x * 255 / 639) << 16 | (y * 255 / 479) << 8 | 0x40);
  return pixels;
}

class RealWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("VOSKAR_REAL_WINDOW"))
      GTEST_SKIP() << "needs an X server: runs as the win32_real_window test";
    if (Shell("command -v xdotool").empty()) GTEST_SKIP() << "xdotool is not installed";
    platform::SetBackend(platform::Backend::Sdl);
    platform::ResetWindowsForTesting();
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = Proc;
    windowClass.lpszClassName = "Real Window Test";
    ASSERT_NE(RegisterClassA(&windowClass), 0);
    window_ =
        CreateWindowExA(0, "Real Window Test", kTitle, WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                        CW_USEDEFAULT, CW_USEDEFAULT, 640, 480, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window_, nullptr);
    picture_ = Picture();
    Present();
    xid_ = Shell(std::string("xdotool search --sync --name '") + kTitle + "' | head -n 1");
    ASSERT_FALSE(xid_.empty());
    Received().clear();
  }

  void TearDown() override {
    platform::ResetWindowsForTesting();
    platform::backend::Shutdown();
  }

  void Present() { platform::PresentPicture(window_, picture_.data(), 640, 480, 640); }

  // Runs the message loop until done() holds or about five seconds pass.
  template <typename Done>
  bool Pump(Done done) {
    for (int i = 0; i < 500; ++i) {
      MSG msg;
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
      }
      if (done()) return true;
      SDL_Delay(10);
    }
    return false;
  }

  std::vector<uint32_t> Drawn(int* width, int* height) {
    std::vector<uint32_t> pixels;
    EXPECT_TRUE(platform::backend::sdl::ReadBack(window_, &pixels, width, height));
    return pixels;
  }

  // Resizes the X window and waits until SDL has seen the new size.
  void Resize(int width, int height) {
    Shell("xdotool windowsize " + xid_ + " " + std::to_string(width) + " " +
          std::to_string(height));
    ASSERT_TRUE(Pump([&] {
      int w = 0, h = 0;
      Drawn(&w, &h);
      return w == width && h == height;
    })) << "the window did not take the size "
        << width << " x " << height;
    Present();
  }

  HWND window_ = nullptr;
  std::vector<uint32_t> picture_;
  std::string xid_;
};

TEST_F(RealWindow, KeyEventsArriveAsKeyDownThenCharacter) {
  // Without a window manager, focus is given directly.
  Shell("xdotool windowactivate --sync " + xid_ + " 2>/dev/null || xdotool windowfocus --sync " +
        xid_);
  // A French layout, where é has a key of its own (the 2 key) and A sits
  // where a US keyboard has Q. xdotool would otherwise borrow a spare key for
  // é only for the instant of the press, before SDL gets to read the layout.
  const bool french = Shell("setxkbmap -layout fr && echo ok") == "ok";
  Shell("xdotool key --delay 30 a shift+b Escape Return BackSpace");
  Shell(french ? "xdotool key eacute" : "xdotool type --delay 30 '\xC3\xA9'");
  auto sawAccent = [] {
    for (const MSG& msg : Received())
      if (msg.message == WM_CHAR && msg.wParam == 0xE9) return true;
    return false;
  };
  ASSERT_TRUE(Pump(sawAccent)) << "no WM_CHAR 0xE9 arrived; got " << Received().size()
                               << " key messages";
  std::vector<std::pair<UINT, WPARAM>> got;
  for (const MSG& msg : Received())
    if (msg.message != WM_SIZE) got.emplace_back(msg.message, msg.wParam);
  const std::vector<std::pair<UINT, WPARAM>> expected = {{WM_KEYDOWN, 'A'},
                                                         {WM_CHAR, 'a'},
                                                         {WM_KEYDOWN, VK_SHIFT},
                                                         {WM_KEYDOWN, 'B'},
                                                         {WM_CHAR, 'B'},
                                                         {WM_KEYDOWN, VK_ESCAPE},
                                                         {WM_CHAR, 27},
                                                         {WM_KEYDOWN, VK_RETURN},
                                                         {WM_CHAR, 13},
                                                         {WM_KEYDOWN, VK_BACK},
                                                         {WM_CHAR, 8}};
  ASSERT_GE(got.size(), expected.size() + 1);
  if (french) {
    ASSERT_EQ(got.size(), expected.size() + 2);
    EXPECT_EQ(got[expected.size()].first, UINT(WM_KEYDOWN));
    EXPECT_EQ(got[expected.size()].second, WPARAM('2'));
  }
  const std::vector<std::pair<UINT, WPARAM>> first(got.begin(), got.begin() + expected.size());
  EXPECT_EQ(first, expected);
  EXPECT_EQ(got.back().first, UINT(WM_CHAR));
  EXPECT_EQ(got.back().second, 0xE9u);
  EXPECT_EQ(static_cast<signed char>(got.back().second), -23);
}

TEST_F(RealWindow, ResizedWindowKeepsTheLogicalClientAndLetterboxes) {
  // Slightly wider than the picture: shown at its own size, black bars around.
  Resize(1000, 500);
  RECT client;
  ASSERT_TRUE(GetClientRect(window_, &client));
  EXPECT_EQ(client.right, 640);
  EXPECT_EQ(client.bottom, 480);
  int width = 0, height = 0;
  std::vector<uint32_t> drawn = Drawn(&width, &height);
  ASSERT_EQ(width, 1000);
  const int left = (1000 - 640) / 2, top = (500 - 480) / 2;
  EXPECT_EQ(drawn[250 * width + 90] & 0xFFFFFF, 0u);             // the left bar
  EXPECT_EQ(drawn[250 * width + 910] & 0xFFFFFF, 0u);            // the right bar
  EXPECT_EQ(drawn[top * width + left] & 0xFFFFFF, 0xFFFFFFu);    // picture corner, 1:1
  EXPECT_EQ(drawn[(top + 100) * width + left + 200] & 0xFFFFFF,  // an inner pixel, exact
            picture_[100 * 640 + 200]);

  // Exactly twice the size: every picture pixel becomes a sharp 2 x 2 block.
  Resize(1280, 960);
  drawn = Drawn(&width, &height);
  ASSERT_EQ(width, 1280);
  for (int y : {1, 100, 333})
    for (int x : {1, 250, 511}) {
      const uint32_t expected = picture_[y * 640 + x];
      EXPECT_EQ(drawn[(2 * y) * width + 2 * x] & 0xFFFFFF, expected);
      EXPECT_EQ(drawn[(2 * y + 1) * width + 2 * x + 1] & 0xFFFFFF, expected);
    }

  // An odd size: filtered, aspect kept, bars at the sides only.
  Resize(1100, 700);
  drawn = Drawn(&width, &height);
  const int shownWidth = 700 * 640 / 480;  // 933
  const int bar = (1100 - shownWidth) / 2;
  EXPECT_EQ(drawn[350 * width + bar - 3] & 0xFFFFFF, 0u);
  EXPECT_NE(drawn[350 * width + bar + 3] & 0xFFFFFF, 0u);
  EXPECT_NE(drawn[2 * width + 550] & 0xFFFFFF, 0u);  // no bar at the top
  ASSERT_TRUE(GetClientRect(window_, &client));
  EXPECT_EQ(client.right, 640);
  EXPECT_EQ(client.bottom, 480);
}

}  // namespace

namespace {

TEST_F(RealWindow, FullScreenUsesTheDesktopScaledAndReturnsToTheWindow) {
  if (!std::getenv("VOSKAR_WINDOW_MANAGER")) GTEST_SKIP() << "full-screen needs a window manager";
  int desktopWidth = 0, desktopHeight = 0;
  platform::DesktopSize(&desktopWidth, &desktopHeight);
  EXPECT_EQ(desktopWidth, 1280);  // the X server's screen, as xvfb-run is told
  EXPECT_EQ(desktopHeight, 1024);
  auto drawnSize = [&](int width, int height) {
    return [=, this] {
      int w = 0, h = 0;
      Drawn(&w, &h);
      return w == width && h == height;
    };
  };
  platform::SetWindowFullscreen(window_, true);
  ASSERT_TRUE(Pump(drawnSize(1280, 1024)));
  Present();
  int width = 0, height = 0;
  std::vector<uint32_t> drawn = Drawn(&width, &height);
  // Twice the picture's size, 32 rows of black above and below.
  EXPECT_EQ(drawn[10 * width + 640] & 0xFFFFFF, 0u);
  EXPECT_EQ(drawn[1015 * width + 640] & 0xFFFFFF, 0u);
  EXPECT_EQ(drawn[(32 + 2 * 100) * width + 2 * 200] & 0xFFFFFF, picture_[100 * 640 + 200]);
  RECT client;
  ASSERT_TRUE(GetClientRect(window_, &client));
  EXPECT_EQ(client.right, 640);
  EXPECT_EQ(client.bottom, 480);
  platform::SetWindowFullscreen(window_, false);
  EXPECT_TRUE(Pump(drawnSize(640, 480)));
}

}  // namespace

namespace {

TEST_F(RealWindow, MinimiseAndRestoreReachTheWindowAsSizeMessages) {
  if (!std::getenv("VOSKAR_WINDOW_MANAGER")) GTEST_SKIP() << "minimising needs a window manager";
  std::vector<WPARAM> sizes;
  auto sizeMessages = [&] {
    sizes.clear();
    for (const MSG& msg : Received())
      if (msg.message == WM_SIZE) sizes.push_back(msg.wParam);
  };
  Shell("xdotool windowminimize --sync " + xid_);
  ASSERT_TRUE(Pump([&] {
    sizeMessages();
    return !sizes.empty();
  }));
  Shell("xdotool windowactivate --sync " + xid_);
  ASSERT_TRUE(Pump([&] {
    sizeMessages();
    return sizes.size() >= 2;
  }));
  EXPECT_EQ(sizes, (std::vector<WPARAM>{SIZE_MINIMIZED, SIZE_RESTORED}));
}

}  // namespace
