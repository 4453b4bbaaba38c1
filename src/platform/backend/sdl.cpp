// The SDL2 backend: one native window per window record, the picture shown
// in it (sdl_picture.cpp), frame pacing, and the conversion of SDL events
// into window messages.
#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <vector>

#include "backend/backend.h"
#include "backend/icon.h"
#include "backend/sdl_display.h"
#include "backend/sdl_keys.h"
#include "backend/sdl_picture.h"
#include "testing.h"
#include "win32/state.h"

namespace platform {
namespace backend {
namespace sdl {

namespace {

bool g_pacing = true;

struct NativeWindow {
  SDL_Window* window = nullptr;
  WindowPicture picture;
  bool gone = false;         // another client destroyed it
  uint64_t lastPresent = 0;  // SDL performance counter
};

struct State {
  bool videoReady = false;
  std::map<HWND, NativeWindow> windows;
  // Keys whose press switched full-screen: their release is swallowed too.
  std::set<SDL_Scancode> switchKeys;
};

State& GetState() {
  static State state;
  return state;
}

bool EnsureVideo() {
  State& state = GetState();
  if (state.videoReady) return true;
  // Full-screen here is the desktop mode, scaled: switching to another
  // program must not minimise the game.
  SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
  if (!StartVideo()) return false;
  state.videoReady = true;
  return true;
}

NativeWindow* Find(HWND window) {
  State& state = GetState();
  auto it = state.windows.find(window);
  if (it != state.windows.end()) return &it->second;
  // A picture for "no particular window" goes to the main one.
  if (!window && !state.windows.empty()) {
    auto main = state.windows.find(MainWindow());
    return main != state.windows.end() ? &main->second : &state.windows.begin()->second;
  }
  return nullptr;
}

HWND FromSdlId(Uint32 id) {
  for (auto& [handle, native] : GetState().windows)
    if (SDL_GetWindowID(native.window) == id) return handle;
  return MainWindow();
}

void Borders(SDL_Window* window, int* top, int* left, int* bottom, int* right) {
  *top = *left = *bottom = *right = 0;
  if (SDL_GetWindowBordersSize(window, top, left, bottom, right) != 0)
    *top = *left = *bottom = *right = 0;
}

// Shows the whole picture again (the window was resized, exposed or
// switched to full-screen).
void Redraw(NativeWindow& native) {
  if (native.gone) return;
  native.picture.Show(true);
}

// Without a vertical blank to wait for (or when nothing was shown, so that
// nothing waited), frames are paced to 60 per second. With one, a frame is
// still never shorter than a 240th of a second, so a display that claims to
// wait and doesn't cannot make the loop spin.
void Pace(NativeWindow& native, bool waited) {
  if (!g_pacing) return;
  const uint64_t frequency = SDL_GetPerformanceFrequency();
  const uint64_t period = frequency / (waited ? 240 : 60);
  const uint64_t now = SDL_GetPerformanceCounter();
  if (native.lastPresent && now < native.lastPresent + period) {
    const uint64_t remaining = native.lastPresent + period - now;
    SDL_Delay(static_cast<Uint32>(remaining * 1000 / frequency));
  }
  const uint64_t after = SDL_GetPerformanceCounter();
  // Keep a steady rhythm when on time; start afresh after a long frame.
  native.lastPresent = (native.lastPresent && after < native.lastPresent + 2 * period)
                           ? std::max(native.lastPresent + period, after - period / 4)
                           : after;
}

// The program's icon, read once from "voskar.ico" beside the program; none
// when the file is missing or unreadable.
const IconPicture& ProgramIcon() {
  static const IconPicture icon = [] {
    IconPicture picture;
    char* base = SDL_GetBasePath();
    if (!base) return picture;
    std::ifstream in(std::string(base) + "voskar.ico", std::ios::binary);
    SDL_free(base);
    std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)),
                              std::istreambuf_iterator<char>());
    DecodeIcon(file, &picture);
    return picture;
  }();
  return icon;
}

void SetIcon(SDL_Window* window) {
  const IconPicture& icon = ProgramIcon();
  if (icon.argb.empty()) return;
  SDL_Surface* surface =
      SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(icon.argb.data()), icon.width,
                                         icon.height, 32, icon.width * 4, SDL_PIXELFORMAT_ARGB8888);
  if (!surface) return;
  SDL_SetWindowIcon(window, surface);  // SDL keeps its own copy
  SDL_FreeSurface(surface);
}

// Alt+Enter and F11 belong to the window, not to the program in it: they
// switch between the window and the whole desktop, and the program gets no
// message for them. Its client area stays 640 x 480; only the scaling of the
// picture changes, as when the window is resized.
bool IsFullscreenSwitch(const SDL_Keysym& key) {
  if (key.sym == SDLK_F11) return true;
  const bool enter = key.sym == SDLK_RETURN || key.sym == SDLK_KP_ENTER;
  return enter && (key.mod & KMOD_ALT) && !(key.mod & (KMOD_CTRL | KMOD_SHIFT | KMOD_GUI));
}

void SwitchFullscreen(NativeWindow& native) {
  const bool fullscreen = (SDL_GetWindowFlags(native.window) & SDL_WINDOW_FULLSCREEN) != 0;
  SDL_SetWindowFullscreen(native.window, fullscreen ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP);
  Redraw(native);
}

void HandleWindowEvent(const SDL_WindowEvent& event) {
  const HWND window = FromSdlId(event.windowID);
  NativeWindow* native = Find(window);
  switch (event.event) {
    case SDL_WINDOWEVENT_MINIMIZED:
      OnWindowMinimized(window);
      break;
    case SDL_WINDOWEVENT_RESTORED:
      OnWindowRestored(window, false);
      break;
    case SDL_WINDOWEVENT_MAXIMIZED:
      OnWindowRestored(window, true);
      break;
    case SDL_WINDOWEVENT_MOVED:
      OnWindowMoved(window, event.data1, event.data2);
      break;
    case SDL_WINDOWEVENT_CLOSE:
      OnWindowCloseRequested(window);
      break;
    case SDL_WINDOWEVENT_EXPOSED:
      if (native) Redraw(*native);
      OnWindowExposed(window);
      break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
      if (native) Redraw(*native);
      break;
    default:
      break;
  }
}

void HandleEvent(const SDL_Event& event) {
  switch (event.type) {
    case SDL_KEYDOWN: {
      if (IsFullscreenSwitch(event.key.keysym)) {
        GetState().switchKeys.insert(event.key.keysym.scancode);
        NativeWindow* native = Find(FromSdlId(event.key.windowID));
        if (native && !event.key.repeat) SwitchFullscreen(*native);
        break;
      }
      const UINT key = VirtualKeyFromSdl(event.key.keysym.sym, event.key.keysym.scancode);
      if (key) PostKeyDown(FromSdlId(event.key.windowID), key, event.key.repeat != 0);
      break;
    }
    case SDL_KEYUP: {
      if (GetState().switchKeys.erase(event.key.keysym.scancode)) break;
      const UINT key = VirtualKeyFromSdl(event.key.keysym.sym, event.key.keysym.scancode);
      if (key) PostKeyUp(FromSdlId(event.key.windowID), key);
      break;
    }
    case SDL_TEXTINPUT:
      PostText(FromSdlId(event.text.windowID), event.text.text);
      break;
    case SDL_WINDOWEVENT:
      HandleWindowEvent(event.window);
      break;
    case SDL_MOUSEMOTION:
      OnMouseMoved(FromSdlId(event.motion.windowID));
      break;
    case SDL_QUIT:
      // An interrupt or the session ending: close the main window as the
      // user would.
      if (MainWindow() && !QueueHas(MainWindow(), WM_CLOSE)) OnWindowCloseRequested(MainWindow());
      break;
    default:
      break;
  }
}

}  // namespace

bool OpenWindow(HWND window, const std::string& utf8Title, int x, int y, bool visible) {
  if (!EnsureVideo()) return false;
  Uint32 flags = SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI;
  int posX = x == CW_USEDEFAULT ? static_cast<int>(SDL_WINDOWPOS_CENTERED) : x;
  int posY = y == CW_USEDEFAULT ? static_cast<int>(SDL_WINDOWPOS_CENTERED) : y;
  int width = kClientWidth, height = kClientHeight;
  if (x == CW_USEDEFAULT && y == CW_USEDEFAULT) FirstWindowPlace(&posX, &posY, &width, &height);
  // A window scaled down to fit a small screen is fitted again, frame
  // included, before it is shown.
  const bool fitted = width != kClientWidth;
  flags |= visible && !fitted ? SDL_WINDOW_SHOWN : SDL_WINDOW_HIDDEN;
  NativeWindow native;
  native.window = SDL_CreateWindow(utf8Title.c_str(), posX, posY, width, height, flags);
  if (!native.window) {
    std::fprintf(stderr, "voskar: cannot open a window: %s\n", SDL_GetError());
    return false;
  }
  if (!native.picture.Open(native.window)) {
    ReportNoRenderer(native.window);
    SDL_DestroyWindow(native.window);
    return false;
  }
  // Making the renderer may have made the native window anew.
  WatchWindow(native.window);
  if (fitted) FitFirstWindow(native.window, visible);
  SetIcon(native.window);
  SDL_StartTextInput();
  GetState().windows[window] = native;
  Redraw(GetState().windows[window]);
  return true;
}

void CloseWindow(HWND window) {
  State& state = GetState();
  auto it = state.windows.find(window);
  if (it == state.windows.end()) return;
  NativeWindow& native = it->second;
  native.picture.Close();
  SDL_DestroyWindow(native.window);
  state.windows.erase(it);
}

void SetBordered(HWND window, bool bordered) {
  if (NativeWindow* native = Find(window))
    SDL_SetWindowBordered(native->window, bordered ? SDL_TRUE : SDL_FALSE);
}

void ShowWindow(HWND window) {
  if (NativeWindow* native = Find(window)) SDL_ShowWindow(native->window);
}

void SetMinimumSize(HWND window, int width, int height) {
  if (NativeWindow* native = Find(window))
    SDL_SetWindowMinimumSize(native->window, std::max(1, width), std::max(1, height));
}

bool GetGeometry(HWND window, RECT* outer, POINT* clientOrigin) {
  NativeWindow* native = Find(window);
  if (!native || !window) return false;
  int x = 0, y = 0, w = 0, h = 0, top, left, bottom, right;
  SDL_GetWindowPosition(native->window, &x, &y);
  SDL_GetWindowSize(native->window, &w, &h);
  Borders(native->window, &top, &left, &bottom, &right);
  if (outer) *outer = RECT{x - left, y - top, x + w + right, y + h + bottom};
  if (clientOrigin) *clientOrigin = POINT{x, y};
  return true;
}

void SetGeometry(HWND window, int x, int y, int cx, int cy, bool move, bool size) {
  NativeWindow* native = Find(window);
  if (!native || !window) return;
  int top, left, bottom, right;
  Borders(native->window, &top, &left, &bottom, &right);
  if (move) SDL_SetWindowPosition(native->window, x + left, y + top);
  if (size)
    SDL_SetWindowSize(native->window, std::max(1, cx - left - right),
                      std::max(1, cy - top - bottom));
}

void ShowCursor(bool show) {
  if (GetState().videoReady) SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
}

void PumpEvents(bool wait) {
  if (!GetState().videoReady) return;
  SDL_Event event;
  if (wait && SDL_WaitEventTimeout(&event, 100)) HandleEvent(event);
  while (SDL_PollEvent(&event)) HandleEvent(event);
  // A window another client destroyed is closed as if the user had closed
  // it, so the program ends the usual way with its log complete.
  for (auto& [handle, native] : GetState().windows) {
    if (native.gone || !WindowGone(native.window)) continue;
    native.gone = true;
    std::fprintf(stderr, "voskar: the window was destroyed by another program; closing\n");
    if (!QueueHas(handle, WM_CLOSE)) OnWindowCloseRequested(handle);
  }
}

bool ShowMessageBox(HWND parent, const std::string& utf8Caption, const std::string& utf8Text,
                    UINT type) {
  Uint32 flags = SDL_MESSAGEBOX_INFORMATION;
  if ((type & 0xF0) == MB_ICONERROR)
    flags = SDL_MESSAGEBOX_ERROR;
  else if ((type & 0xF0) == MB_ICONWARNING)
    flags = SDL_MESSAGEBOX_WARNING;
  NativeWindow* native = parent ? Find(parent) : nullptr;
  return SDL_ShowSimpleMessageBox(flags, utf8Caption.c_str(), utf8Text.c_str(),
                                  native ? native->window : nullptr) == 0;
}

void Present(HWND window, const uint32_t* xrgb, int width, int height, int pitch, int top,
             int bottom) {
  NativeWindow* native = Find(window);
  if (!native || native->gone) return;
  native->picture.Update(xrgb, width, height, pitch, top, bottom);
  // A picture like the last one is not shown again (the window still shows
  // it), and then nothing waits for the vertical blank.
  Pace(*native, native->picture.Pending() && native->picture.Vsync());
  native->picture.Show(false);
}

void SetPacing(bool on) {
  g_pacing = on;
}

void SetFullscreen(HWND window, bool fullscreen) {
  NativeWindow* native = Find(window);
  if (!native) return;
  SDL_SetWindowFullscreen(native->window, fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
  Redraw(*native);
}

bool DesktopSize(int* width, int* height) {
  if (!EnsureVideo()) return false;
  int display = 0;
  if (NativeWindow* native = Find(MainWindow())) {
    display = SDL_GetWindowDisplayIndex(native->window);
    if (display < 0) display = 0;
  }
  SDL_DisplayMode mode;
  if (SDL_GetDesktopDisplayMode(display, &mode) != 0) return false;
  *width = mode.w;
  *height = mode.h;
  return true;
}

bool ReadBack(HWND window, std::vector<uint32_t>* pixels, int* width, int* height) {
  NativeWindow* native = Find(window);
  return native && native->picture.ReadBack(pixels, width, height);
}

bool CheckDisplay() {
  return EnsureVideo();
}

void Shutdown() {
  State& state = GetState();
  while (!state.windows.empty()) CloseWindow(state.windows.begin()->first);
  if (state.videoReady) SDL_QuitSubSystem(SDL_INIT_VIDEO);
  state.videoReady = false;
}

}  // namespace sdl
}  // namespace backend
}  // namespace platform
