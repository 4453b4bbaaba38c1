#include "FuzzGame.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "Application.h"
#include "Classes/IScene.h"
#include "ScopeTrace.h"
#include "Typist.h"
#include "support/Device.h"
#include "support/Folder.h"
#include "support/StageInspector.h"
#include "testing.h"

namespace fuzz {

namespace {

void CheckBooks(CSceneGame& scene, const char* when) {
  std::string problem = support::LetterBooksProblem(scene);
  if (!problem.empty()) Fail(problem + " (" + when + ")");
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

  if (!support::EnterTemporaryFolder("voskar-fuzz")) Fail("no working folder");
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

  if (FAILED(CApplication::GetInstance()->OneTimeSceneInit())) Fail("OneTimeSceneInit failed");
  // A small render target, so that a drawn frame costs little; the objects
  // live for the whole process, as the core keeps them.
  const std::string failed = support::GiveCoreADevice(160, 120);
  if (!failed.empty()) Fail("set-up failed: " + failed);
}

std::string WriteInput(const std::string& name, const uint8_t* data, size_t size) {
  return support::WriteFile(name, std::string(reinterpret_cast<const char*>(data), size));
}

std::string WriteInput(const std::string& name, const std::string& text) {
  return support::WriteFile(name, text);
}

void PlayStage(CSceneGame& scene, int endMs, int stepMs, int drawEvery, uint32_t seed) {
  // The careless typist of the replays, keying on every step.
  replay::TypistStyle style;
  style.charsPerSecond = 1000.0;
  style.reactionMs = 0;
  style.errorRate = 0.05;
  style.escapeRate = 0.03;
  style.oddKeyRate = 0.14;
  style.shiftRate = 0.33;
  style.seed = seed;
  replay::Typist typist(style);
  LPDIRECT3DDEVICE7 device = CApplication::GetInstance()->GetDevice();
  int step = 0;
  for (int t = 0; t <= endMs; t += stepMs, ++step) {
    scene.Move(static_cast<unsigned long>(t));
    CheckBooks(scene, "after a move");
    for (int k = 0; k < 3; ++k) {
      const int key = replay::SceneKey(typist.Look(scene, static_cast<uint32_t>(t * 4 + k)));
      if (!key) continue;
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
