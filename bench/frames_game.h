// The real program driven one frame at a time for the whole-frame
// benchmarks, on the replay tests' driver (headless, manual clock): it walks
// the scene flow (title, level select, a stage, the score screen) with
// injected keys and can stop a stage at its busiest moment.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <vector>

#include "Driver.h"

namespace bench {

enum class Scene { Title, Select, Stage, Score };

// Prepares the process once (the run folder's pictures and content, no
// device-call recording); false, with a message, when it is not built.
bool PrepareFolder();

class FrameGame : public replay::Driver {
 public:
  FrameGame();
  // Creates the window and the device and presents the first frame.
  bool Start();
  // One frame as the message loop runs it; undrawn frames skip the scenes'
  // drawing.
  void Frame(bool draw = true);

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

 private:
  void Press(char key);
  void Settle();
  uint32_t BusiestMoment(char level);

  Scene m_scene = Scene::Title;
  std::map<char, uint32_t> m_busiest;
  // The level whose busiest moment is current (0: none).
  char m_busyLevel = 0;
};

// Peak resident memory of the process so far, in bytes.
long PeakResidentBytes();

// Runs `work` in a fresh process (a forked child that leaves by _exit, so
// this process's game and folder are untouched) and returns the `count`
// figures it wrote; empty when the child could not run or its first figure
// stayed 0 (nothing was measured).
std::vector<double> InFreshProcess(size_t count, const std::function<void(double* figures)>& work);

}  // namespace bench
