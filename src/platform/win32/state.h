// Shared state of the window system stand-in: the window records, the
// message queue and the translation of window-system events into messages.
// Used by the Win32 functions and by the backends that feed them.
#pragma once

#include <cstdint>
#include <string>

#include "win32.h"

namespace platform {

// One window created by CreateWindowExA.
struct WindowRecord {
  HWND handle = nullptr;
  WNDPROC proc = nullptr;
  DWORD style = 0;
  DWORD exStyle = 0;
  std::string title;
  HCURSOR classCursor = nullptr;
  RECT windowRect{};  // outer rectangle in screen coordinates (headless bookkeeping)
  bool minimized = false;
  bool destroying = false;
};

// The live window behind a handle, or null for an unknown or destroyed one.
WindowRecord* FindWindowRecord(HWND window);

// ------------------------------------------------------------------ queue
// Appends a message to the thread's queue (window null: a thread message).
void QueuePost(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Puts a message at the head of the queue, so that it is taken next.
void QueuePostFront(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Whether a message of this kind for this window is waiting.
bool QueueHas(HWND window, UINT message);
// Drops every waiting message of a window (it was destroyed).
void QueueDiscardWindow(HWND window);
// Empties the queue and forgets a pending quit (tests start afresh).
void QueueReset();

// ------------------------------------------------------------------ keyboard
// Key lParam as the platform builds it: repeat count 1, bit 30 set when the
// key was already down (auto-repeat); key-up adds bit 31.
LPARAM KeyDownLParam(bool repeat);
void PostKeyDown(HWND window, UINT virtualKey, bool repeat);
void PostKeyUp(HWND window, UINT virtualKey);
// The bytes one WM_CHAR each carries for a UTF-8 text: code points up to
// U+00FF become that byte; control characters (which come from
// TranslateMessage instead), code points above U+00FF and malformed
// sequences are dropped.
std::string TextToCharBytes(const char* utf8);
void PostText(HWND window, const char* utf8);

// ------------------------------------------------------------------ window events
// The window system's own changes of a window, turned into the messages the
// platform sends for them.
void OnWindowMinimized(HWND window);
void OnWindowRestored(HWND window, bool maximized);
void OnWindowMoved(HWND window, int clientX, int clientY);
void OnWindowCloseRequested(HWND window);
void OnWindowExposed(HWND window);
void OnMouseMoved(HWND window);

// Tests: forgets every window, class and waiting message, as at start.
void ResetWindowsForTesting();

// Latin-1 text (window captions, message boxes) as UTF-8 for the window system.
std::string Latin1ToUtf8(const char* text);

}  // namespace platform
