#include "ReplayGame.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "Classes/SceneSelect.h"
#include "backend/png.h"
#include "d3dframe/d3dtextr.h"
#include "support/Golden.h"
#include "testing.h"

namespace replay {
namespace {

std::vector<std::string> g_failures;
CSceneGame* g_stage = nullptr;
int g_stagesBuilt = 0;
const uint32_t kClockStartMs = 1000;
std::string g_folder;
const int kStatisticsRows = 16;

// The game scene as the level select builds it; its destructor tells the
// harness that the stage is over.
class WatchedStage : public CSceneGame {
 public:
  using CSceneGame::CSceneGame;
  ~WatchedStage() override {
    if (g_stage == this) g_stage = nullptr;
  }
};

IScene* BuildWatchedStage(const std::string& sceneFile, const std::string& pathFile,
                          const std::string& wordList, bool keyboard) {
  WatchedStage* stage = new WatchedStage(sceneFile, pathFile, wordList, keyboard);
  g_stage = stage;
  ++g_stagesBuilt;
  return stage;
}

}  // namespace

void Fail(const std::string& text) {
  g_failures.push_back(text);
}

const std::vector<std::string>& Failures() {
  return g_failures;
}

CSceneGame* CurrentStage() {
  return g_stage;
}

int StagesBuilt() {
  return g_stagesBuilt;
}

uint32_t FrameTimeMs(uint64_t frame) {
  return static_cast<uint32_t>(frame * 1000 / 60);
}

bool PrepareProcess() {
  platform::SetBackend(platform::Backend::Headless);
  platform::UseManualClock(true);
  platform::SetClock(kClockStartMs);
  char folder[] = "/tmp/voskar-replay-XXXXXX";
  if (!mkdtemp(folder) || chdir(folder) != 0) {
    fprintf(stderr, "cannot make a working folder\n");
    return false;
  }
  g_folder = folder;
  std::string run = VOSKAR_RUN_DIR;
  for (const char* file : {"/BMP/Title2.bmp", "/BMP/Letter.bmp", "/Data/scene10e.txt",
                           "/Data/scene10d.txt", "/Data/path10.txt", "/Data/easy.txt"}) {
    if (access((run + file).c_str(), R_OK) != 0) {
      fprintf(stderr, "no %s in %s (build the voskar_run target)\n", file, run.c_str());
      return false;
    }
  }
  if (symlink((run + "/BMP").c_str(), "BMP") != 0 || symlink((run + "/Data").c_str(), "Data") != 0)
    return false;
  SetGameSceneFactory(BuildWatchedStage);
  return true;
}

void LeaveProcess() {
  if (g_folder.empty()) return;
  for (const char* file : {"log.txt", "BMP", "Data"}) unlink((g_folder + "/" + file).c_str());
  if (chdir("/") == 0) rmdir(g_folder.c_str());
  g_folder.clear();
}

long TraceLogBytes() {
  struct stat info;
  return stat((g_folder + "/log.txt").c_str(), &info) == 0 ? static_cast<long>(info.st_size) : -1;
}

std::string OutputDir() {
  mkdir(VOSKAR_REPLAY_OUTPUT_DIR, 0755);
  return VOSKAR_REPLAY_OUTPUT_DIR;
}

ReplayGame::ReplayGame(unsigned seed) : m_seed(seed) {}

bool ReplayGame::Play(uint64_t frameLimit) {
  if (FAILED(Create(GetModuleHandleA(nullptr), ""))) {
    Fail("Create failed");
    return false;
  }
  // The game core seeded the generator from the calendar time in Create.
  std::srand(m_seed);
  std::function<void(uint64_t)> script = m_script;
  m_script = [this, script, frameLimit](uint64_t frame) {
    if (script) script(frame);
    if (frame + 1 == frameLimit) {
      Fail("the replay did not finish within " + std::to_string(frameLimit) + " frames");
      Close();
    }
  };
  Run();
  return true;
}

void ReplayGame::CheckNextPicture(const std::string& name, const std::string& reference) {
  m_pendingChecks.emplace_back(name, reference.empty() ? name : reference);
}

void ReplayGame::Close() {
  PostMessageA(m_window, WM_CLOSE, 0, 0);
}

HRESULT ReplayGame::FrameMove(float time) {
  // The previous frame has been presented by now.
  if (!m_checksAfterPresent.empty() || m_pictureAfterPresent) {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels = platform::PresentedPixels(&width, &height);
    for (const auto& check : m_checksAfterPresent)
      ComparePicture(check.first, check.second, pixels, width, height);
    m_checksAfterPresent.clear();
    if (m_pictureAfterPresent) *m_pictureAfterPresent = pixels;
    m_pictureAfterPresent = nullptr;
  }
  return CMyD3DApplication::FrameMove(time);
}

HRESULT ReplayGame::Render() {
  bool wanted = !m_pendingChecks.empty() || m_pictureOut;
  bool draw = wanted || m_drawEvery <= 1 || m_frame % m_drawEvery == 0;
  HRESULT hr = S_OK;
  if (draw) hr = CMyD3DApplication::Render();
  if (wanted) {
    m_checksAfterPresent.swap(m_pendingChecks);
    m_pictureAfterPresent = m_pictureOut;
    m_pictureOut = nullptr;
  }
  if (m_script) m_script(m_frame);
  ++m_frame;
  platform::SetClock(kClockStartMs + FrameTimeMs(m_frame));
  return hr;
}

void ComparePicture(const std::string& name, const std::string& reference,
                    const std::vector<uint32_t>& pixels, int width, int height) {
  if (pixels.empty()) return Fail(name + ": nothing presented");
  platform::WritePng(OutputDir() + "/" + name + ".png", pixels.data(), width, height, width);
  std::string refPath = std::string(VOSKAR_REPLAY_REFERENCE_DIR) + "/" + reference + ".png";
  // Filtering and blending may round a channel differently by a level or
  // two; a wrong picture, word or digit changes hundreds of pixels by far more.
  // The frame statistics line at the top is left out: its rate is updated
  // when a second has passed, and at exactly 60 frames a second that test
  // lands on the boundary, where builds may round differently.
  std::string problem = golden::CompareWithReference(name, refPath, pixels, width, height,
                                                     {8, 2000, kStatisticsRows});
  if (!problem.empty()) Fail(problem);
}

void ReleaseTextures() {
  for (const char* name :
       {"Texture4.bmp",    "Texture5.bmp",   "Building1a.bmp", "Building2a.bmp", "Building3a.bmp",
        "Building4a.bmp",  "Building5a.bmp", "Building6a.bmp", "Sprite.bmp",     "Frame.tga",
        "Earth2.bmp",      "Bullet.bmp",     "Sight.bmp",      "empty.bmp",      "Sky1.bmp",
        "LevelSelect.bmp", "Keyboard.tga",   "Title2.bmp",     "NowLoading.bmp", "Score.bmp"})
    D3DTextr_DestroyTexture(name);
}

}  // namespace replay
