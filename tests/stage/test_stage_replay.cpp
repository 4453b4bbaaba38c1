// The whole program headless on the manual clock: the easy level is chosen,
// a simulated typist plays the stage through the window's keyboard messages
// until the camera reaches the end of its path and the score screen shows.
// A few moments are compared with reference captures (fixed seed).
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "Application.h"
#include "Classes/SceneGame/SceneGame.h"
#include "Classes/SceneGame/SceneGameImpl.h"
#include "Classes/SceneGame/Target.h"
#include "Classes/SceneSelect.h"
#include "MyD3DApplication.h"
#include "StageFixture.h"
#include "backend/png.h"
#include "golden.h"
#include "testing.h"

namespace stagetest {
namespace {

const uint32_t kMenuFrameMs = 16;
// Coarse stage frames keep the ride short to render; the rules only need
// frames shorter than the 500 ms animation step.
const uint32_t kStageFrameMs = 200;

std::vector<std::string> g_failures;

void Fail(const std::string& text) {
  g_failures.push_back(text);
}

// Compares the last presented picture with tests/reference/stage/<name>.png
// (rewritten with VOSKAR_UPDATE_GOLDEN=1); the capture is also written to
// the build folder for a look. Names starting with "look-" are only written.
void CheckPicture(const std::string& name) {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels = platform::PresentedPixels(&width, &height);
  if (pixels.empty()) return Fail(name + ": nothing presented");
  mkdir(VOSKAR_STAGE_OUTPUT_DIR, 0755);
  platform::WritePng(std::string(VOSKAR_STAGE_OUTPUT_DIR) + "/" + name + ".png", pixels.data(),
                     width, height, width);
  if (name.rfind("look-", 0) == 0) return;
  std::string refPath = std::string(VOSKAR_STAGE_REFERENCE_DIR) + "/" + name + ".png";
  std::string problem =
      golden::CompareWithReference(name, refPath, pixels, width, height, {2, 1000, 0});
  if (!problem.empty()) Fail(problem);
}

// The game scene the level select builds, watched so that the typist knows
// when it is gone.
class WatchedStage;
WatchedStage* g_stage = nullptr;

class WatchedStage : public CSceneGame {
 public:
  using CSceneGame::CSceneGame;
  ~WatchedStage() override { g_stage = nullptr; }
};

IScene* BuildWatchedStage(const std::string& sceneFile, const std::string& pathFile,
                          const std::string& wordList, bool keyboard) {
  // The words' shuffle and every later draw follow from this seed.
  std::srand(42);
  g_stage = new WatchedStage(sceneFile, pathFile, wordList, keyboard);
  return g_stage;
}

class ScriptedGame : public CMyD3DApplication {
 public:
  std::function<void(int frame)> m_script;
  uint32_t m_frameMs = kMenuFrameMs;
  HRESULT Render() override {
    HRESULT hr = CMyD3DApplication::Render();
    m_script(m_frame++);
    platform::AdvanceClock(m_frameMs);
    return hr;
  }

 private:
  int m_frame = 0;
};

// The next key of a steady typist: the next letter of the locked word, else
// the initial of a bullet, else of a word it has seen for a second and a half.
char NextKey(CSceneGame& scene) {
  CSceneGame::CImpl& impl = CSceneGameInspector::Impl(scene);
  if (impl.m_activeTarget) {
    const std::string& rest = impl.m_activeTarget->GetRemainingText();
    return rest.empty() ? 0 : rest[0];
  }
  for (const auto& entry : impl.m_letterTargets)
    if (entry.second->GetText().size() == 1) return entry.second->GetText()[0];
  for (const auto& entry : impl.m_letterTargets)
    if (static_cast<int>(impl.m_time) - entry.second->GetStart() >= 1500)
      return entry.second->GetText()[0];
  return 0;
}

int RunStage() {
  platform::SetBackend(platform::Backend::Headless);
  platform::UseManualClock(true);
  platform::SetClock(1000);
  char folder[] = "/tmp/voskar-stage-replay-XXXXXX";
  if (!mkdtemp(folder) || chdir(folder) != 0) return 2;
  std::string run = VOSKAR_RUN_DIR;
  for (const char* file :
       {"/BMP/Letter.bmp", "/Data/scene10e.txt", "/Data/path10.txt", "/Data/easy.txt"}) {
    if (access((run + file).c_str(), R_OK) != 0) {
      fprintf(stderr, "no %s in %s\n", file, run.c_str());
      return 3;
    }
  }
  if (symlink((run + "/BMP").c_str(), "BMP") != 0) return 4;
  if (symlink((run + "/Data").c_str(), "Data") != 0) return 4;
  SetGameSceneFactory(BuildWatchedStage);

  ScriptedGame game;
  bool stageSeen = false, firstLook = false, locked = false, exploded = false, stageOver = false;
  int keysTyped = 0;
  int stageFrame = 0;
  // A capture is taken in the script of the next frame: by then the frame
  // drawn when it was asked for has been presented.
  std::vector<std::string> pending;
  game.m_script = [&](int frame) {
    HWND window = platform::MainWindow();
    if (!pending.empty()) {
      for (const std::string& name : pending) CheckPicture(name);
      pending.clear();
      if (stageOver) PostMessageA(window, WM_CLOSE, 0, 0);
    }
    if (frame == 2) platform::InjectText(window, "q");
    if (frame == 4) platform::InjectText(window, "e");
    if (g_stage) {
      game.m_frameMs = kStageFrameMs;
      stageSeen = true;
      ++stageFrame;
      CSceneGame::CImpl& impl = CSceneGameInspector::Impl(*g_stage);
      CPlayerStatus* status = CApplication::GetInstance()->GetPlayerStatus();
      if (!firstLook && impl.m_time >= 6000) {
        firstLook = true;
        pending.push_back("stage-easy-seed42-t6s");
      }
      if (!locked && impl.m_activeTarget && impl.m_activeTarget->GetTyped() >= 2 &&
          impl.m_activeTarget->GetText().size() >= 4) {
        locked = true;
        pending.push_back("stage-easy-seed42-locked");
      }
      if (!exploded && status->GetScore() > 0) {
        exploded = true;
        pending.push_back("stage-easy-seed42-explosion");
      }
      // The typist: one key a frame, five a second.
      if (char key = NextKey(*g_stage)) {
        char text[2] = {key, 0};
        platform::InjectText(window, text);
        ++keysTyped;
      }
    } else if (stageSeen && !stageOver) {
      stageOver = true;
      pending.push_back("look-score-after-easy-stage");
      CPlayerStatus* status = CApplication::GetInstance()->GetPlayerStatus();
      fprintf(stderr, "stage over after %d frames: score %d, shots %d, hits %d, life %d\n",
              stageFrame, status->GetScore(), status->GetShotCount(), status->GetHitCount(),
              status->GetLife());
      if (status->GetHitCount() == 0) Fail("the typist hit nothing");
    }
    // Three minutes of stage at most.
    if (stageFrame > 180000 / static_cast<int>(kStageFrameMs)) {
      Fail("the stage did not end");
      PostMessageA(window, WM_CLOSE, 0, 0);
    }
  };
  if (FAILED(game.Create(GetModuleHandleA(nullptr), ""))) {
    fprintf(stderr, "Create failed\n");
    return 5;
  }
  game.Run();
  if (!stageSeen) Fail("the stage never started");
  if (!stageOver) Fail("the score screen never came");
  if (!locked) Fail("no word was locked");
  if (!exploded) Fail("nothing was shot down");
  if (keysTyped == 0) Fail("the typist typed nothing");
  for (const std::string& failure : g_failures) fprintf(stderr, "%s\n", failure.c_str());
  return g_failures.empty() ? 0 : 1;
}

TEST(StageReplay, TheEasyStageIsPlayedThroughToTheScoreScreen) {
  // A fresh process: the game core and the texture registry are process-wide.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(exit(RunStage()), ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace stagetest
