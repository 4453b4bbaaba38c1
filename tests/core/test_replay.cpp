// The whole program headless on the manual clock: title -> level select ->
// (a score screen standing in for the stage) -> title, driven by injected
// keys, with the presented pictures compared against reference captures.
#include <gtest/gtest.h>
#include <unistd.h>

#include <sys/stat.h>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "Application.h"
#include "Classes/SceneManager.h"
#include "Classes/SceneScore.h"
#include "Classes/SceneSelect.h"
#include "CoreFixture.h"
#include "MyD3DApplication.h"
#include "backend/png.h"
#include "d3dframe/d3dtextr.h"
#include "support/Golden.h"
#include "testing.h"

namespace coretest {
namespace {

// Frames between a key and the capture of its result: the key arrives
// between frames, the next frame switches scenes and draws the new one.
const int kSettleFrames = 2;
const uint32_t kFrameMs = 16;

std::vector<std::string> g_failures;

void Fail(const std::string& text) {
  g_failures.push_back(text);
}

// Compares the last presented picture with tests/reference/core/<name>.png
// (rewritten with VOSKAR_UPDATE_GOLDEN=1); the capture is also written to
// the build folder for a look.
void CheckPicture(const std::string& name, const std::string& reference) {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels = platform::PresentedPixels(&width, &height);
  if (pixels.empty()) return Fail(name + ": nothing presented");
  mkdir(VOSKAR_CORE_OUTPUT_DIR, 0755);
  platform::WritePng(std::string(VOSKAR_CORE_OUTPUT_DIR) + "/" + name + ".png", pixels.data(),
                     width, height, width);
  std::string refPath = std::string(VOSKAR_CORE_REFERENCE_DIR) + "/" + reference + ".png";
  // Rounding in filtering and blending may move a channel by a few levels;
  // a wrong picture or digit changes hundreds of pixels by far more.
  std::string problem =
      golden::CompareWithReference(name, refPath, pixels, width, height, {16, 5000, 0});
  if (!problem.empty()) Fail(problem);
}

// The game with a script run after each frame's drawing; the clock moves
// one frame's time per frame.
// The statistics line is left out so that the pictures show the scenes only.
class ScriptedGame : public CMyD3DApplication {
 public:
  ScriptedGame() { m_showStats = FALSE; }
  std::function<void(int frame)> m_script;
  HRESULT Render() override {
    HRESULT hr = CMyD3DApplication::Render();
    m_script(m_frame++);
    platform::AdvanceClock(kFrameMs);
    return hr;
  }

 private:
  int m_frame = 0;
};

IScene* ScoreInsteadOfStage(const std::string&, const std::string&, const std::string&, bool) {
  CPlayerStatus* status = CApplication::GetInstance()->GetPlayerStatus();
  status->AddScore(1234);
  for (int i = 0; i < 3; ++i) status->Fire();
  status->AddHit();
  status->AddHit();
  return new CSceneScore();
}

int RunReplay() {
  platform::SetBackend(platform::Backend::Headless);
  platform::UseManualClock(true);
  platform::SetClock(1000);
  if (!EnterTemporaryFolder("voskar-replay")) return 2;
  std::string pictures = std::string(VOSKAR_RUN_DIR) + "/BMP";
  if (access((pictures + "/Title2.bmp").c_str(), R_OK) != 0) {
    fprintf(stderr, "no pictures in %s (build the voskar_assets target)\n", pictures.c_str());
    return 3;
  }
  if (symlink(pictures.c_str(), "BMP") != 0) return 4;
  SetGameSceneFactory(ScoreInsteadOfStage);
  // Every call on the real device must succeed: no scene nested in another,
  // no draw outside a scene, no viewport beyond the render target.
  int deviceCalls = 0;
  platform::SetDeviceRecorder([&](const std::string& line) {
    ++deviceCalls;
    if (line.size() < 4 || line.compare(line.size() - 4, 4, " = 0") != 0)
      Fail("device call failed: " + line);
  });

  ScriptedGame game;
  int step = 0;
  int due = kSettleFrames;
  game.m_script = [&](int frame) {
    if (frame < due) return;
    HWND window = platform::MainWindow();
    switch (step++) {
      case 0:
        CheckPicture("title", "title");
        platform::InjectText(window, "q");
        break;
      case 1:
        CheckPicture("level-select", "level-select");
        platform::InjectText(window, "E");
        break;
      case 2:
        CheckPicture("score-1234-shots3-hits2", "score-1234-shots3-hits2");
        platform::InjectKeyDown(window, VK_ESCAPE);
        break;
      case 3:
        // Back at the title with the status reset for the next game.
        CheckPicture("title-again", "title");
        if (CApplication::GetInstance()->GetPlayerStatus()->GetScore() != 0)
          Fail("the score was not reset");
        PostMessageA(window, WM_CLOSE, 0, 0);
        break;
      default:
        break;
    }
    due = frame + 1 + kSettleFrames;
  };
  if (FAILED(game.Create(GetModuleHandleA(nullptr), ""))) {
    fprintf(stderr, "Create failed\n");
    return 5;
  }
  game.Run();
  platform::SetDeviceRecorder(nullptr);
  if (deviceCalls == 0) Fail("no device call was recorded");
  // FIXME: the texture registry frees its images during static destruction,
  // after the platform's table of live GDI objects is gone, so the bitmaps
  // would be reported as leaked; free them while the platform still knows them.
  for (const char* name :
       {"Texture4.bmp",    "Texture5.bmp",   "Building1a.bmp", "Building2a.bmp", "Building3a.bmp",
        "Building4a.bmp",  "Building5a.bmp", "Building6a.bmp", "Sprite.bmp",     "Frame.tga",
        "Earth2.bmp",      "Bullet.bmp",     "Sight.bmp",      "empty.bmp",      "Sky1.bmp",
        "LevelSelect.bmp", "Keyboard.tga",   "Title2.bmp",     "NowLoading.bmp", "Score.bmp"})
    D3DTextr_DestroyTexture(name);
  if (step < 4) Fail("the replay stopped after step " + std::to_string(step));
  for (const std::string& failure : g_failures) fprintf(stderr, "%s\n", failure.c_str());
  return g_failures.empty() ? 0 : 1;
}

TEST(Replay, TitleLevelSelectScoreAndBackMatchTheReferencePictures) {
  // A fresh process: the game core and the texture registry are process-wide.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(exit(RunReplay()), ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace coretest
