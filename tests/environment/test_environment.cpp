// In-process cases of the hostile surroundings: the log file is never
// written through a link, an error box that ends the program ends it with a
// failure status, and surfaces beyond the memory budget are parked and come
// back intact.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "d3dframe/d3dapp.h"
#include "ddraw/directdraw.h"
#include "ddraw/surface.h"
#include "port.h"
#include "testing.h"

namespace {

std::string Read(const std::string& path) {
  std::ifstream in(path);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(LogFile, IsNeverWrittenThroughALinkAndNeverWaitsOnAPipe) {
  char folder[] = "/tmp/voskar-log-XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  const std::string dir = folder;
  std::ofstream(dir + "/target") << "precious";
  ASSERT_EQ(symlink((dir + "/target").c_str(), (dir + "/symbolic.txt").c_str()), 0);
  ASSERT_EQ(link((dir + "/target").c_str(), (dir + "/hard.txt").c_str()), 0);
  ASSERT_EQ(mkfifo((dir + "/pipe.txt").c_str(), 0600), 0);
  for (const char* name : {"symbolic.txt", "hard.txt", "pipe.txt"}) {
    std::ofstream log;
    EXPECT_FALSE(Port_OpenLogFile(log, (dir + "/" + name).c_str())) << name;
    log << "dropped" << std::endl;
    EXPECT_TRUE(log.fail()) << name;
  }
  EXPECT_EQ(Read(dir + "/target"), "precious");

  // A plain file is emptied and written; a missing one is made.
  std::ofstream(dir + "/plain.txt") << "an earlier run";
  for (const char* name : {"plain.txt", "new.txt"}) {
    std::ofstream log;
    ASSERT_TRUE(Port_OpenLogFile(log, (dir + "/" + name).c_str())) << name;
    log << "+" << std::endl;
    EXPECT_EQ(Read(dir + "/" + name), "+\n") << name;
  }
  for (const char* name :
       {"target", "symbolic.txt", "hard.txt", "pipe.txt", "plain.txt", "new.txt"})
    unlink((dir + "/" + name).c_str());
  rmdir(folder);
}

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
  // The display cannot be built again after the switch to full-screen.
  app.initResult = E_FAIL;
  SendMessageA(app.m_window, WM_COMMAND, IDM_TOGGLEFULLSCREEN, 0);
  std::vector<platform::MessageBoxCall> boxes = platform::TakeMessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].type, static_cast<UINT>(MB_ICONERROR));
  EXPECT_NE(boxes[0].text.find("This sample will now exit."), std::string::npos);
  EXPECT_NE(app.Run(), 0);
  platform::UseManualClock(false);
}

IDirectDrawSurface7* MakeSurface(IDirectDraw7* directDraw, DWORD caps) {
  DDSURFACEDESC2 desc{};
  desc.dwSize = sizeof(desc);
  desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
  desc.dwWidth = desc.dwHeight = 256;
  desc.ddsCaps.dwCaps = caps;
  IDirectDrawSurface7* surface = nullptr;
  EXPECT_EQ(directDraw->CreateSurface(&desc, &surface, nullptr), DD_OK);
  return surface;
}

// Writes (seed = 0) a label-like picture, or (seed > 0) noise, and reads it
// back: true when it holds what was written.
bool Pixels(IDirectDrawSurface7* surface, uint32_t seed, bool write) {
  DDSURFACEDESC2 desc{};
  desc.dwSize = sizeof(desc);
  if (surface->Lock(nullptr, &desc, 0, nullptr) != DD_OK) return false;
  bool same = true;
  for (int y = 0; y < 256; ++y) {
    auto* row =
        reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(desc.lpSurface) + y * desc.lPitch);
    for (uint32_t x = 0, value; x < 256; ++x) {
      value =
          seed ? (x * 2654435761u) ^ (y * 40503u + seed) : (y / 64 == 2 && x % 32 < 9 ? x : ~0u);
      if (write) row[x] = value;
      same = same && row[x] == value;
    }
  }
  surface->Unlock(nullptr);
  return same;
}

TEST(ManagedSurfaces, UnusedSurfacesBeyondTheBudgetAreParkedAndComeBackIntact) {
  IDirectDraw7* directDraw = nullptr;
  ASSERT_EQ(
      DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&directDraw), IID_IDirectDraw7, nullptr),
      DD_OK);
  IDirectDrawSurface7* label = MakeSurface(directDraw, DDSCAPS_TEXTURE);
  IDirectDrawSurface7* noise = MakeSurface(directDraw, DDSCAPS_TEXTURE);
  IDirectDrawSurface7* locked = MakeSurface(directDraw, DDSCAPS_TEXTURE);
  IDirectDrawSurface7* target = MakeSurface(directDraw, DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE);
  IDirectDrawSurface7* untouched = MakeSurface(directDraw, DDSCAPS_TEXTURE);
  ASSERT_TRUE(Pixels(label, 0, true) && Pixels(noise, 7, true) && Pixels(target, 0, true));
  DDSURFACEDESC2 desc{};
  desc.dwSize = sizeof(desc);
  ASSERT_EQ(locked->Lock(nullptr, &desc, 0, nullptr), DD_OK);
  platform::DirectDraw* owner = platform::DirectDraw::From(directDraw);
  RECT all{0, 0, 256, 256};
  owner->Present(nullptr, *platform::Surface::From(target), all);  // the next frame
  owner->ManageMemory(0);

  auto parked = [](IDirectDrawSurface7* s) { return platform::Surface::From(s)->Parked(); };
  EXPECT_TRUE(parked(label));
  EXPECT_EQ(platform::Surface::From(label)->BytesInUse(), 0u);
  EXPECT_FALSE(parked(noise));  // it would not shrink
  EXPECT_FALSE(parked(locked));
  EXPECT_FALSE(parked(target));  // drawn into by the device
  EXPECT_FALSE(parked(untouched));
  EXPECT_TRUE(Pixels(label, 0, false));
  EXPECT_FALSE(parked(label));
  EXPECT_TRUE(Pixels(noise, 7, false));
  locked->Unlock(nullptr);
  for (IDirectDrawSurface7* s : {label, noise, locked, target, untouched}) s->Release();
  directDraw->Release();
}

}  // namespace
