// The whole program headless on the manual clock at 60 frames a second,
// played through the window's keyboard messages by a simulated typist. Each
// scenario is a row of the table below and runs in a fresh process (the game
// core and the texture registry live for the whole process); every round is
// judged on what the stage showed and what the score screen reads, and the
// letter books and device calls are checked throughout.
//
// VOSKAR_SOAK_STAGES sets how many stages the careless soak plays after its
// first (2 by default; one in five is cut short by a display rebuild) and
// VOSKAR_SOAK_SEED its seed.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>
#include <string>

#include "ScopeTrace.h"
#include "Session.h"
#include "testing.h"

namespace replay {
namespace {

// Seed for the word draws of every scenario.
const unsigned kSeed = 7;

// Stage frames are drawn at this interval (and whenever a picture is taken):
// a stage is about 10,000 frames, and play never reads the picture.
const int kDrawEvery = 30;

typedef std::vector<RoundReport> Reports;

struct Scenario {
  const char* name;
  std::function<std::vector<Round>()> rounds;
  std::function<void(const Reports&)> judge;
  bool traceLog = true;
};

void Fail(const std::string& text) {
  Problem(text);
}

int EnvInt(const char* name, int fallback) {
  const char* value = std::getenv(name);
  return value && *value ? std::atoi(value) : fallback;
}

// Time of the camera path's last key: a stage must last until then.
uint32_t PathEndMs() {
  std::ifstream file("Data/path10.txt");
  std::string token;
  uint32_t last = 0, time = 0;
  while (file >> token)
    if (token == "time" && file >> time) last = std::max(last, time);
  return last;
}

std::string Describe(const RoundReport& r) {
  std::ostringstream text;
  text << "stage until " << r.lastStageTime << " ms; enemies " << r.enemiesShot << "/"
       << r.enemiesActivated << " shot; bullets " << r.bulletsShot << "/" << r.bulletsFired
       << " shot, " << r.bulletsHit << " hit; status score " << r.atStageEnd.score << " life "
       << r.atStageEnd.life << " shots " << r.atStageEnd.shots << " hits " << r.atStageEnd.hits
       << "; typist keys " << r.ledger.keys << " wrong " << r.ledger.wrongKeys << " escapes "
       << r.ledger.escapes << "; refills " << r.lifeRefills << (r.rebuilt ? "; rebuilt" : "");
  return text.str();
}

// What every round must show: a stage that lasted until the path's end (or
// until its display was rebuilt), a status that followed the damage rules, a
// score screen that reads what the status holds, a typist whose count of
// shots and hits is the status's, and the way back to the title with a fresh
// status.
void CheckRound(const RoundReport& r, int round) {
  const std::string where = "round " + std::to_string(round) + ": ";
  std::fprintf(stderr, "%s%s\n", where.c_str(), Describe(r).c_str());
  if (!r.stageStarted) return Fail(where + "no stage");
  if (r.damageRuleBreaks != 0)
    Fail(where + std::to_string(r.damageRuleBreaks) + " frames broke the damage rules");
  if (r.shotBulletsThatHit != 0) Fail(where + "a bullet that was shot down still hurt");
  if (r.lowestScore < 0) Fail(where + "the score went below 0");
  if (!r.backAtTitle) Fail(where + "the game did not return to the title with a fresh status");
  if (r.rebuilt) return;
  if (!r.stageEnded) return Fail(where + "the stage did not end");
  if (r.lastStageTime + 100 < PathEndMs())
    Fail(where + "the stage ended at " + std::to_string(r.lastStageTime) + " ms, before the path");
  if (r.atStageEnd.shots != r.ledger.shots || r.atStageEnd.hits != r.ledger.hits)
    Fail(where + "shots and hits differ from the keys that reached a target");
  if (!r.scoreRead) return Fail(where + "the score screen could not be read");
  const ScoreNumbers& shown = r.scoreScreen;
  const long rate =
      r.atStageEnd.shots ? static_cast<long>(r.atStageEnd.hits * 100.0 / r.atStageEnd.shots) : 0;
  if (shown.score != r.atStageEnd.score % 1000000 || shown.shots != r.atStageEnd.shots % 1000000 ||
      shown.hits != r.atStageEnd.hits % 1000000 || shown.rate != rate)
    Fail(where + "the score screen reads " + std::to_string(shown.score) + " " +
         std::to_string(shown.shots) + " " + std::to_string(shown.hits) + " " +
         std::to_string(shown.rate) + "%, expected rate " + std::to_string(rate));
}

int RunScenario(const Scenario& scenario) {
  if (!PrepareProcess(VOSKAR_RUN_DIR, true)) return 3;
  // Fifty stages of trace lines would fill the disk for nothing.
  g_traceEnabled = scenario.traceLog;
  {
    Session session(kSeed);
    session.Game().m_drawEvery = kDrawEvery;
    if (!session.Play(scenario.rounds())) return 5;
    for (size_t i = 0; i < session.Reports().size(); ++i)
      CheckRound(session.Reports()[i], static_cast<int>(i + 1));
    scenario.judge(session.Reports());
    std::fprintf(stderr, "%llu frames, log.txt %ld bytes\n",
                 static_cast<unsigned long long>(session.Game().Frames()), TraceLogBytes());
  }
  for (const platform::MessageBoxCall& box : platform::TakeMessageBoxes())
    Fail("message box: " + box.caption + ": " + box.text);
  ReleaseTextures();
  for (const std::string& problem : Problems())
    std::fprintf(stderr, "FAILED: %s\n", problem.c_str());
  return Problems().empty() ? 0 : 1;
}

Round PerfectRound(char level) {
  Round round;
  round.level = level;
  round.typist.charsPerSecond = 5.0;
  round.typist.seed = 11;
  return round;
}

// A steady typist clears most of what a stage shows, never mistypes, and
// loses a life only to a bullet it never shot.
void JudgePerfect(const Reports& reports) {
  for (const RoundReport& r : reports) {
    if (r.enemiesShot * 10 < r.enemiesActivated * 8 || r.bulletsShot * 10 < r.bulletsFired * 8)
      Fail("a perfect typist shot less than 80 % of the enemies or bullets");
    if (r.ledger.wrongKeys != 0 || r.atStageEnd.hits != r.atStageEnd.shots)
      Fail("a perfect typist missed");
    if (r.lifeRefills == 0 && r.atStageEnd.life != 5 - r.bulletsHit)
      Fail("lives lost do not match the bullets that hit");
  }
}

const Scenario kScenarios[] = {
    {"PerfectTypistClearsTheEasyStageWithTheKeyboard",
     [] {
       Round round = PerfectRound('e');
       round.titlePicture = "title";
       round.selectPicture = "level-select";
       round.stagePictures = {{30000, "stage-easy-seed7-t30s"}, {90000, "stage-easy-seed7-t90s"}};
       round.scorePicture = "score-easy-seed7";
       return std::vector<Round>{round};
     },
     JudgePerfect},
    {"PerfectTypistClearsTheNormalStage",
     [] {
       Round round = PerfectRound('n');
       round.stagePictures = {{60000, "stage-normal-seed7-t60s"}};
       return std::vector<Round>{round};
     },
     JudgePerfect},
    {"PerfectTypistClearsTheDifficultStage",
     [] {
       Round round = PerfectRound('d');
       round.stagePictures = {{60000, "stage-difficult-seed7-t60s"}};
       round.scorePicture = "score-difficult-seed7";
       return std::vector<Round>{round};
     },
     JudgePerfect},
    // Three characters a second with one key in ten wrong and an occasional
    // Escape: shots count every key that reached a locked target, hits only
    // the right letters, and the score screen shows the truncated rate.
    {"SloppyTypistIsCountedKeyByKey",
     [] {
       Round round;
       round.level = 'd';
       round.typist = {3.0, 700, 0.10, 0.02, 0.0, 0.0, -1, 23};
       round.scorePicture = "score-difficult-sloppy-seed7";
       return std::vector<Round>{round};
     },
     [](const Reports& r) {
       if (r[0].ledger.wrongKeys == 0 || r[0].ledger.escapes == 0)
         Fail("the sloppy typist made no mistakes");
       if (r[0].scoreScreen.rate >= 100 || r[0].scoreScreen.rate == 0)
         Fail("the hit rate should be between 0 and 100 %");
     }},
    // A player who shoots one enemy and then leaves the keyboard: every bullet
    // hits, the last life refills to six at a cost of 1000 points until the
    // score stops at 0, and the stage still runs to its end.
    {"IdlePlayerIsHitButTheStageStillEnds",
     [] {
       Round round;
       round.level = 'd';
       round.typist.stopAfterKills = 1;
       round.typist.seed = 5;
       return std::vector<Round>{round};
     },
     [](const Reports& r) {
       if (r[0].enemiesShot != 1) Fail("the player did not shoot one enemy before going idle");
       // Only bullets still in flight when the camera reaches the end miss.
       if (r[0].bulletsShot != 0 || r[0].bulletsHit + 3 < r[0].bulletsFired)
         Fail("bullets of an idle player did not hit");
       if (r[0].lifeRefills < 2) Fail("the last life was not lost twice");
       if (r[0].atStageEnd.score != 0) Fail("the penalties did not bring the score to 0");
     }},
    // Two games: the second starts from a fresh status; the first score
    // screen is left with a key, the second by waiting.
    {"TwoGamesInARowStartFromAFreshStatus",
     [] {
       Round first = PerfectRound('n');
       first.titlePicture = "title";
       Round second;
       second.level = 'e';
       second.typist.charsPerSecond = 4.0;
       second.typist.errorRate = 0.05;
       second.leaveScoreWithKey = false;
       return std::vector<Round>{first, second};
     },
     [](const Reports& r) {
       const StatusValues& fresh = r[1].atStageStart;
       if (fresh.score != 0 || fresh.life != 5 || fresh.ammo != 6 || fresh.shots != 0 ||
           fresh.hits != 0)
         Fail("the second stage did not start from a fresh status");
       if (r[0].atStageEnd.score == 0) Fail("the first game scored nothing");
     }},
    // Stages back to back on random levels: a careless typist mistypes,
    // presses Escape, Tab, Enter, Backspace, F1, digits and punctuation and
    // types bytes 0x80-0xFF; the display is rebuilt in the middle of the first
    // stage and of some others, which restarts the game at the title.
    {"CarelessTypistAcrossStagesAndDisplayRebuilds",
     [] {
       std::mt19937 random(static_cast<uint32_t>(EnvInt("VOSKAR_SOAK_SEED", 20261207)));
       std::vector<Round> rounds;
       const int stages = EnvInt("VOSKAR_SOAK_STAGES", 2);
       for (int i = 0; i <= stages; ++i) {
         Round round;
         round.level = "end"[random() % 3];
         round.typist = {6.0, 300, 0.08, 0.025, 0.11, 0.33, -1, static_cast<uint32_t>(random())};
         round.leaveScoreWithKey = random() % 4 != 0;
         round.rebuildAtMs = i == 0 ? 20000 : random() % 5 == 0 ? 5000 + random() % 150000 : -1;
         rounds.push_back(round);
       }
       return rounds;
     },
     [](const Reports& r) {
       if (!r[0].rebuilt) Fail("no display rebuild happened during a stage");
     },
     false},
};

// Test names and listings show the scenario's name.
void PrintTo(const Scenario& scenario, std::ostream* out) {
  *out << scenario.name;
}

class WholeGame : public ::testing::TestWithParam<Scenario> {};

TEST_P(WholeGame, Plays) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(std::exit(RunScenario(GetParam())), ::testing::ExitedWithCode(0), "");
}

INSTANTIATE_TEST_SUITE_P(Scenarios, WholeGame, ::testing::ValuesIn(kScenarios),
                         [](const ::testing::TestParamInfo<Scenario>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
}  // namespace replay
