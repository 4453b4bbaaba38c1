// A window whose procedure records every message it receives, on the
// headless backend, for the window-system tests.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testing.h"
#include "win32.h"
#include "win32/state.h"

struct Received {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  bool operator==(const Received& other) const {
    return message == other.message && wParam == other.wParam && lParam == other.lParam;
  }
};

inline std::ostream& operator<<(std::ostream& out, const Received& r) {
  return out << "{msg 0x" << std::hex << r.message << ", w " << std::dec << r.wParam << ", l 0x"
             << std::hex << r.lParam << std::dec << "}";
}

class RecordingWindow : public ::testing::Test {
 protected:
  static std::vector<Received>& Log() {
    static std::vector<Received> log;
    return log;
  }

  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Log().push_back(Received{message, wParam, lParam});
    return DefWindowProcA(window, message, wParam, lParam);
  }

  void SetUp() override {
    platform::SetBackend(platform::Backend::Headless);
    platform::ResetWindowsForTesting();
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = Proc;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.lpszClassName = "D3D Window";
    ASSERT_NE(RegisterClassA(&windowClass), 0);
    window_ =
        CreateWindowExA(0, "D3D Window", "Test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CW_USEDEFAULT,
                        CW_USEDEFAULT, 640, 480, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window_, nullptr);
    Log().clear();
  }

  void TearDown() override { platform::ResetWindowsForTesting(); }

  // Runs the usual loop body over everything waiting: translate, dispatch.
  void DrainQueue() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) break;
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }

  // The keyboard messages received, in order.
  static std::vector<Received> KeyMessages() {
    std::vector<Received> keys;
    for (const Received& r : Log())
      if (r.message == WM_KEYDOWN || r.message == WM_CHAR || r.message == WM_KEYUP)
        keys.push_back(r);
    return keys;
  }

  HWND window_ = nullptr;
};

inline Received KeyDown(UINT key, bool repeat = false) {
  return Received{WM_KEYDOWN, key, platform::KeyDownLParam(repeat)};
}
inline Received Char(unsigned char c, bool repeat = false) {
  return Received{WM_CHAR, c, platform::KeyDownLParam(repeat)};
}
