// Backend selection and the parts common to both backends: dispatch to SDL
// or to nothing (headless), and the copy of the last presented picture that
// tests capture.
#include "backend/backend.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "backend/modal_box.h"
#include "backend/png.h"
#include "backend/present.h"
#include "testing.h"

namespace platform {

namespace {

Backend BackendFromEnvironment() {
  const char* value = std::getenv("VOSKAR_BACKEND");
  if (value && std::strcmp(value, "headless") == 0) return Backend::Headless;
  return Backend::Sdl;
}

struct BackendChoice {
  bool chosen = false;
  Backend backend = Backend::Sdl;
};

BackendChoice& Choice() {
  static BackendChoice choice;
  return choice;
}

struct Presented {
  std::vector<uint32_t> pixels;  // 0xXXRRGGBB as given, the high byte ignored
  int width = 0;
  int height = 0;
  uint64_t count = 0;
};

Presented& LastPresented() {
  static Presented presented;
  return presented;
}

bool Sdl() {
  return CurrentBackend() == Backend::Sdl;
}

}  // namespace

void SetBackend(Backend backend) {
  BackendChoice& choice = Choice();
  if (choice.chosen && choice.backend == Backend::Sdl && backend != Backend::Sdl)
    backend::sdl::Shutdown();
  choice.chosen = true;
  choice.backend = backend;
}

Backend CurrentBackend() {
  BackendChoice& choice = Choice();
  if (!choice.chosen) {
    choice.chosen = true;
    choice.backend = BackendFromEnvironment();
  }
  return choice.backend;
}

// ------------------------------------------------------------------ dispatch
namespace backend {

bool OpenWindow(HWND window, const std::string& utf8Title, int x, int y, bool visible) {
  return Sdl() ? sdl::OpenWindow(window, utf8Title, x, y, visible) : true;
}
void CloseWindow(HWND window) {
  if (Sdl()) sdl::CloseWindow(window);
}
void SetBordered(HWND window, bool bordered) {
  if (Sdl()) sdl::SetBordered(window, bordered);
}
void ShowWindow(HWND window) {
  if (Sdl()) sdl::ShowWindow(window);
}
void SetMinimumSize(HWND window, int width, int height) {
  if (Sdl()) sdl::SetMinimumSize(window, width, height);
}
bool GetGeometry(HWND window, RECT* outer, POINT* clientOrigin) {
  return Sdl() && sdl::GetGeometry(window, outer, clientOrigin);
}
void SetGeometry(HWND window, int x, int y, int cx, int cy, bool move, bool size) {
  if (Sdl()) sdl::SetGeometry(window, x, y, cx, cy, move, size);
}
void ShowCursor(bool show) {
  if (Sdl()) sdl::ShowCursor(show);
}
void PumpEvents(bool wait) {
  if (Sdl()) sdl::PumpEvents(wait);
}
bool ShowMessageBox(HWND parent, const std::string& utf8Caption, const std::string& utf8Text,
                    UINT type) {
  if (!Sdl()) return false;
  ModalBoxGuard guard;
  return sdl::ShowMessageBox(parent, utf8Caption, utf8Text, type);
}
void Shutdown() {
  if (Sdl()) sdl::Shutdown();
}
bool CheckDisplay() {
  return !Sdl() || sdl::CheckDisplay();
}

}  // namespace backend

// ------------------------------------------------------------------ present.h
void PresentPicture(HWND window, const uint32_t* xrgb, int width, int height, int pitch) {
  if (!xrgb || width <= 0 || height <= 0 || pitch < width) return;
  Presented& last = LastPresented();
  // The copy (kept for capture, and shown again when the window needs it)
  // also finds the rows that changed: only those go to the window.
  int top = 0, bottom = height;
  if (last.width == width && last.height == height) {
    top = height;
    bottom = 0;
    const size_t rowBytes = sizeof(uint32_t) * static_cast<size_t>(width);
    for (int y = 0; y < height; ++y) {
      const uint32_t* src = xrgb + static_cast<size_t>(y) * pitch;
      uint32_t* dst = last.pixels.data() + static_cast<size_t>(y) * width;
      if (std::memcmp(dst, src, rowBytes) == 0) continue;
      std::memcpy(dst, src, rowBytes);
      top = std::min(top, y);
      bottom = y + 1;
    }
    if (top >= bottom) top = bottom = 0;
  } else {
    last.width = width;
    last.height = height;
    last.pixels.resize(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y)
      std::memcpy(last.pixels.data() + static_cast<size_t>(y) * width,
                  xrgb + static_cast<size_t>(y) * pitch, sizeof(uint32_t) * width);
  }
  ++last.count;
  if (Sdl()) backend::sdl::Present(window, last.pixels.data(), width, height, width, top, bottom);
}

void SetWindowFullscreen(HWND window, bool fullscreen) {
  if (Sdl()) backend::sdl::SetFullscreen(window, fullscreen);
}

void DesktopSize(int* width, int* height) {
  int w = 640, h = 480;
  if (Sdl()) backend::sdl::DesktopSize(&w, &h);
  if (width) *width = w;
  if (height) *height = h;
}

// ------------------------------------------------------------------ capture
std::vector<uint32_t> PresentedPixels(int* width, int* height) {
  const Presented& last = LastPresented();
  if (width) *width = last.width;
  if (height) *height = last.height;
  std::vector<uint32_t> pixels(last.pixels.size());
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = last.pixels[i] | 0xFF000000u;
  return pixels;
}

bool CapturePresented(const std::string& pngPath) {
  const Presented& last = LastPresented();
  if (last.pixels.empty()) return false;
  // Written as RGB: the high byte is not read.
  return WritePng(pngPath, last.pixels.data(), last.width, last.height, last.width);
}

void SetFramePacing(bool on) {
  backend::sdl::SetPacing(on);
}

uint64_t PresentCount() {
  return LastPresented().count;
}

}  // namespace platform
