// The whole program headless on the manual clock at 60 frames a second,
// playing stages back to back on random levels: a careless typist makes
// mistakes, presses Escape, Tab, Enter, Backspace, digits and punctuation,
// and types bytes 0x80-0xFF; now and then the display is rebuilt in the middle
// of a stage. After every key and every frame the letter books must hold:
// each letter free or held by exactly one active target.
//
// VOSKAR_SOAK_STAGES sets how many stages must reach the score screen (two by
// default, besides the first one, which is cut short by the rebuild),
// VOSKAR_SOAK_SEED the seed, VOSKAR_SOAK_DRAW_EVERY how many stage frames are
// moved per frame drawn (20; the clock still steps every frame).
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "Application.h"
#include "Classes/SceneSelect.h"
#include "support/StageInspector.h"
#include "MyD3DApplication.h"
#include "ScopeTrace.h"
#include "d3dframe/d3dtextr.h"
#include "testing.h"

namespace {

int EnvInt(const char* name, int fallback) {
  const char* value = std::getenv(name);
  return value && *value ? std::atoi(value) : fallback;
}

std::vector<std::string> g_failures;

void Fail(const std::string& text) {
  if (g_failures.size() < 20) g_failures.push_back(text);
}

// The game scene the level select builds, watched so that the typist knows
// when it is there and when it is gone.
class SoakStage;
SoakStage* g_stage = nullptr;

class SoakStage : public CSceneGame {
 public:
  using CSceneGame::CSceneGame;
  ~SoakStage() override { g_stage = nullptr; }
};

IScene* BuildSoakStage(const std::string& sceneFile, const std::string& pathFile,
                       const std::string& wordList, bool keyboard) {
  g_stage = new SoakStage(sceneFile, pathFile, wordList, keyboard);
  return g_stage;
}

void CheckBooks(const char* when) {
  if (!g_stage) return;
  std::string problem = support::LetterBooksProblem(*g_stage);
  if (!problem.empty()) Fail(problem + " (" + when + ")");
}

// UTF-8 for one code point below 0x800: how a keyboard layout's letter such
// as "é" reaches the game.
std::string Utf8(unsigned codePoint) {
  std::string text;
  if (codePoint < 0x80) {
    text += static_cast<char>(codePoint);
  } else {
    text += static_cast<char>(0xC0 | (codePoint >> 6));
    text += static_cast<char>(0x80 | (codePoint & 0x3F));
  }
  return text;
}

class SoakGame : public CMyD3DApplication {
 public:
  explicit SoakGame(uint32_t seed) : m_random(seed) { m_showStats = FALSE; }

  int m_stagesWanted = 2;
  int m_drawEvery = 20;
  int m_stagesPlayed = 0;
  int m_rebuilds = 0;
  long m_frames = 0;
  long m_stageFrames = 0;
  long m_keys = 0;
  long m_oddKeys = 0;
  long m_highBytes = 0;
  long m_escapes = 0;
  long m_shotDown = 0;

  HRESULT FrameMove(float time) override {
    HRESULT hr = CMyD3DApplication::FrameMove(time);
    CheckBooks("after a frame");
    return hr;
  }

  HRESULT Render() override {
    HRESULT hr = S_OK;
    // Drawing is what costs; the stage is moved at 60 frames a second all the
    // same, and every drawEvery-th stage frame is drawn.
    if (!g_stage || m_frames % m_drawEvery == 0) hr = CMyD3DApplication::Render();
    Script();
    ++m_frames;
    // 60 frames a second: 17, 17, 16 ms.
    platform::AdvanceClock(m_frames % 3 == 0 ? 16 : 17);
    return hr;
  }

  LRESULT MsgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override {
    LRESULT result = CMyD3DApplication::MsgProc(window, message, wParam, lParam);
    if (message == WM_CHAR || message == WM_KEYDOWN) CheckBooks("after a key");
    return result;
  }

 private:
  enum class Phase { Title, Select, Stage, Score };

  bool OneIn(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_random) == 0; }
  int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_random); }

  void Type(const std::string& utf8) {
    platform::InjectText(platform::MainWindow(), utf8.c_str());
    ++m_keys;
  }

  // One of the keys that no word asks for.
  void TypeOddKey() {
    ++m_oddKeys;
    switch (Below(4)) {
      case 0: {
        static const UINT kKeys[] = {VK_TAB, VK_RETURN, VK_BACK, VK_SPACE, VK_F1, VK_LEFT};
        platform::InjectKeyDown(platform::MainWindow(), kKeys[Below(6)]);
        ++m_keys;
        break;
      }
      case 1:
        Type(Utf8(0x80 + Below(0x80)));
        ++m_highBytes;
        break;
      default: {
        static const char kOdd[] = "0123456789 !\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~";
        Type(std::string(1, kOdd[Below(sizeof kOdd - 1)]));
        break;
      }
    }
  }

  void PressEscape() {
    platform::InjectKeyDown(platform::MainWindow(), VK_ESCAPE);
    ++m_keys;
    ++m_escapes;
  }

  // The careless typist: about six keys a second.
  void PlayStage() {
    CSceneGame::CImpl& impl = CSceneGameInspector::Impl(*g_stage);
    ++m_stageFrames;
    if (impl.m_time > 200000) {
      Fail("a stage ran past 200 s");
      PostMessageA(platform::MainWindow(), WM_CLOSE, 0, 0);
      return;
    }
    if (m_rebuildAt >= 0 && static_cast<long>(impl.m_time) >= m_rebuildAt) {
      // The display is rebuilt under the running stage: the game starts
      // again at the title with a fresh player status.
      m_rebuildAt = -1;
      m_rebuildPending = true;
      ++m_rebuilds;
      platform::InjectMessage(platform::MainWindow(), WM_SIZE, SIZE_RESTORED, MAKELPARAM(640, 480));
      return;
    }
    if (!OneIn(10)) return;
    if (OneIn(40)) return PressEscape();
    if (OneIn(9)) return TypeOddKey();
    if (impl.m_activeTarget) {
      const std::string rest = impl.m_activeTarget->GetRemainingText();
      if (rest.empty()) return;
      if (OneIn(12)) return Type(std::string(1, static_cast<char>('a' + Below(26))));
      if (rest.size() == 1) ++m_shotDown;
      return Type(std::string(1, rest[0]));
    }
    if (impl.m_letterTargets.empty()) return;
    auto held = impl.m_letterTargets.begin();
    std::advance(held, Below(static_cast<int>(impl.m_letterTargets.size())));
    char initial = held->second->GetText()[0];
    if (OneIn(3)) initial = static_cast<char>(std::toupper(static_cast<unsigned char>(initial)));
    if (held->second->GetText().size() == 1) ++m_shotDown;
    Type(std::string(1, initial));
  }

  void Script() {
    HWND window = platform::MainWindow();
    if (m_rebuildPending && !g_stage) {
      m_rebuildPending = false;
      if (CApplication::GetInstance()->GetPlayerStatus()->GetScore() != 0)
        Fail("the player status was not reset by the rebuild");
      m_phase = Phase::Title;
      m_wait = 30;
    }
    if (g_stage) {
      if (m_phase != Phase::Stage) {
        m_phase = Phase::Stage;
        // The first stage has its display rebuilt 20 s in, one in five of
        // the others somewhere in their middle.
        if (m_stagesStarted++ == 0)
          m_rebuildAt = 20000;
        else
          m_rebuildAt = OneIn(5) ? 5000 + Below(150000) : -1;
      }
      PlayStage();
      return;
    }
    if (m_phase == Phase::Stage) {
      // The stage has gone: either to the score screen or, after a rebuild,
      // to the title (handled above).
      ++m_stagesPlayed;
      m_phase = Phase::Score;
      m_wait = OneIn(4) ? 700 : 30 + Below(150);  // some wait for the ten seconds
      if (m_stagesPlayed >= m_stagesWanted) {
        PostMessageA(window, WM_CLOSE, 0, 0);
        return;
      }
    }
    if (m_wait > 0) {
      --m_wait;
      return;
    }
    switch (m_phase) {
      case Phase::Title:
        Type(OneIn(5) ? Utf8(0xE9) : std::string(1, static_cast<char>('a' + Below(26))));
        m_phase = Phase::Select;
        m_wait = 20;
        break;
      case Phase::Select: {
        // A wrong key first now and then; then e, n or d in either case.
        if (OneIn(4)) {
          TypeOddKey();
        } else {
          static const char kLevels[] = "endEND";
          Type(std::string(1, kLevels[Below(6)]));
        }
        m_wait = 20;
        break;
      }
      case Phase::Score:
        Type("x");
        m_phase = Phase::Title;
        m_wait = 20;
        break;
      case Phase::Stage:
        break;
    }
  }

  std::mt19937 m_random;
  Phase m_phase = Phase::Title;
  int m_wait = 30;
  long m_rebuildAt = -1;
  bool m_rebuildPending = false;
  int m_stagesStarted = 0;
};

int RunSoak() {
  const int stages = EnvInt("VOSKAR_SOAK_STAGES", 2);
  const uint32_t seed = static_cast<uint32_t>(EnvInt("VOSKAR_SOAK_SEED", 20261207));
  platform::SetBackend(platform::Backend::Headless);
  platform::UseManualClock(true);
  platform::SetClock(1000);
  char folder[] = "/tmp/voskar-soak-XXXXXX";
  if (!mkdtemp(folder) || chdir(folder) != 0) return 2;
  std::string run = VOSKAR_RUN_DIR;
  for (const char* file :
       {"/BMP/Letter.bmp", "/Data/scene10e.txt", "/Data/scene10d.txt", "/Data/path10.txt",
        "/Data/easy.txt", "/Data/normal.txt", "/Data/difficult.txt"}) {
    if (access((run + file).c_str(), R_OK) != 0) {
      std::fprintf(stderr, "no %s in %s (build voskar_run)\n", file, run.c_str());
      return 3;
    }
  }
  if (symlink((run + "/BMP").c_str(), "BMP") != 0) return 4;
  if (symlink((run + "/Data").c_str(), "Data") != 0) return 4;
  // Fifty stages of trace lines would fill the disk for nothing.
  g_traceEnabled = false;
  std::srand(seed);
  SetGameSceneFactory(BuildSoakStage);

  SoakGame game(seed);
  game.m_stagesWanted = stages;
  game.m_drawEvery = std::max(1, EnvInt("VOSKAR_SOAK_DRAW_EVERY", 20));
  if (FAILED(game.Create(GetModuleHandleA(nullptr), ""))) {
    std::fprintf(stderr, "Create failed\n");
    return 5;
  }
  game.Run();
  // The texture registry's images must go while the platform still knows its
  // GDI objects (see the replay tests).
  for (const char* name :
       {"Texture4.bmp",    "Texture5.bmp",   "Building1a.bmp", "Building2a.bmp", "Building3a.bmp",
        "Building4a.bmp",  "Building5a.bmp", "Building6a.bmp", "Sprite.bmp",     "Frame.tga",
        "Earth2.bmp",      "Bullet.bmp",     "Sight.bmp",      "empty.bmp",      "Sky1.bmp",
        "LevelSelect.bmp", "Keyboard.tga",   "Title2.bmp",     "NowLoading.bmp", "Score.bmp",
        "Letter.bmp"})
    D3DTextr_DestroyTexture(name);

  std::printf(
      "soak seed %u: %d stages played, %d display rebuilds, %ld frames (%ld in stages), "
      "%ld keys (%ld odd, %ld bytes above 0x7F, %ld Escape), about %ld targets shot\n",
      seed, game.m_stagesPlayed, game.m_rebuilds, game.m_frames, game.m_stageFrames, game.m_keys,
      game.m_oddKeys, game.m_highBytes, game.m_escapes, game.m_shotDown);
  if (game.m_rebuilds == 0) Fail("no display rebuild happened during a stage");
  if (game.m_stagesPlayed < stages)
    Fail("only " + std::to_string(game.m_stagesPlayed) + " stages played");
  for (const platform::MessageBoxCall& box : platform::TakeMessageBoxes())
    Fail("message box: " + box.caption + ": " + box.text);
  for (const std::string& failure : g_failures) std::fprintf(stderr, "%s\n", failure.c_str());
  return g_failures.empty() ? 0 : 1;
}

TEST(Soak, StagesBackToBackKeepTheLetterBooksWhateverIsTyped) {
  // A fresh process: the game core and the texture registry are process-wide.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(std::exit(RunSoak()), ::testing::ExitedWithCode(0), "");
}

}  // namespace
