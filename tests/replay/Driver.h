// The real program, headless, on the manual clock at 60 frames a second: the
// one driver of the whole game, shared by the replay scenarios, the frame
// benchmarks and the fuzz targets that play a stage. Keys go through the
// window's message queue and reach the game between two frames, as real key
// presses do. While a stage lives its letter books are checked after every
// frame and every key, and every device call must succeed.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "MyD3DApplication.h"

class CSceneGame;

namespace replay {

// Prepares this process: headless backend, manual clock, a fresh working
// folder (its own "log.txt") that sees the run folder's BMP/ and Data/, and
// the stages the level select builds watched. False, with a line on stderr,
// when the run folder is not built.
// With checkDeviceCalls every call on the device is recorded, and one that
// fails is a problem (it costs time: benchmarks leave it off).
bool PrepareProcess(const std::string& runDir, bool checkDeviceCalls);
// What went wrong in play so far: broken letter books, failed device calls,
// a run past its frame limit.
const std::vector<std::string>& Problems();
void Problem(const std::string& text);
// The stage the level select built, while it lives, and how many were built.
CSceneGame* CurrentStage();
int StagesBuilt();
// Size of the working folder's "log.txt" (-1 when there is none).
long TraceLogBytes();
// Frees the texture registry's images while the platform still tracks them
// (static destruction would free them after the platform's tables are gone).
void ReleaseTextures();

// A picture as presented: 0xAARRGGBB pixels at the client's 640 x 480.
using PictureHandler = std::function<void(const std::vector<uint32_t>& pixels, int w, int h)>;

class Driver : public CMyD3DApplication {
 public:
  // seed: the C library generator is re-seeded with it after the game core
  // has seeded it from the calendar time, so the word draws repeat.
  explicit Driver(unsigned seed);

  // Creates the window and the display; false when Create failed.
  bool Start();
  // Runs the message loop until the window closes or frameLimit frames have
  // passed (a failure); `script` runs after each frame's drawing, where a
  // player would look at the picture and press keys.
  void RunWith(uint64_t frameLimit, std::function<void(uint64_t frame)> script);
  // One frame as the message loop runs it, for callers that step.
  void Step(bool draw = true);
  void Close();

  // The scenes are drawn every Nth frame only (1: every frame); the others
  // still move every scene and present. Nothing in play reads the picture.
  int m_drawEvery = 1;
  // While false the clock stands still: every frame shows the same moment.
  bool m_clockRuns = true;
  // The next presented picture goes to the handler (that frame is drawn).
  void TakeNextPicture(PictureHandler handler) { m_pictureWanted = std::move(handler); }

  HWND Window() const { return m_window; }
  uint64_t Frames() const { return m_frame; }
  uint32_t NowMs() const;

  HRESULT FrameMove(float time) override;
  HRESULT Render() override;
  LRESULT MsgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void CheckBooks(const char* when);

  unsigned m_seed;
  uint64_t m_frame = 0;
  uint64_t m_clockFrames = 0;  // frames the clock has moved on by
  bool m_drawNext = true;
  std::function<void(uint64_t)> m_script;
  PictureHandler m_pictureWanted, m_pictureDue;
};

}  // namespace replay
