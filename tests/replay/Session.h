// A sitting at the game: rounds of title, level select, a stage played by a
// simulated typist and the score screen back to the title. It records what
// each stage showed frame by frame, so that the scenarios can judge the
// outcome afterwards, and compares chosen moments with reference pictures.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "Driver.h"
#include "ScoreReader.h"
#include "Typist.h"

class CTarget;

namespace replay {

struct Round {
  char level = 'e';
  TypistStyle typist;
  // Leave the score screen with a key; otherwise wait for its time-out.
  bool leaveScoreWithKey = true;
  // Stage time (ms) at which the display is rebuilt under the running stage
  // (-1: never); the game starts again at the title and the round ends there.
  int rebuildAtMs = -1;
  // Reference pictures from these stage times (ms) on, each at the first
  // moment a word is partly typed; and for the menus and the score screen.
  std::vector<std::pair<uint32_t, std::string>> stagePictures;
  std::string titlePicture, selectPicture, scorePicture;
};

// Player status values.
struct StatusValues {
  int score = 0, life = 0, ammo = 0, shots = 0, hits = 0;
};

struct RoundReport {
  bool stageStarted = false, stageEnded = false, rebuilt = false;
  bool scoreRead = false, backAtTitle = false;
  StatusValues atStageStart, atStageEnd;
  ScoreNumbers scoreScreen;
  uint32_t lastStageTime = 0;  // stage time of the last frame seen
  int enemiesActivated = 0, enemiesShot = 0;
  int bulletsFired = 0, bulletsShot = 0, bulletsHit = 0;
  // Bullets that hurt the player although they had been shot down.
  int shotBulletsThatHit = 0;
  // Frames in which life and score did not follow the damage rules, and how
  // often the last life was lost.
  int damageRuleBreaks = 0, lifeRefills = 0;
  int lowestScore = 0;
  TypistLedger ledger;
};

class Session {
 public:
  explicit Session(unsigned seed) : m_driver(seed) {}

  // Plays the rounds in order, then closes the window. False when the game
  // could not start.
  bool Play(const std::vector<Round>& rounds);
  const std::vector<RoundReport>& Reports() const { return m_reports; }
  Driver& Game() { return m_driver; }

 private:
  enum class Phase { Title, Select, Stage, ScoreShown, ScoreLeft, Done };
  struct TargetRecord {
    bool bullet = false, activated = false, dead = false, hit = false;
  };

  void Step(uint64_t frame);
  void StepStage(CSceneGame& stage, const Round& round, RoundReport& report);
  void WatchStage(CSceneGame& stage);
  void CheckPicture(const std::string& name, std::vector<uint32_t>* keep = nullptr);
  void NextRound(uint64_t frame);
  static StatusValues Status();

  Driver m_driver;
  std::vector<Round> m_rounds;
  std::vector<RoundReport> m_reports;
  size_t m_round = 0;
  Phase m_phase = Phase::Title;
  uint64_t m_due = 2;
  std::unique_ptr<Typist> m_typist;
  std::map<CTarget*, TargetRecord> m_targets;
  StatusValues m_lastStatus;
  size_t m_nextPicture = 0;
  bool m_menuPictureTaken = false;
  std::vector<uint32_t> m_scorePixels;
};

}  // namespace replay
