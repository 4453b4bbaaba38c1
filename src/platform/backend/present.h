// What DirectDraw asks of the window system: show a finished picture, switch
// between a window and full-screen. Implemented by the SDL and headless
// backends.
#pragma once

#include <cstdint>

#include "win32.h"

namespace platform {

// Shows a picture of width x height 0xXXRRGGBB pixels (the high byte is
// ignored; rows of `pitch` pixels) in the window's client area, scaled to
// fit and letterboxed, then waits for the vertical blank or paces to 60
// frames per second. A copy is kept for capture (the headless backend
// keeps only that); only rows that differ from the last picture are shown
// anew. Capture and PresentCount() see every picture presented.
void PresentPicture(HWND window, const uint32_t* xrgb, int width, int height, int pitch);

// Full-screen on the desktop mode (scaled) or back to the resizable window.
void SetWindowFullscreen(HWND window, bool fullscreen);

// The desktop's size, for the display mode list (640 x 480 when headless).
void DesktopSize(int* width, int* height);

}  // namespace platform
