#include "Driver.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "Classes/SceneSelect.h"
#include "d3dframe/d3dtextr.h"
#include "support/Folder.h"
#include "support/GameTextures.h"
#include "support/StageInspector.h"
#include "testing.h"

namespace replay {
namespace {

const uint32_t kClockStartMs = 1000;
std::vector<std::string> g_problems;
CSceneGame* g_stage = nullptr;
int g_stagesBuilt = 0;

// The game scene as the level select builds it; its destructor tells the
// driver that the stage is over.
class WatchedStage : public CSceneGame {
 public:
  using CSceneGame::CSceneGame;
  ~WatchedStage() override {
    if (g_stage == this) g_stage = nullptr;
  }
};

IScene* BuildWatchedStage(const std::string& sceneFile, const std::string& pathFile,
                          const std::string& wordList, bool keyboard) {
  g_stage = new WatchedStage(sceneFile, pathFile, wordList, keyboard);
  ++g_stagesBuilt;
  return g_stage;
}

// Application time of frame n at 60 frames a second.
uint32_t FrameTimeMs(uint64_t frame) {
  return static_cast<uint32_t>(frame * 1000 / 60);
}

}  // namespace

const std::vector<std::string>& Problems() {
  return g_problems;
}

void Problem(const std::string& text) {
  if (g_problems.size() < 20) g_problems.push_back(text);
}

bool PrepareProcess(const std::string& runDir, bool checkDeviceCalls) {
  platform::SetBackend(platform::Backend::Headless);
  platform::UseManualClock(true);
  platform::SetClock(kClockStartMs);
  if (!support::EnterTemporaryFolder("voskar-replay")) {
    std::fprintf(stderr, "cannot make a working folder\n");
    return false;
  }
  for (const char* file : {"/BMP/Title2.bmp", "/BMP/Letter.bmp", "/Data/scene10e.txt",
                           "/Data/scene10d.txt", "/Data/path10.txt", "/Data/difficult.txt"}) {
    if (access((runDir + file).c_str(), R_OK) != 0) {
      std::fprintf(stderr, "no %s in %s (build the voskar_run target)\n", file, runDir.c_str());
      return false;
    }
  }
  if (symlink((runDir + "/BMP").c_str(), "BMP") != 0 ||
      symlink((runDir + "/Data").c_str(), "Data") != 0)
    return false;
  SetGameSceneFactory(BuildWatchedStage);
  if (checkDeviceCalls) {
    // No scene nested in another, no draw outside a scene, no viewport beyond
    // the render target: every call on the real device must succeed.
    platform::SetDeviceRecorder([](const std::string& line) {
      if (line.size() < 4 || line.compare(line.size() - 4, 4, " = 0") != 0)
        Problem("device call failed: " + line);
    });
  }
  return true;
}

CSceneGame* CurrentStage() {
  return g_stage;
}

int StagesBuilt() {
  return g_stagesBuilt;
}

long TraceLogBytes() {
  struct stat info;
  return stat("log.txt", &info) == 0 ? static_cast<long>(info.st_size) : -1;
}

void ReleaseTextures() {
  for (const std::string& name : support::GamePictureFiles()) D3DTextr_DestroyTexture(name.c_str());
  D3DTextr_DestroyTexture("empty.bmp");
}

Driver::Driver(unsigned seed) : m_seed(seed) {}

bool Driver::Start() {
  if (FAILED(Create(GetModuleHandleA(nullptr), ""))) {
    Problem("Create failed");
    return false;
  }
  // The game core seeded the generator from the calendar time in Create.
  std::srand(m_seed);
  return true;
}

void Driver::RunWith(uint64_t frameLimit, std::function<void(uint64_t frame)> script) {
  m_script = [this, script, frameLimit](uint64_t frame) {
    script(frame);
    if (frame + 1 == frameLimit) {
      Problem("the run did not finish within " + std::to_string(frameLimit) + " frames");
      Close();
    }
  };
  Run();
  m_script = nullptr;
}

void Driver::Step(bool draw) {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  m_drawNext = draw;
  RenderFrame();
  m_drawNext = true;
}

void Driver::Close() {
  PostMessageA(m_window, WM_CLOSE, 0, 0);
}

uint32_t Driver::NowMs() const {
  return kClockStartMs + FrameTimeMs(m_clockFrames);
}

void Driver::CheckBooks(const char* when) {
  if (!g_stage) return;
  const std::string problem = support::LetterBooksProblem(*g_stage);
  if (!problem.empty()) Problem(problem + " (" + when + ")");
}

HRESULT Driver::FrameMove(float time) {
  // The previous frame has been presented by now.
  if (m_pictureDue) {
    int width = 0, height = 0;
    const std::vector<uint32_t> pixels = platform::PresentedPixels(&width, &height);
    PictureHandler handler = std::move(m_pictureDue);
    m_pictureDue = nullptr;
    handler(pixels, width, height);
  }
  const HRESULT hr = CMyD3DApplication::FrameMove(time);
  CheckBooks("after a frame");
  return hr;
}

HRESULT Driver::Render() {
  const bool wanted = static_cast<bool>(m_pictureWanted);
  const bool draw = wanted || (m_drawNext && (m_drawEvery <= 1 || m_frame % m_drawEvery == 0));
  const HRESULT hr = draw ? CMyD3DApplication::Render() : S_OK;
  if (wanted) {
    m_pictureDue = std::move(m_pictureWanted);
    m_pictureWanted = nullptr;
  }
  if (m_script) m_script(m_frame);
  ++m_frame;
  if (m_clockRuns) ++m_clockFrames;
  platform::SetClock(NowMs());
  return hr;
}

LRESULT Driver::MsgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const LRESULT result = CMyD3DApplication::MsgProc(window, message, wParam, lParam);
  if (message == WM_CHAR || message == WM_KEYDOWN) CheckBooks("after a key");
  return result;
}

}  // namespace replay
