// How the SDL backend meets the display it is given: which video driver it
// starts, where the first window goes, and what happens when another client
// takes the window away.
#pragma once

#include <SDL.h>

namespace platform {
namespace backend {
namespace sdl {

// The client area every window of the game has, whatever its outer size.
constexpr int kClientWidth = 640;
constexpr int kClientHeight = 480;

// Starts SDL's video. Unless SDL_VIDEODRIVER names a driver, only drivers
// that show windows are tried, never the invisible offscreen or dummy ones.
// On failure writes one line to stderr that names the display (or says that
// DISPLAY is unset) and returns false.
bool StartVideo();

// The outer size and place of the first window: 640 x 480 inside, or
// smaller with the same proportions when the display's usable area is
// smaller, centred on that area. x and y are SDL positions of the client.
void FirstWindowPlace(int* x, int* y, int* width, int* height);

// Sizes and places a window just made (still hidden) so that it fits the
// usable area with its frame, then shows it when asked.
void FitFirstWindow(SDL_Window* window, bool show);

// Says on stderr why nothing can be drawn in a window whose renderer could
// not be made (for example an 8-bit colour-mapped display).
void ReportNoRenderer(SDL_Window* window);

// Watches the X connection, where there is one: an error about one of our
// windows (another client destroyed it) no longer ends the process; the
// window is reported gone instead.
void WatchWindowSystem();
// Notes a window just made as ours (errors naming it are about us).
void WatchWindow(SDL_Window* window);
// Whether the window system has taken this window away.
bool WindowGone(SDL_Window* window);

}  // namespace sdl
}  // namespace backend
}  // namespace platform
