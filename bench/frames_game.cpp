#include "frames_game.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "Classes/SceneGame/SceneGame.h"
#include "Classes/SceneGame/SceneGameImpl.h"
#include "Classes/SceneSelect.h"
#include "testing.h"

// Friend of CSceneGame: the benchmarks count the stage's active targets.
class CSceneGameInspector {
 public:
  static CSceneGame::CImpl& Impl(CSceneGame& scene) { return *scene.m_impl; }
};

namespace bench {
namespace {

// The word draws of every stage follow from this seed.
const unsigned kSeed = 7;
CSceneGame* g_stage = nullptr;
std::string g_folder;

class WatchedStage : public CSceneGame {
 public:
  using CSceneGame::CSceneGame;
  ~WatchedStage() override {
    if (g_stage == this) g_stage = nullptr;
  }
};

// A scene file that replaces the level's own (empty: none).
std::string g_sceneFile;

IScene* BuildWatchedStage(const std::string& sceneFile, const std::string& pathFile,
                          const std::string& wordList, bool keyboard) {
  g_stage =
      new WatchedStage(g_sceneFile.empty() ? sceneFile : g_sceneFile, pathFile, wordList, keyboard);
  return g_stage;
}

// The working folder goes when the process ends (children leave by _exit).
void RemoveFolder() {
  if (g_folder.empty()) return;
  for (const char* file : {"log.txt", "BMP", "Data"}) unlink((g_folder + "/" + file).c_str());
  if (chdir("/") == 0) rmdir(g_folder.c_str());
}

}  // namespace

void ReplaceSceneFile(const std::string& fileName) {
  g_sceneFile = fileName;
}

bool PrepareFolder() {
  if (!g_folder.empty()) return true;
  platform::SetBackend(platform::Backend::Headless);
  platform::UseManualClock(true);
  platform::SetClock(1000);
  char folder[] = "/tmp/voskar-bench-XXXXXX";
  if (!mkdtemp(folder) || chdir(folder) != 0) return false;
  g_folder = folder;
  std::atexit(RemoveFolder);
  std::string run = VOSKAR_RUN_DIR;
  if (access((run + "/BMP/Title2.bmp").c_str(), R_OK) != 0 ||
      access((run + "/Data/path10.txt").c_str(), R_OK) != 0) {
    fprintf(stderr, "no pictures or content in %s (build the voskar_run target)\n", run.c_str());
    return false;
  }
  if (symlink((run + "/BMP").c_str(), "BMP") != 0 || symlink((run + "/Data").c_str(), "Data") != 0)
    return false;
  SetGameSceneFactory(BuildWatchedStage);
  return true;
}

bool FrameGame::Start() {
  if (FAILED(Create(GetModuleHandleA(nullptr), ""))) return false;
  Frame(false);
  return platform::PresentCount() > 0;
}

void FrameGame::Frame(bool advanceClock, bool draw) {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  if (advanceClock) {
    // 17, 17, 16 ms: sixty frames a second.
    m_clock += m_frames % 3 == 2 ? 16 : 17;
    ++m_frames;
    platform::SetClock(m_clock);
  }
  m_draw = draw;
  RenderFrame();
  m_draw = true;
  if (m_scene == Scene::Stage && !g_stage) {
    m_scene = Scene::Score;
    m_busyLevel = 0;
  }
}

HRESULT FrameGame::Render() {
  return m_draw ? CMyD3DApplication::Render() : S_OK;
}

void FrameGame::Press(char key) {
  char text[2] = {key, 0};
  platform::InjectText(platform::MainWindow(), text);
}

int FrameGame::ActiveTargets() const {
  return g_stage ? static_cast<int>(CSceneGameInspector::Impl(*g_stage).m_letterTargets.size()) : 0;
}

uint32_t FrameGame::StageTime() const {
  return g_stage ? CSceneGameInspector::Impl(*g_stage).m_time : 0;
}

uint64_t FrameGame::RideOut(bool draw) {
  uint64_t frames = 0;
  while (m_scene == Scene::Stage) {
    Frame(true, draw);
    ++frames;
  }
  return frames;
}

void FrameGame::GoToTitle() {
  while (m_scene != Scene::Title) {
    switch (m_scene) {
      case Scene::Select:
        Press('e');
        Frame();
        m_scene = Scene::Stage;
        break;
      case Scene::Stage:
        RideOut(false);
        break;
      case Scene::Score:
        Press(' ');
        Frame();
        Frame();
        m_scene = Scene::Title;
        break;
      case Scene::Title:
        break;
    }
  }
}

void FrameGame::GoToSelect() {
  if (m_scene == Scene::Select) return;
  GoToTitle();
  Press('x');
  Frame();
  Frame();
  m_scene = Scene::Select;
}

uint32_t FrameGame::BusiestMoment(char level) {
  auto known = m_busiest.find(level);
  if (known != m_busiest.end()) return known->second;
  StartStage(level);
  int most = -1;
  uint32_t when = 0;
  while (m_scene == Scene::Stage) {
    if (ActiveTargets() > most) {
      most = ActiveTargets();
      when = StageTime();
    }
    Frame(true, false);
  }
  m_busiest[level] = when;
  return when;
}

void FrameGame::GoToBusyStage(char level) {
  if (m_scene == Scene::Stage && m_busyLevel == level) return;
  uint32_t when = BusiestMoment(level);
  StartStage(level);
  while (m_scene == Scene::Stage && StageTime() < when) Frame(true, false);
  m_busyLevel = level;
}

void FrameGame::StartStage(char level) {
  GoToSelect();
  m_busyLevel = 0;
  std::srand(kSeed);
  Press(level);
  Frame();
  m_scene = Scene::Stage;
}

void FrameGame::GoToScore() {
  if (m_scene == Scene::Score) return;
  if (m_scene != Scene::Stage) {
    GoToSelect();
    Press('d');
    Frame();
    m_scene = Scene::Stage;
  }
  RideOut(false);
}

long PeakResidentBytes() {
  struct rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss * 1024L;
}

long TraceLogBytes() {
  struct stat info;
  return stat((g_folder + "/log.txt").c_str(), &info) == 0 ? static_cast<long>(info.st_size) : -1;
}

}  // namespace bench
