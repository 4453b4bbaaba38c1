// The voskar program until the game lands: a window with an animated test
// picture, driven by the same message loop shape the game uses. Escape or the
// close button ends it.
#include <cmath>
#include <cstdint>
#include <vector>

#include "backend/present.h"
#include "win32.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
bool g_active = false;

uint32_t Rgb(int r, int g, int b) {
  auto clamp = [](int v) { return static_cast<uint32_t>(v < 0 ? 0 : v > 255 ? 255 : v); };
  return clamp(r) << 16 | clamp(g) << 8 | clamp(b);
}

// A night sky with drifting aurora bands, a perspective grid floor, colour
// bars for checking the palette and a white frame marking the picture's edge.
void DrawPicture(std::vector<uint32_t>& pixels, float t) {
  const int horizon = kHeight * 5 / 8;
  float bands[kWidth];
  for (int x = 0; x < kWidth; ++x)
    bands[x] = std::sin(x * 0.012f + t * 0.7f) * 30.0f + horizon * 0.45f;
  for (int y = 0; y < kHeight; ++y) {
    uint32_t* row = pixels.data() + y * kWidth;
    for (int x = 0; x < kWidth; ++x) {
      int r, g, b;
      if (y < horizon) {
        const float v = static_cast<float>(y) / horizon;
        r = static_cast<int>(10 + 30 * v);
        g = static_cast<int>(12 + 20 * v);
        b = static_cast<int>(40 + 60 * v);
        const float d = (y - bands[x]) / 22.0f;
        const float glow = 1.0f / (1.0f + d * d);
        g += static_cast<int>(120 * glow);
        b += static_cast<int>(60 * glow);
        uint32_t hash =
            static_cast<uint32_t>(x) * 0x9E3779B1u ^ static_cast<uint32_t>(y) * 0x85EBCA77u;
        hash ^= hash >> 15;
        hash *= 0xC2B2AE3Du;
        hash ^= hash >> 13;
        if (hash % 700 == 0) r = g = b = 150 + static_cast<int>(hash >> 25);  // stars
      } else {
        // Floor: lines at equal world spacing seen in perspective, moving
        // towards the viewer, about one pixel wide at any distance.
        const float depth = 40.0f / (y - horizon + 1);
        const float worldX = (x - kWidth / 2) * depth * 0.02f;
        const float worldZ = (depth + t * 2.0f) * 4.0f;
        const bool line =
            std::fabs(worldX - std::round(worldX)) < 0.6f * depth * 0.02f ||
            std::fabs(worldZ - std::round(worldZ)) < 0.6f * 4.0f * depth * depth / 40.0f;
        const float fade = static_cast<float>(y - horizon) / (kHeight - horizon);
        r = static_cast<int>(line ? 80 + 160 * fade : 15);
        g = static_cast<int>(line ? 30 + 50 * fade : 8);
        b = static_cast<int>(line ? 90 + 130 * fade : 30);
      }
      row[x] = Rgb(r, g, b);
    }
  }
  // Colour bars: white, yellow, cyan, green, magenta, red, blue, black.
  static const uint32_t kBars[8] = {0xFFFFFF, 0xFFFF00, 0x00FFFF, 0x00FF00,
                                    0xFF00FF, 0xFF0000, 0x0000FF, 0x000000};
  for (int y = 24; y < 56; ++y)
    for (int x = 64; x < kWidth - 64; ++x) pixels[y * kWidth + x] = kBars[(x - 64) * 8 / 512];
  // A square bouncing along the horizon.
  const int cx = static_cast<int>(kWidth / 2 + std::sin(t * 1.3f) * 220);
  const int cy = horizon - 30 - static_cast<int>(std::fabs(std::sin(t * 3.1f)) * 60);
  for (int y = cy - 12; y < cy + 12; ++y)
    for (int x = cx - 12; x < cx + 12; ++x) pixels[y * kWidth + x] = 0xFFC040;
  for (int x = 0; x < kWidth; ++x) pixels[x] = pixels[(kHeight - 1) * kWidth + x] = 0xFFFFFF;
  for (int y = 0; y < kHeight; ++y) pixels[y * kWidth] = pixels[y * kWidth + kWidth - 1] = 0xFFFFFF;
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      g_active = wParam != SIZE_MINIMIZED && wParam != SIZE_MAXHIDE;
      break;
    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE) {
        DestroyWindow(window);
        return 0;
      }
      break;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  windowClass.lpszClassName = "D3D Window";
  if (!RegisterClassA(&windowClass)) return 1;
  HWND window = CreateWindowExA(0, "D3D Window", "Voskar -Night Harrow Typing Game.-",
                                WS_OVERLAPPEDWINDOW | WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT,
                                kWidth, kHeight, nullptr, nullptr, instance, nullptr);
  if (!window) return 1;
  UpdateWindow(window);

  std::vector<uint32_t> pixels(kWidth * kHeight);
  const DWORD start = timeGetTime();
  MSG msg{};
  PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
  while (msg.message != WM_QUIT) {
    const BOOL got =
        g_active ? PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE) : GetMessageA(&msg, nullptr, 0, 0);
    if (got) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    } else if (g_active) {
      // Presenting waits for the display, so this loop does not spin.
      DrawPicture(pixels, (timeGetTime() - start) * 0.001f);
      platform::PresentPicture(window, pixels.data(), kWidth, kHeight, kWidth);
    }
  }
  return static_cast<int>(msg.wParam);
}
