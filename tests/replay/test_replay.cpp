// The whole program headless on the manual clock at 60 frames per second,
// played by a simulated typist through the window's keyboard messages: each
// level to its end, a sloppy player, an idle player and two games in a row.
// Every scenario runs in a fresh process (the game core and the texture
// registry live for the whole process) and judges what the stage showed and
// what the score screen reads.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "Session.h"

namespace replay {
namespace {

// Seed for the word draws of every scenario (see ReplayGame).
const unsigned kSeed = 7;

// Stage frames are drawn at this interval (and whenever a picture is taken);
// the others still move every scene and present. A stage is about 10,000
// frames; drawing each one would make the suite several minutes long, and
// under the sanitizers far longer, while play never reads the picture.
const int kDrawEvery = 30;

// Time of the camera path's last key: the stage must last until then.
uint32_t PathEndMs() {
  std::ifstream file("Data/path10.txt");
  std::string token;
  uint32_t last = 0;
  while (file >> token) {
    if (token != "time") continue;
    uint32_t time = 0;
    if (file >> time) last = std::max(last, time);
  }
  return last;
}

std::string Describe(const RoundReport& r) {
  std::ostringstream text;
  text << "stage until " << r.lastStageTime << " ms; enemies " << r.enemiesShot << "/"
       << r.enemiesActivated << " shot; bullets " << r.bulletsShot << "/" << r.bulletsFired
       << " shot, " << r.bulletsHit << " hit; status score " << r.atStageEnd.score << " life "
       << r.atStageEnd.life << " shots " << r.atStageEnd.shots << " hits " << r.atStageEnd.hits
       << "; typist keys " << r.ledger.keys << " shots " << r.ledger.shots << " hits "
       << r.ledger.hits << " wrong " << r.ledger.wrongKeys << " escapes " << r.ledger.escapes
       << " (" << r.ledger.bulletEscapes << " for bullets); refills " << r.lifeRefills;
  return text.str();
}

// What every played round must show: a stage that lasted until the path's
// end, a score screen that reads what the status holds and a typist whose
// count of shots and hits is the status's, and the way back to the title.
void CheckRound(const RoundReport& r, int round, FILE* notes) {
  std::string where = "round " + std::to_string(round) + ": ";
  fprintf(stderr, "%s%s\n", where.c_str(), Describe(r).c_str());
  if (notes) fprintf(notes, "%s%s\n", where.c_str(), Describe(r).c_str());
  if (!r.stageStarted) return Fail(where + "no stage");
  if (!r.stageEnded) return Fail(where + "the stage did not end");
  if (r.lastStageTime + 100 < PathEndMs())
    Fail(where + "the stage ended at " + std::to_string(r.lastStageTime) + " ms, before the path");
  if (r.atStageEnd.shots != r.ledger.shots)
    Fail(where + "shots " + std::to_string(r.atStageEnd.shots) + ", keys that reached a target " +
         std::to_string(r.ledger.shots));
  if (r.atStageEnd.hits != r.ledger.hits)
    Fail(where + "hits " + std::to_string(r.atStageEnd.hits) + ", right letters typed " +
         std::to_string(r.ledger.hits));
  if (r.damageRuleBreaks != 0)
    Fail(where + std::to_string(r.damageRuleBreaks) + " frames broke the damage rules");
  if (r.shotBulletsThatHit != 0) Fail(where + "a bullet that was shot down still hurt");
  if (r.lowestScore < 0) Fail(where + "the score went below 0");
  if (!r.scoreRead) return Fail(where + "the score screen could not be read");
  const ScoreNumbers& shown = r.scoreScreen;
  long rate =
      r.atStageEnd.shots ? static_cast<long>(r.atStageEnd.hits * 100.0 / r.atStageEnd.shots) : 0;
  if (shown.score != r.atStageEnd.score % 1000000 || shown.shots != r.atStageEnd.shots % 1000000 ||
      shown.hits != r.atStageEnd.hits % 1000000 || shown.rate != rate)
    Fail(where + "the score screen reads " + std::to_string(shown.score) + " " +
         std::to_string(shown.shots) + " " + std::to_string(shown.hits) + " " +
         std::to_string(shown.rate) + "%, expected rate " + std::to_string(rate));
  if (!r.backAtTitle) Fail(where + "leaving the score screen did not reset the status");
}

// A fresh process runs the rounds; the status is judged there.
// A summary of each round goes to <output folder>/<test name>.txt.
int PlayRounds(const std::vector<Round>& rounds,
               const std::function<void(const std::vector<RoundReport>&)>& judge) {
  std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
  if (!PrepareProcess()) return 3;
  {
    Session session(kSeed);
    session.Game().m_drawEvery = kDrawEvery;
    if (!session.Play(rounds)) return 5;
    FILE* notes = fopen((OutputDir() + "/" + name + ".txt").c_str(), "w");
    for (size_t i = 0; i < session.Reports().size(); ++i)
      CheckRound(session.Reports()[i], static_cast<int>(i + 1), notes);
    judge(session.Reports());
    if (notes) {
      fprintf(notes, "frames %llu, log.txt %ld bytes\n",
              static_cast<unsigned long long>(session.Game().Frame()), TraceLogBytes());
      fclose(notes);
    }
  }
  ReleaseTextures();
  LeaveProcess();
  for (const std::string& failure : Failures()) fprintf(stderr, "FAILED: %s\n", failure.c_str());
  return Failures().empty() ? 0 : 1;
}

void ExpectPasses(const std::function<int()>& scenario) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(exit(scenario()), ::testing::ExitedWithCode(0), "");
}

Round PerfectRound(char level) {
  Round round;
  round.level = level;
  round.typist.charsPerSecond = 5.0;
  round.typist.seed = 11;
  return round;
}

// A steady typist clears most of what a stage shows, never mistypes, and
// loses a life only to a bullet it never shot: every life lost is a bullet
// hit (the damage rules are checked frame by frame in every round).
void JudgePerfect(const RoundReport& r) {
  if (r.enemiesShot * 10 < r.enemiesActivated * 8)
    Fail("a perfect typist shot only " + std::to_string(r.enemiesShot) + " of " +
         std::to_string(r.enemiesActivated) + " enemies");
  if (r.bulletsShot * 10 < r.bulletsFired * 8)
    Fail("a perfect typist shot only " + std::to_string(r.bulletsShot) + " of " +
         std::to_string(r.bulletsFired) + " bullets");
  if (r.ledger.wrongKeys != 0 || r.atStageEnd.hits != r.atStageEnd.shots)
    Fail("a perfect typist missed");
  if (r.lifeRefills == 0 && r.atStageEnd.life != 5 - r.bulletsHit)
    Fail("lives lost do not match the bullets that hit");
}

TEST(WholeGame, PerfectTypistClearsTheEasyStageWithTheKeyboard) {
  ExpectPasses([] {
    Round round = PerfectRound('e');
    round.titlePicture = "title";
    round.selectPicture = "level-select";
    round.stagePictures = {{30000, "stage-easy-seed7-t30s"}, {90000, "stage-easy-seed7-t90s"}};
    round.scorePicture = "score-easy-seed7";
    return PlayRounds({round}, [](const std::vector<RoundReport>& r) { JudgePerfect(r[0]); });
  });
}

TEST(WholeGame, PerfectTypistClearsTheNormalStage) {
  ExpectPasses([] {
    Round round = PerfectRound('n');
    round.stagePictures = {{60000, "stage-normal-seed7-t60s"}};
    return PlayRounds({round}, [](const std::vector<RoundReport>& r) { JudgePerfect(r[0]); });
  });
}

TEST(WholeGame, PerfectTypistClearsTheDifficultStage) {
  ExpectPasses([] {
    Round round = PerfectRound('d');
    round.stagePictures = {{60000, "stage-difficult-seed7-t60s"}};
    round.scorePicture = "score-difficult-seed7";
    return PlayRounds({round}, [](const std::vector<RoundReport>& r) { JudgePerfect(r[0]); });
  });
}

// Three characters a second on the difficult level with one key in ten wrong
// and an occasional Escape: shots count every key that reached a locked
// target, hits only the right letters, and the score screen shows the
// truncated rate.
TEST(WholeGame, SloppyTypistIsCountedKeyByKey) {
  ExpectPasses([] {
    Round round;
    round.level = 'd';
    round.typist.charsPerSecond = 3.0;
    round.typist.errorRate = 0.10;
    round.typist.escapeRate = 0.02;
    round.typist.reactionMs = 700;
    round.typist.seed = 23;
    round.scorePicture = "score-difficult-sloppy-seed7";
    return PlayRounds({round}, [](const std::vector<RoundReport>& r) {
      const RoundReport& report = r[0];
      if (report.ledger.wrongKeys == 0 || report.ledger.escapes == 0)
        Fail("the sloppy typist made no mistakes");
      if (report.atStageEnd.hits >= report.atStageEnd.shots)
        Fail("wrong keys did not count as shots without a hit");
      if (report.scoreScreen.rate >= 100 || report.scoreScreen.rate == 0)
        Fail("the hit rate should be between 0 and 100 %");
    });
  });
}

// A player who shoots one enemy and then leaves the keyboard: every bullet
// hits, the last life refills to six at a cost of 1000 points until the score
// stops at 0, and the stage still runs to its end.
TEST(WholeGame, IdlePlayerIsHitButTheStageStillEnds) {
  ExpectPasses([] {
    Round round;
    round.level = 'd';
    round.typist.stopAfterKills = 1;
    round.typist.seed = 5;
    return PlayRounds({round}, [](const std::vector<RoundReport>& r) {
      const RoundReport& report = r[0];
      if (report.enemiesShot != 1) Fail("the player did not shoot one enemy before going idle");
      // Only bullets still in flight when the camera reaches the end miss.
      if (report.bulletsShot != 0 || report.bulletsHit + 3 < report.bulletsFired)
        Fail("bullets of an idle player did not hit");
      if (report.lifeRefills < 2) Fail("the last life was not lost twice");
      if (report.atStageEnd.score != 0) Fail("the penalties did not bring the score to 0");
    });
  });
}

// Title, level select, stage, score and back, twice: the second game starts
// from a fresh status; the first score screen is left with a key, the second
// by waiting.
TEST(WholeGame, TwoGamesInARowStartFromAFreshStatus) {
  ExpectPasses([] {
    Round first = PerfectRound('n');
    first.titlePicture = "title";
    Round second;
    second.level = 'e';
    second.typist.charsPerSecond = 4.0;
    second.typist.errorRate = 0.05;
    second.leaveScoreWithKey = false;
    return PlayRounds({first, second}, [](const std::vector<RoundReport>& r) {
      if (r.size() != 2 || !r[1].stageStarted) return Fail("the second game did not start");
      const StatusValues& fresh = r[1].atStageStart;
      if (fresh.score != 0 || fresh.life != 5 || fresh.ammo != 6 || fresh.shots != 0 ||
          fresh.hits != 0)
        Fail("the second stage did not start from a fresh status");
      if (r[0].atStageEnd.score == 0) Fail("the first game scored nothing");
    });
  });
}

}  // namespace
}  // namespace replay
