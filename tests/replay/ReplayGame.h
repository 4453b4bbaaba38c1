// The real program, headless, on the manual clock at 60 frames per second.
// A script runs after every frame's drawing, where a player would look at the
// picture and press keys; keys go through the window's message queue and
// reach the game between two frames, as real key presses do.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "Classes/SceneGame/SceneGame.h"
#include "Classes/SceneGame/SceneGameImpl.h"
#include "MyD3DApplication.h"

// Friend of CSceneGame: the harness reads what the stage shows (its active
// targets' words and the locked target), never changes it.
class CSceneGameInspector {
 public:
  static CSceneGame::CImpl& Impl(CSceneGame& scene) { return *scene.m_impl; }
};

namespace replay {

// Recorded failures of the running scenario; the scenario's process exits
// with a non-zero status when there are any.
void Fail(const std::string& text);
const std::vector<std::string>& Failures();

// Prepares a fresh process for a replay: headless backend, manual clock, an
// empty working folder (so that "log.txt" is the replay's own) that sees the
// run folder's BMP/ and Data/. False with a message when the run folder is
// not built.
bool PrepareProcess();
// Removes the working folder again (after the game has closed).
void LeaveProcess();
// Size of the working folder's "log.txt".
long TraceLogBytes();
// Where captures and notes of the replays go.
std::string OutputDir();

// The stage the level select scene builds, reachable while it lives.
CSceneGame* CurrentStage();
// Number of stages built so far.
int StagesBuilt();

// Application time of frame n at 60 frames per second, in milliseconds.
uint32_t FrameTimeMs(uint64_t frame);

class ReplayGame : public CMyD3DApplication {
 public:
  // seed: the C library generator is re-seeded with it after the game core
  // has seeded it from the calendar time, so word draws repeat.
  explicit ReplayGame(unsigned seed);

  // Runs Create and the message loop until the window closes or the frame
  // limit is reached; false when Create failed.
  bool Play(uint64_t frameLimit);

  // Called after each frame's drawing, before it is presented.
  std::function<void(uint64_t frame)> m_script;
  // Draw every Nth frame only (1: every frame). Frames that are not drawn
  // still move every scene and present; nothing in play reads the picture.
  int m_drawEvery = 1;

  // Compares the next presented picture with tests/reference/replay/
  // <reference>.png (by default <name>.png). The frame it belongs to is
  // always drawn.
  void CheckNextPicture(const std::string& name, const std::string& reference = "");
  // Fills pixels with the next frame's picture once it is presented (the
  // frame is always drawn).
  void TakeNextPicture(std::vector<uint32_t>* pixels) { m_pictureOut = pixels; }

  void Close();
  HWND Window() const { return m_window; }
  uint64_t Frame() const { return m_frame; }
  uint32_t NowMs() const { return FrameTimeMs(m_frame); }

  HRESULT FrameMove(float time) override;
  HRESULT Render() override;

 private:
  unsigned m_seed;
  uint64_t m_frame = 0;
  // Pairs of capture name and reference name.
  std::vector<std::pair<std::string, std::string>> m_pendingChecks;
  std::vector<std::pair<std::string, std::string>> m_checksAfterPresent;
  std::vector<uint32_t>* m_pictureOut = nullptr;
  std::vector<uint32_t>* m_pictureAfterPresent = nullptr;
};

// Compares pixels with the reference picture of that name (rewritten instead
// with VOSKAR_UPDATE_GOLDEN=1); the capture is kept in the build folder too.
void ComparePicture(const std::string& name, const std::string& reference,
                    const std::vector<uint32_t>& pixels, int width, int height);

// Frees the texture registry's images while the platform still tracks them
// (the registry would otherwise free them in static destruction, after the
// platform's object table is gone).
void ReleaseTextures();

}  // namespace replay
