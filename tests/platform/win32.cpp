// The window system on the headless backend: keys and typed text as the
// messages the game's loop sees, the message queue and window events.
#include <SDL.h>
#include <gtest/gtest.h>

#include "backend/sdl_keys.h"
#include "testing.h"
#include "win32.h"
#include "win32/state.h"

namespace {

constexpr UINT kFirst = 0x400, kSecond = 0x401, kThird = 0x402;

// (message, wParam, lParam) as the window procedure received it.
typedef std::tuple<UINT, WPARAM, LPARAM> Received;

std::vector<Received>& Log() {
  static std::vector<Received> log;
  return log;
}

LRESULT CALLBACK Record(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Log().emplace_back(message, wParam, lParam);
  return DefWindowProcA(window, message, wParam, lParam);
}

// A window of the game's class whose procedure records what it receives.
class Win32 : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::SetBackend(platform::Backend::Headless);
    platform::ResetWindowsForTesting();
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = Record;
    windowClass.lpszClassName = "D3D Window";
    ASSERT_NE(RegisterClassA(&windowClass), 0);
    window_ =
        CreateWindowExA(0, "D3D Window", "Test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CW_USEDEFAULT,
                        CW_USEDEFAULT, 640, 480, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window_, nullptr);
    Log().clear();
  }
  void TearDown() override { platform::ResetWindowsForTesting(); }
  // The loop body of the game over everything waiting.
  static void Drain() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE) && msg.message != WM_QUIT) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
  HWND window_ = nullptr;
};

// The keyboard messages received: "d<virtual key>" for WM_KEYDOWN, "c<byte>"
// for WM_CHAR, "*" marking an auto-repeat.
std::string Keys() {
  std::string out;
  for (const Received& r : Log()) {
    out += (std::get<0>(r) == WM_KEYDOWN ? " d" : " c") + std::to_string(std::get<1>(r));
    if (std::get<2>(r) & (1 << 30)) out += '*';
  }
  return out.substr(1);
}

// The editing keys' characters come right after their key-down, before
// anything queued later; auto-repeat repeats both and is marked.
TEST_F(Win32, KeysBecomeKeyDownThenTheTypedCharacter) {
  // é comes on the 2 key of a French keyboard; the last three are repeats.
  const UINT keys[] = {'A',    VK_SHIFT, 'Q', '7', VK_ESCAPE, VK_RETURN, VK_BACK,
                       VK_TAB, VK_SPACE, 'K', '2', 'K',       VK_ESCAPE};
  const char* texts[] = {"a", "", "Q", "7", "", "", "", "", " ", "k", "\xC3\xA9", "k", ""};
  for (int i = 0; i < 13; ++i) {
    platform::InjectKeyDown(window_, keys[i], i >= 11);
    if (*texts[i]) platform::InjectText(window_, texts[i]);
  }
  Drain();
  EXPECT_EQ(Keys(),
            "d65 c97 d16 d81 c81 d55 c55 d27 c27 d13 c13 d8 c8 d9 c9 d32 c32 d75 c107 d50 c233 "
            "d75* c107 d27* c27*");
}

TEST(Keyboard, TextBecomesLatin1BytesAndKeysFollowTheLayout) {
  // a, é, € (beyond Latin-1), an emoji, a control character, ÿ; malformed:
  // a lone lead byte, a lone continuation byte, an overlong '/'.
  EXPECT_EQ(platform::TextToCharBytes("a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\x01\xC3\xBF"),
            "a\xE9\xFF");
  EXPECT_EQ(platform::TextToCharBytes("\xC3z\x80y\xC0\xAFx"), "zyx");
  EXPECT_EQ(platform::TextToCharBytes("\xC2\xA0\x7F~"), "\xA0~");
  EXPECT_EQ(platform::TextToCharBytes(nullptr), "");
  using platform::VirtualKeyFromSdl;
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_a, SDL_SCANCODE_Q), UINT('A'));  // the French A key
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_z, SDL_SCANCODE_Z), UINT('Z'));
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_0, SDL_SCANCODE_0), UINT('0'));
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_ESCAPE, SDL_SCANCODE_ESCAPE), UINT(VK_ESCAPE));
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER), UINT(VK_RETURN));
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_BACKSPACE, SDL_SCANCODE_BACKSPACE), UINT(VK_BACK));
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_RSHIFT, SDL_SCANCODE_RSHIFT), UINT(VK_SHIFT));
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_F5, SDL_SCANCODE_F5), UINT(VK_F1 + 4));
  // é on the French 2 key, a Cyrillic letter on the A key: by position.
  EXPECT_EQ(VirtualKeyFromSdl(0xE9, SDL_SCANCODE_2), UINT('2'));
  EXPECT_EQ(VirtualKeyFromSdl(0x444, SDL_SCANCODE_A), UINT('A'));
  EXPECT_EQ(VirtualKeyFromSdl(SDLK_UNKNOWN, SDL_SCANCODE_UNKNOWN), 0u);
}

TEST_F(Win32, QueueKeepsOrderFiltersAndEndsWithQuit) {
  ASSERT_TRUE(PostMessageA(window_, kFirst, 1, 0));
  ASSERT_TRUE(PostMessageA(window_, kSecond, 2, 0));
  ASSERT_TRUE(PostMessageA(nullptr, kThird, 3, 0));  // a thread message
  PostQuitMessage(7);
  PostMessageA(window_, kFirst, 4, 0);
  EXPECT_TRUE(Log().empty()) << "posting never calls the window procedure";
  EXPECT_EQ(SendMessageA(window_, WM_NCHITTEST, 0, 0), HTCLIENT);  // at once
  EXPECT_EQ(Log().size(), 1u);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(msg.message, kFirst);
  // A range takes the first message inside it, leaving the others in place.
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, kSecond, kThird, PM_REMOVE));
  EXPECT_EQ(msg.message, kSecond);
  EXPECT_EQ(msg.hwnd, window_);
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, kSecond, kSecond, PM_REMOVE));
  for (WPARAM expected : {1, 3, 4}) {
    ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.wParam, expected);
  }
  // Quit comes after everything posted before or after it.
  EXPECT_FALSE(GetMessageA(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.message, UINT(WM_QUIT));
  EXPECT_EQ(msg.wParam, 7u);
  // Headless, GetMessage on an empty queue ends instead of waiting forever.
  EXPECT_FALSE(GetMessageA(&msg, nullptr, 0, 0));
}

TEST_F(Win32, WindowEventsBecomeTheGamesMessages) {
  // Minimise and restore are size messages; other resizes are not.
  platform::OnWindowRestored(window_, false);
  platform::OnWindowMinimized(window_);
  platform::OnWindowRestored(window_, false);
  platform::OnWindowMinimized(window_);
  platform::OnWindowRestored(window_, true);
  platform::OnWindowMoved(window_, -5, 200);
  Drain();
  EXPECT_EQ(Log(), (std::vector<Received>{{WM_SIZE, SIZE_MINIMIZED, 0},
                                          {WM_SIZE, SIZE_RESTORED, MAKELPARAM(640, 480)},
                                          {WM_SIZE, SIZE_MINIMIZED, 0},
                                          {WM_SIZE, SIZE_MAXIMIZED, MAKELPARAM(640, 480)},
                                          {WM_MOVE, 0, MAKELPARAM(-5, 200)}}));
}

}  // namespace
