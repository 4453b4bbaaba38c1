#include "FuzzGame.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include "Application.h"
#include "Classes/IScene.h"
#include "support/StageInspector.h"
#include "ScopeTrace.h"
#include "d3dframe/d3dutil.h"
#include "testing.h"

namespace fuzz {

namespace {

const DWORD kWidth = 160;
const DWORD kHeight = 120;

void Check(HRESULT hr, const char* what) {
  if (FAILED(hr)) Fail(std::string("set-up failed: ") + what);
}

// The device objects as the frame would make them, but on a small off-screen
// render target so that a drawn frame costs little.
void CreateDevice() {
  LPDIRECTDRAW7 directDraw = nullptr;
  Check(
      DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&directDraw), IID_IDirectDraw7, nullptr),
      "DirectDrawCreateEx");
  Check(directDraw->SetCooperativeLevel(nullptr, DDSCL_NORMAL), "SetCooperativeLevel");

  DDSURFACEDESC2 desc;
  D3DKit_InitSurfaceDesc(desc, DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT,
                         DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE);
  desc.dwWidth = kWidth;
  desc.dwHeight = kHeight;
  LPDIRECTDRAWSURFACE7 target = nullptr;
  Check(directDraw->CreateSurface(&desc, &target, nullptr), "render target");

  DDSURFACEDESC2 zDesc;
  D3DKit_InitSurfaceDesc(zDesc, DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT,
                         DDSCAPS_ZBUFFER);
  zDesc.dwWidth = kWidth;
  zDesc.dwHeight = kHeight;
  zDesc.ddpfPixelFormat.dwSize = sizeof(DDPIXELFORMAT);
  zDesc.ddpfPixelFormat.dwFlags = DDPF_ZBUFFER;
  zDesc.ddpfPixelFormat.dwZBufferBitDepth = 16;
  zDesc.ddpfPixelFormat.dwZBitMask = 0xFFFF;
  LPDIRECTDRAWSURFACE7 zBuffer = nullptr;
  Check(directDraw->CreateSurface(&zDesc, &zBuffer, nullptr), "z-buffer");
  Check(target->AddAttachedSurface(zBuffer), "attach z-buffer");

  LPDIRECT3D7 direct3D = nullptr;
  Check(directDraw->QueryInterface(IID_IDirect3D7, reinterpret_cast<void**>(&direct3D)),
        "IDirect3D7");
  LPDIRECT3DDEVICE7 device = nullptr;
  Check(direct3D->CreateDevice(IID_IDirect3DRGBDevice, target, &device), "CreateDevice");

  DDSURFACEDESC2 targetDesc;
  D3DKit_InitSurfaceDesc(targetDesc);
  target->GetSurfaceDesc(&targetDesc);
  // The objects live for the whole process, as the core keeps them.
  Check(CApplication::GetInstance()->InitDeviceObjects(directDraw, direct3D, device, target,
                                                       targetDesc, target, target, kWidth, kHeight),
        "InitDeviceObjects");
}

// A tiny generator: the same seed always gives the same typist.
struct Dice {
  uint32_t state;
  uint32_t Next() {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
  }
  bool OneIn(uint32_t n) { return Next() % n == 0; }
};

void CheckBooks(CSceneGame& scene, const char* when) {
  std::string problem = support::LetterBooksProblem(scene);
  if (!problem.empty()) Fail(problem + " (" + when + ")");
}

// The next key of the typist; 0 when it has nothing to type.
int NextKey(CSceneGame& scene, Dice& dice) {
  if (dice.OneIn(29)) return KeyEscape;
  if (dice.OneIn(7)) {
    // A key no word asks for: punctuation, a digit, a control character or
    // a byte above 0x7F (which arrives negative).
    static const char kOdd[] = " 0!\b\t\r\x1b\x7f";
    if (dice.OneIn(2)) return static_cast<signed char>(0x80 + dice.Next() % 0x80);
    return kOdd[dice.Next() % (sizeof kOdd - 1)];
  }
  CSceneGame::CImpl& impl = CSceneGameInspector::Impl(scene);
  if (impl.m_activeTarget) {
    const std::string& rest = impl.m_activeTarget->GetRemainingText();
    return rest.empty() ? 'a' : static_cast<signed char>(rest[0]);
  }
  if (impl.m_letterTargets.empty()) return 0;
  auto held = impl.m_letterTargets.begin();
  std::advance(held, dice.Next() % impl.m_letterTargets.size());
  char initial = held->second->GetText()[0];
  // Shift or not: the same target.
  if (dice.OneIn(3)) initial = static_cast<char>(std::toupper(static_cast<unsigned char>(initial)));
  return static_cast<signed char>(initial);
}

}  // namespace

void Fail(const std::string& what) {
  std::fprintf(stderr, "FINDING: %s\n", what.c_str());
  std::fflush(stderr);
  std::abort();
}

void StartGame() {
  static bool started = false;
  if (started) return;
  started = true;
  // The trace log would grow by every traced call of every input.
  g_traceEnabled = false;
  platform::SetBackend(platform::Backend::Headless);
  platform::UseManualClock(true);
  platform::SetClock(1000);

  char folder[] = "/tmp/voskar-fuzz-XXXXXX";
  if (!mkdtemp(folder) || chdir(folder) != 0) Fail("no working folder");
  // The generated pictures of this build's run folder, else of the release
  // build's. Without them the textures stay blank; the readers and the rules
  // are exercised all the same, but nothing textured is drawn.
  bool linked = false;
  for (const char* run : {VOSKAR_RUN_DIR, VOSKAR_RELEASE_RUN_DIR}) {
    std::string pictures = std::string(run) + "/BMP";
    if (access((pictures + "/Letter.bmp").c_str(), R_OK) != 0) continue;
    if (symlink(pictures.c_str(), "BMP") != 0) Fail("cannot link BMP");
    linked = true;
    break;
  }
  if (!linked) {
    std::fprintf(stderr, "fuzz: no generated pictures found; textures stay blank\n");
    mkdir("BMP", 0755);
  }
  mkdir("Data", 0755);

  Check(CApplication::GetInstance()->OneTimeSceneInit(), "OneTimeSceneInit");
  CreateDevice();
}

std::string WriteInput(const std::string& name, const uint8_t* data, size_t size) {
  std::FILE* file = std::fopen(name.c_str(), "wb");
  if (!file) Fail("cannot write " + name);
  if (size && std::fwrite(data, 1, size, file) != size) Fail("cannot write " + name);
  std::fclose(file);
  return name;
}

std::string WriteInput(const std::string& name, const std::string& text) {
  return WriteInput(name, reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

void PlayStage(CSceneGame& scene, int endMs, int stepMs, int drawEvery, uint32_t seed) {
  Dice dice{seed};
  LPDIRECT3DDEVICE7 device = CApplication::GetInstance()->GetDevice();
  int step = 0;
  for (int t = 0; t <= endMs; t += stepMs, ++step) {
    scene.Move(static_cast<unsigned long>(t));
    CheckBooks(scene, "after a move");
    int presses = 1 + static_cast<int>(dice.Next() % 3);
    for (int k = 0; k < presses; ++k) {
      int key = NextKey(scene, dice);
      if (!key) break;
      scene.CatchKey(key);
      CheckBooks(scene, "after a key");
    }
    if (drawEvery > 0 && step % drawEvery == 0 && device) {
      device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
      scene.Draw();
    }
  }
}

}  // namespace fuzz

// The start-up (pictures read and turned into textures) happens once, before
// the first input is timed.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::StartGame();
  return 0;
}
