// Presenting a 640 x 480 picture in a real window through the SDL backend
// (what DirectDraw's Flip or Blt to the primary surface hands over): the
// copy that finds the changed rows, scaling to the window and the upload,
// without the pacing to 60 frames per second. Process CPU time, so that
// work of the window system's threads in this process counts. The video
// driver is SDL's choice (x11 under xvfb-run), or "dummy" without a display.
// Arguments: window width, height, and whether every frame changes.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <vector>

#include "backend/backend.h"
#include "backend/present.h"
#include "testing.h"

namespace {

HWND const kWindow = reinterpret_cast<HWND>(0x5EED);

void BM_Present(benchmark::State& state) {
  const int width = static_cast<int>(state.range(0));
  const int height = static_cast<int>(state.range(1));
  const bool changing = state.range(2) != 0;
  if (!std::getenv("DISPLAY") && !std::getenv("SDL_VIDEODRIVER"))
    setenv("SDL_VIDEODRIVER", "dummy", 1);
  platform::SetBackend(platform::Backend::Sdl);
  if (!platform::backend::OpenWindow(kWindow, "Voskar present benchmark", 0, 0, true))
    return state.SkipWithError("no window");
  platform::backend::SetGeometry(kWindow, 0, 0, width, height, false, true);
  // Until the window has its size (the window system answers in its time).
  std::vector<uint32_t> shown;
  int w = 0, h = 0;
  for (int i = 0; i < 100 && !(w == width && h == height); ++i) {
    platform::backend::PumpEvents(false);
    platform::backend::sdl::ReadBack(kWindow, &shown, &w, &h);
  }
  // Two pictures (gradients), shown alternately when changing.
  std::vector<uint32_t> pictures[2];
  for (int k = 0; k < 2; ++k)
    for (int y = 0; y < 480; ++y)
      for (int x = 0; x < 640; ++x)
        pictures[k].push_back(static_cast<uint32_t>((x * 255 / 639) << 16 | (y * 255 / 479) << 8 |
                                                    (k ? 0x80 : 0x40)));
  platform::SetFramePacing(false);
  int frame = 0;
  for (auto _ : state) {
    const std::vector<uint32_t>& picture = pictures[changing ? frame++ & 1 : 0];
    platform::PresentPicture(kWindow, picture.data(), 640, 480, 640);
  }
  platform::SetFramePacing(true);
  state.counters["window_w"] = w;
  state.counters["window_h"] = h;
  platform::backend::CloseWindow(kWindow);
  platform::SetBackend(platform::Backend::Headless);
}
BENCHMARK(BM_Present)
    ->Args({640, 480, 1})
    ->Args({640, 480, 0})
    ->Args({1280, 960, 1})
    ->Args({1920, 1080, 1})
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

}  // namespace
