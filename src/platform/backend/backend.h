// What the Win32 stand-in asks of the window system: native windows, events,
// the cursor and message boxes. The SDL backend implements these with SDL2;
// with the headless backend there are no native windows and these calls do
// nothing (the records in win32/ are the whole window).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "win32.h"

namespace platform {
namespace backend {

// Opens the native window for a record: client area 640 x 480 logical
// pixels, resizable, scaled picture. x/y CW_USEDEFAULT let the window system
// place it. False when no native window could be made.
bool OpenWindow(HWND window, const std::string& utf8Title, int x, int y, bool visible);
void CloseWindow(HWND window);
void SetBordered(HWND window, bool bordered);
void ShowWindow(HWND window);
void SetMinimumSize(HWND window, int width, int height);
// Outer rectangle and client origin in screen coordinates; false when the
// window has no native counterpart.
bool GetGeometry(HWND window, RECT* outer, POINT* clientOrigin);
// Moves and/or sizes the window by its outer rectangle.
void SetGeometry(HWND window, int x, int y, int cx, int cy, bool move, bool size);
void ShowCursor(bool show);
// Converts pending window-system events into messages; with wait, first
// blocks until at least one event arrives (or a short timeout passes).
void PumpEvents(bool wait);
// Shows a modal message box; false when there is no display to show it on.
bool ShowMessageBox(HWND parent, const std::string& utf8Caption, const std::string& utf8Text,
                    UINT type);
// Forgets every native window and shuts the window system down (tests).
void Shutdown();
// Whether windows can be shown at all: always with the headless backend;
// with SDL, whether its video starts on a driver that shows windows. When
// not, one line on stderr has said why.
bool CheckDisplay();

// SDL implementation, selected by CurrentBackend().
namespace sdl {
bool OpenWindow(HWND window, const std::string& utf8Title, int x, int y, bool visible);
void CloseWindow(HWND window);
void SetBordered(HWND window, bool bordered);
void ShowWindow(HWND window);
void SetMinimumSize(HWND window, int width, int height);
bool GetGeometry(HWND window, RECT* outer, POINT* clientOrigin);
void SetGeometry(HWND window, int x, int y, int cx, int cy, bool move, bool size);
void ShowCursor(bool show);
void PumpEvents(bool wait);
bool ShowMessageBox(HWND parent, const std::string& utf8Caption, const std::string& utf8Text,
                    UINT type);
// Rows [top, bottom) of the picture changed since the last present (none
// when top == bottom); `xrgb` stays valid until the next present.
void Present(HWND window, const uint32_t* xrgb, int width, int height, int pitch, int top,
             int bottom);
// Off: Present does not wait for the next frame's time (benchmarks).
void SetPacing(bool on);
void SetFullscreen(HWND window, bool fullscreen);
bool DesktopSize(int* width, int* height);
// The window's content as drawn at its native size (0xAARRGGBB); tests.
bool ReadBack(HWND window, std::vector<uint32_t>* pixels, int* width, int* height);
void Shutdown();
bool CheckDisplay();
}  // namespace sdl

}  // namespace backend
}  // namespace platform
