// The real program on the headless backend and the manual clock, driven one
// frame at a time for the whole-frame benchmarks: it walks the scene flow
// (title, level select, a stage, the score screen) with injected keys and
// can stop a stage at its busiest moment.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "MyD3DApplication.h"

class CSceneGame;

namespace bench {

enum class Scene { Title, Select, Stage, Score };

// Makes a working folder that sees the run folder's BMP/ and Data/ and
// moves into it (once a process); false (with a message) when the run
// folder is not built.
bool PrepareFolder();

class FrameGame : public CMyD3DApplication {
 public:
  // Creates the window and the device and presents the first frame.
  bool Start();

  // One frame as the message loop runs it: pending messages first, then
  // FrameMove, Render and present. The clock moves one 60th of a second
  // first unless frozen; undrawn frames skip the scenes' drawing.
  void Frame(bool advanceClock = true, bool draw = true);

  void GoToTitle();
  void GoToSelect();
  // A stage of the level ('e', 'n' or 'd') with an idle player, stopped at
  // the moment the most targets hold words (found by a first ride).
  void GoToBusyStage(char level);
  void GoToScore();
  // From the level select (reached first if need be): presses the level's
  // key with the generator re-seeded; the stage is current after it.
  void StartStage(char level);

  Scene Current() const { return m_scene; }
  // Targets holding words in the current stage (0 outside one).
  int ActiveTargets() const;
  uint32_t StageTime() const;
  // Plays the current stage to its end (the score screen), drawing every
  // frame when asked; returns the frames played.
  uint64_t RideOut(bool draw);

  HRESULT Render() override;

 private:
  void Press(char key);
  uint32_t BusiestMoment(char level);

  uint32_t m_clock = 1000;
  uint64_t m_frames = 0;
  bool m_draw = true;
  Scene m_scene = Scene::Title;
  std::map<char, uint32_t> m_busiest;
  // The level whose busiest moment is current (0: none).
  char m_busyLevel = 0;
};

// Stages started from now on read this scene file instead of their level's
// own (an empty name: their own again).
void ReplaceSceneFile(const std::string& fileName);

// Peak resident memory of the process so far, in bytes.
long PeakResidentBytes();
// Size of the working folder's "log.txt".
long TraceLogBytes();

}  // namespace bench
