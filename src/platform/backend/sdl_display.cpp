// The SDL backend and the display it is given: the choice of video driver,
// the first window's place on a small screen, the report of a display that
// cannot be drawn on, and the X errors about a window another client has
// destroyed.
#include "backend/sdl_display.h"

#include <SDL_syswm.h>
#include <dlfcn.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>

namespace platform {
namespace backend {
namespace sdl {

namespace {

bool Set(const char* name) {
  const char* value = std::getenv(name);
  return value && *value;
}

// Drivers that draw nowhere anyone can see.
bool Invisible(const char* driver) {
  return driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0 ||
                    std::strcmp(driver, "evdev") == 0);
}

// The drivers worth trying when the user has not named one: every driver
// built into SDL that shows windows. Wayland only where a Wayland session
// could be found; trying it elsewhere only prints a complaint about
// XDG_RUNTIME_DIR.
std::string VisibleDrivers() {
  std::string list;
  for (int i = 0; i < SDL_GetNumVideoDrivers(); ++i) {
    const char* name = SDL_GetVideoDriver(i);
    if (!name || Invisible(name)) continue;
    if (std::strcmp(name, "wayland") == 0 && !Set("WAYLAND_DISPLAY") && !Set("XDG_RUNTIME_DIR"))
      continue;
    if (!list.empty()) list += ',';
    list += name;
  }
  return list;
}

void ReportNoDisplay(const char* why) {
  if (Set("SDL_VIDEODRIVER"))
    std::fprintf(stderr, "voskar: cannot open a window with SDL_VIDEODRIVER=%s: %s\n",
                 std::getenv("SDL_VIDEODRIVER"), why);
  else if (Set("DISPLAY"))
    std::fprintf(stderr, "voskar: cannot open a window on display %s: %s\n", std::getenv("DISPLAY"),
                 why);
  else if (Set("WAYLAND_DISPLAY"))
    std::fprintf(stderr, "voskar: cannot open a window on display %s: %s\n",
                 std::getenv("WAYLAND_DISPLAY"), why);
  else
    std::fprintf(stderr, "voskar: cannot open a window on a display: DISPLAY is unset\n");
}

}  // namespace

bool StartVideo() {
  const bool chosen = Set("SDL_VIDEODRIVER");
  if (!chosen) {
    const std::string drivers = VisibleDrivers();
    if (drivers.empty()) {
      ReportNoDisplay("SDL has no driver that shows windows");
      return false;
    }
    SDL_SetHint(SDL_HINT_VIDEODRIVER, drivers.c_str());
  }
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    ReportNoDisplay(SDL_GetError());
    return false;
  }
  if (!chosen && Invisible(SDL_GetCurrentVideoDriver())) {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    ReportNoDisplay("only an invisible driver started");
    return false;
  }
  WatchWindowSystem();
  return true;
}

// ------------------------------------------------------------------ placing
namespace {

// The usable area of the first display, or false when SDL cannot say.
bool UsableArea(SDL_Rect* area) {
  return SDL_GetDisplayUsableBounds(0, area) == 0 && area->w > 0 && area->h > 0;
}

// The largest client size of the window's proportions whose outer size,
// with the frame, fits the area; 640 x 480 when it fits as it is.
void FitClient(const SDL_Rect& area, int frameW, int frameH, int* width, int* height) {
  *width = kClientWidth;
  *height = kClientHeight;
  if (kClientWidth + frameW <= area.w && kClientHeight + frameH <= area.h) return;
  const double scale = std::min(static_cast<double>(area.w - frameW) / kClientWidth,
                                static_cast<double>(area.h - frameH) / kClientHeight);
  *width = std::max(1, static_cast<int>(std::floor(kClientWidth * scale)));
  *height = std::max(1, static_cast<int>(std::floor(kClientHeight * scale)));
}

}  // namespace

void FirstWindowPlace(int* x, int* y, int* width, int* height) {
  *x = *y = static_cast<int>(SDL_WINDOWPOS_CENTERED);
  *width = kClientWidth;
  *height = kClientHeight;
  SDL_Rect area;
  if (!UsableArea(&area)) return;
  FitClient(area, 0, 0, width, height);
  if (*width == kClientWidth) return;
  *x = area.x + (area.w - *width) / 2;
  *y = area.y + (area.h - *height) / 2;
}

void FitFirstWindow(SDL_Window* window, bool show) {
  if (show) SDL_ShowWindow(window);
  SDL_Rect area;
  if (!UsableArea(&area)) return;
  // The frame is only known once a window manager has framed the window,
  // which it does a moment after the window is shown (if there is one).
  int top = 0, left = 0, bottom = 0, right = 0;
  for (int wait = 0; show && wait < 10; ++wait) {
    SDL_PumpEvents();
    if (SDL_GetWindowBordersSize(window, &top, &left, &bottom, &right) == 0 &&
        top + left + bottom + right > 0)
      break;
    top = left = bottom = right = 0;
    SDL_Delay(20);
  }
  int width = 0, height = 0, clientW = 0, clientH = 0;
  SDL_GetWindowSize(window, &clientW, &clientH);
  FitClient(area, left + right, top + bottom, &width, &height);
  if (width == kClientWidth && clientW == kClientWidth) return;
  SDL_SetWindowSize(window, width, height);
  SDL_SetWindowPosition(window, area.x + (area.w - width - left - right) / 2 + left,
                        area.y + (area.h - height - top - bottom) / 2 + top);
}

void ReportNoRenderer(SDL_Window* window) {
  const Uint32 format = SDL_GetWindowPixelFormat(window);
  if (format == SDL_PIXELFORMAT_UNKNOWN) {
    std::fprintf(stderr,
                 "voskar: cannot draw in the window: SDL knows no pixel format for this display "
                 "(colour-mapped displays, such as 8-bit ones, are not supported); it needs 16, "
                 "24 or 32 bits a pixel (%s)\n",
                 SDL_GetError());
  } else if (SDL_ISPIXELFORMAT_INDEXED(format) || SDL_BITSPERPIXEL(format) < 15) {
    std::fprintf(stderr,
                 "voskar: cannot draw in the window: the display has %d bits a pixel (%s); it "
                 "needs 16, 24 or 32 (%s)\n",
                 static_cast<int>(SDL_BITSPERPIXEL(format)), SDL_GetPixelFormatName(format),
                 SDL_GetError());
  } else {
    std::fprintf(stderr, "voskar: cannot draw in the window: %s\n", SDL_GetError());
  }
}

// ------------------------------------------------------------------ X errors
namespace {

using XErrorHandlerFn = int (*)(Display*, XErrorEvent*);
using SetXErrorHandlerFn = XErrorHandlerFn (*)(XErrorHandlerFn);

struct XWatch {
  bool installed = false;
  XErrorHandlerFn previous = nullptr;
  std::set<unsigned long> windows;  // X ids of every window we made
  std::set<unsigned long> gone;     // ... and of those an X error named
};

XWatch& Watch() {
  static XWatch watch;
  return watch;
}

unsigned long XId(SDL_Window* window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return 0;
  return static_cast<unsigned long>(info.info.x11.window);
}

// A window or drawable that does not exist, when it is one of ours, means
// another client destroyed it: it is noted, and the backend closes the
// window as the user would. Every other error goes to the handler that was
// there before (SDL's, then Xlib's, which ends the process).
int OnXError(Display* display, XErrorEvent* error) {
  XWatch& watch = Watch();
  if ((error->error_code == BadWindow || error->error_code == BadDrawable) &&
      watch.windows.count(error->resourceid)) {
    watch.gone.insert(error->resourceid);
    return 0;
  }
  return watch.previous ? watch.previous(display, error) : 0;
}

}  // namespace

void WatchWindowSystem() {
  XWatch& watch = Watch();
  const char* driver = SDL_GetCurrentVideoDriver();
  if (watch.installed || !driver || std::strcmp(driver, "x11") != 0) return;
  // SDL links Xlib; its error handler is one per process.
  void* xlib = dlopen("libX11.so.6", RTLD_LAZY | RTLD_NOLOAD);
  auto setHandler =
      reinterpret_cast<SetXErrorHandlerFn>(dlsym(xlib ? xlib : RTLD_DEFAULT, "XSetErrorHandler"));
  if (xlib) dlclose(xlib);
  if (!setHandler) return;
  watch.previous = setHandler(OnXError);
  watch.installed = true;
}

void WatchWindow(SDL_Window* window) {
  XWatch& watch = Watch();
  if (!watch.installed) return;
  if (const unsigned long id = XId(window)) watch.windows.insert(id);
}

bool WindowGone(SDL_Window* window) {
  XWatch& watch = Watch();
  if (!watch.installed || watch.gone.empty()) return false;
  const unsigned long id = XId(window);
  return id && watch.gone.count(id) != 0;
}

}  // namespace sdl
}  // namespace backend
}  // namespace platform
