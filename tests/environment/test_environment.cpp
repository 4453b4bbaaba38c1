// In-process cases of the hostile surroundings: an error box that ends the
// program ends it with a failure status, and surfaces beyond the memory
// budget are parked and come back intact.
#include <gtest/gtest.h>
#include "d3dframe/d3dapp.h"
#include "ddraw/directdraw.h"
#include "ddraw/surface.h"
#include "testing.h"

namespace {

class FailingApp : public CD3DApplication {
 public:
  HRESULT InitDeviceObjects() override { return initResult; }
  HRESULT initResult = S_OK;
  using CD3DApplication::m_window;
};

TEST(ErrorBox, ThatEndsTheProgramEndsItWithAFailureStatus) {
  platform::UseManualClock(true);
  FailingApp app;
  ASSERT_EQ(app.Create(nullptr, ""), S_OK);
  platform::TakeMessageBoxes();
  app.initResult = E_FAIL;  // the display cannot be built again in full-screen
  SendMessageA(app.m_window, WM_COMMAND, IDM_TOGGLEFULLSCREEN, 0);
  std::vector<platform::MessageBoxCall> boxes = platform::TakeMessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].text.find("This sample will now exit."), std::string::npos);
  EXPECT_NE(app.Run(), 0);
  platform::UseManualClock(false);
}

platform::Surface* Surface(IDirectDraw7* directDraw, DWORD caps) {
  DDSURFACEDESC2 desc{};
  desc.dwSize = sizeof(desc);
  desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
  desc.dwWidth = desc.dwHeight = 256;
  desc.ddsCaps.dwCaps = caps;
  IDirectDrawSurface7* surface = nullptr;
  EXPECT_EQ(directDraw->CreateSurface(&desc, &surface, nullptr), DD_OK);
  return platform::Surface::From(surface);
}

// Writes, or with `check` compares, 256 x 256 pixels: a word on white
// (seed 0) or noise.
bool Pixels(platform::Surface* surface, uint32_t seed, bool check) {
  uint8_t* bits = surface->Bits();
  for (uint32_t y = 0; y < 256; ++y) {
    for (uint32_t x = 0; x < 256; ++x) {
      const uint32_t value =
          seed ? x * 2654435761u ^ (y + seed) * 40503u : (y / 64 == 2 && x % 32 < 9 ? x : ~0u);
      auto* pixel = reinterpret_cast<uint32_t*>(bits + y * surface->Pitch()) + x;
      if (check && *pixel != value) return false;
      *pixel = value;
    }
  }
  return true;
}

TEST(ManagedSurfaces, UnusedSurfacesBeyondTheBudgetAreParkedAndComeBackIntact) {
  IDirectDraw7* directDraw = nullptr;
  ASSERT_EQ(
      DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&directDraw), IID_IDirectDraw7, nullptr),
      DD_OK);
  platform::Surface* word = Surface(directDraw, DDSCAPS_TEXTURE);
  platform::Surface* noise = Surface(directDraw, DDSCAPS_TEXTURE);
  platform::Surface* target = Surface(directDraw, DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE);
  platform::Surface* untouched = Surface(directDraw, DDSCAPS_TEXTURE);
  Pixels(word, 0, false);
  Pixels(noise, 7, false);
  Pixels(target, 0, false);
  platform::DirectDraw* owner = platform::DirectDraw::From(directDraw);
  owner->Present(nullptr, *target, RECT{0, 0, 256, 256});  // the next frame
  owner->ManageMemory(0);
  EXPECT_TRUE(word->Parked());
  EXPECT_EQ(word->BytesInUse(), 0u);
  EXPECT_FALSE(noise->Parked());      // it would not shrink
  EXPECT_FALSE(target->Parked());     // the device draws into it
  EXPECT_FALSE(untouched->Parked());  // it holds no memory
  EXPECT_TRUE(Pixels(word, 0, true));
  EXPECT_FALSE(word->Parked());
  EXPECT_TRUE(Pixels(noise, 7, true));
  for (platform::Surface* s : {word, noise, target, untouched}) s->Release();
  directDraw->Release();
}

}  // namespace
