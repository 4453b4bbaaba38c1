#include "frames_game.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "Classes/SceneGame/SceneGameImpl.h"
#include "Typist.h"
#include "support/StageInspector.h"
#include "testing.h"

namespace bench {
namespace {

// The word draws of every stage follow from this seed.
const unsigned kSeed = 7;

CSceneGame::CImpl* Stage() {
  CSceneGame* stage = replay::CurrentStage();
  return stage ? &CSceneGameInspector::Impl(*stage) : nullptr;
}

}  // namespace

bool PrepareFolder() {
  static const bool ready = replay::PrepareProcess(VOSKAR_RUN_DIR, false);
  return ready;
}

FrameGame::FrameGame() : replay::Driver(kSeed) {}

bool FrameGame::Start() {
  if (!replay::Driver::Start()) return false;
  Frame();
  return platform::PresentCount() > 0;
}

void FrameGame::Frame(bool draw) {
  Step(draw);
  if (m_scene == Scene::Stage && !replay::CurrentStage()) {
    m_scene = Scene::Score;
    m_busyLevel = 0;
  }
}

void FrameGame::Press(char key) {
  replay::PressKey(Window(), key);
}

// The key reaches the scene before the next frame, which switches scenes;
// one more frame draws the new one.
void FrameGame::Settle() {
  Frame();
  Frame();
}

int FrameGame::ActiveTargets() const {
  return Stage() ? static_cast<int>(Stage()->m_letterTargets.size()) : 0;
}

uint32_t FrameGame::StageTime() const {
  return Stage() ? Stage()->m_time : 0;
}

uint64_t FrameGame::RideOut(bool draw) {
  uint64_t frames = 0;
  while (m_scene == Scene::Stage) {
    Frame(draw);
    ++frames;
  }
  return frames;
}

void FrameGame::GoToTitle() {
  while (m_scene != Scene::Title) {
    switch (m_scene) {
      case Scene::Select:
        StartStage('e');
        break;
      case Scene::Stage:
        RideOut(false);
        break;
      case Scene::Score:
        Press(' ');
        Settle();
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
  Settle();
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
    Frame(false);
  }
  m_busiest[level] = when;
  return when;
}

void FrameGame::GoToBusyStage(char level) {
  if (m_scene == Scene::Stage && m_busyLevel == level) return;
  const uint32_t when = BusiestMoment(level);
  StartStage(level);
  while (m_scene == Scene::Stage && StageTime() < when) Frame(false);
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
  if (m_scene != Scene::Stage) StartStage('d');
  RideOut(false);
}

std::vector<double> InFreshProcess(size_t count, const std::function<void(double*)>& work) {
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) return {};
  const ssize_t bytes = static_cast<ssize_t>(count * sizeof(double));
  const pid_t child = fork();
  if (child == 0) {
    close(pipeEnds[0]);
    std::vector<double> figures(count, 0.0);
    work(figures.data());
    _exit(write(pipeEnds[1], figures.data(), count * sizeof(double)) == bytes ? 0 : 2);
  }
  close(pipeEnds[1]);
  std::vector<double> figures(count, 0.0);
  const ssize_t got = child > 0 ? read(pipeEnds[0], figures.data(), count * sizeof(double)) : 0;
  close(pipeEnds[0]);
  if (child > 0) waitpid(child, nullptr, 0);
  if (got != bytes || figures.empty() || figures[0] == 0) return {};
  return figures;
}

long PeakResidentBytes() {
  struct rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss * 1024L;
}

}  // namespace bench
