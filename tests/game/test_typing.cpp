// Typing rules and targets as the player feels them: locking by initial
// letter, hits and misses, Escape, kills and their score, enemy windows,
// firing, bullets, the explosion, and the letter books under random play.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <random>

#include "Application.h"
#include "Classes/IScene.h"
#include "Classes/SceneGame/Sight.h"
#include "Classes/SceneGame/Target.h"
#include "Classes/SceneGame/TargetRenderer.h"
#include "Sound.h"
#include "support/Recorders.h"
#include "support/Stage.h"
#include "support/StageInspector.h"

namespace {

using support::Holder;
using support::Targets;
using support::Type;

const char kOneEnemy[] = "scene{ enemy{ position 0 0 10 time 1000 30000 texture Enemy1.bmp } }";

class Typing : public ::testing::Test {
 protected:
  void SetUp() override {
    Status().Reset();
    std::srand(42);
  }
  CPlayerStatus& Status() { return *CApplication::GetInstance()->GetPlayerStatus(); }
  CSceneGame::CImpl& Impl(CSceneGame& stage) { return CSceneGameInspector::Impl(stage); }
  // A stage with one enemy whose window (1000, 30000) is open.
  std::unique_ptr<CSceneGame> OneEnemy(const std::string& word) {
    auto stage = support::MakeStage(kOneEnemy, {word});
    stage->Move(0);
    stage->Move(2000);
    return stage;
  }
  support::SoundRecorder m_sounds;
};

int Count(const support::Lines& list, const std::string& item) {
  return static_cast<int>(std::count(list.begin(), list.end(), item));
}

TEST_F(Typing, TheFirstLetterLocksInEitherCaseAndIsTheFirstHit) {
  auto stage = support::MakeStage(kOneEnemy, {"Kite"});
  stage->Move(5000);  // stage time 0: the window is not open yet
  CTarget* enemy = Targets(*stage).at(0);
  EXPECT_TRUE(enemy->GetText().empty());
  stage->Move(7000);  // stage time 2000
  ASSERT_EQ(enemy->GetText(), "Kite");
  EXPECT_EQ(Holder(*stage, 'k'), enemy);

  stage->CatchKey('k');
  EXPECT_EQ(Impl(*stage).m_activeTarget, enemy);
  EXPECT_EQ(enemy->GetTyped(), 1u);
  EXPECT_EQ(Status().GetHitCount(), 1);
  EXPECT_EQ(Status().GetShotCount(), 1);
  EXPECT_EQ(Impl(*stage).m_sight->GetTarget(), enemy);

  stage->CatchKey(KeyEscape);  // lets go, restarts the word, fires nothing
  EXPECT_EQ(Impl(*stage).m_activeTarget, nullptr);
  EXPECT_EQ(enemy->GetTyped(), 0u);
  EXPECT_EQ(Impl(*stage).m_sight->GetTarget(), nullptr);
  EXPECT_EQ(Status().GetShotCount(), 1);

  Type(*stage, "KI");  // Shift makes no difference, for locking or for letters
  EXPECT_EQ(Impl(*stage).m_activeTarget, enemy);
  EXPECT_EQ(enemy->GetTyped(), 2u);
  EXPECT_EQ(Status().GetHitCount(), 3);
}

TEST_F(Typing, WrongKeysCostAShotAndKeepTheLockAndUnlockedKeysDoNothing) {
  auto stage = OneEnemy("kite");
  CTarget* enemy = Targets(*stage).at(0);
  Type(*stage, "zi ");  // nothing locked: no shot, no sound
  EXPECT_EQ(Status().GetShotCount(), 0);
  EXPECT_TRUE(m_sounds.Take().empty());
  Type(*stage, "kx \b");  // misses: a letter, space and Backspace
  EXPECT_EQ(Impl(*stage).m_activeTarget, enemy);
  EXPECT_EQ(enemy->GetTyped(), 1u);
  EXPECT_EQ(Status().GetShotCount(), 4);
  EXPECT_EQ(Status().GetHitCount(), 1);
  EXPECT_EQ(Status().GetAmmo(), 2);
  Type(*stage, "it");
  stage->CatchKey(KeyEscape);
  Type(*stage, "e");  // no word begins with e: still nothing locked
  EXPECT_EQ(Status().GetShotCount(), 6);
  Type(*stage, "kite");
  EXPECT_TRUE(enemy->IsDead());
}

TEST_F(Typing, AKillCountsTheHitThenScoresUnlocksAndFreesTheLetterThenFires) {
  auto stage = support::MakeStage(kOneEnemy, {"ko"});
  stage->Move(100);
  stage->Move(3600);  // stage time 3500: the window opened at 1000
  CTarget* enemy = Targets(*stage).at(0);
  // What the status and the scene looked like when each sound was requested.
  struct Seen {
    std::string sound;
    int hits, score;
    bool letterFree, locked;
  };
  std::vector<Seen> seen;
  static std::function<void(const std::string&)> observer;
  observer = [&](const std::string& name) {
    seen.push_back({name, Status().GetHitCount(), Status().GetScore(),
                    Impl(*stage).m_freeLetters.count('k') != 0,
                    Impl(*stage).m_activeTarget != nullptr});
  };
  CSound::SetSink([](const std::string& name, int) { observer(name); });
  Type(*stage, "ko");
  CSound::SetSink(nullptr);

  ASSERT_EQ(seen.size(), 3u);  // GunFire for k, then OhNo and GunFire for o
  EXPECT_EQ(seen[1].sound, "OhNo");
  EXPECT_EQ(seen[1].hits, 2);
  EXPECT_EQ(seen[1].score, 2500);
  EXPECT_TRUE(seen[1].letterFree);
  EXPECT_FALSE(seen[1].locked);
  EXPECT_EQ(seen[2].sound, "GunFire");
  EXPECT_EQ(Status().GetShotCount(), 2);
  EXPECT_EQ(Impl(*stage).m_sight->GetTarget(), nullptr);
  EXPECT_TRUE(enemy->IsDead());
  EXPECT_EQ(support::LetterBooksProblem(*stage), "");
}

TEST_F(Typing, WindowsAreExclusiveAtTheStartAndInclusiveAtTheEnd) {
  auto stage = support::MakeStage(kOneEnemy, {"kite"});
  stage->Move(0);
  CTarget* enemy = Targets(*stage).at(0);
  stage->Move(1000);
  EXPECT_FALSE(enemy->IsActive());
  stage->Move(1001);
  EXPECT_TRUE(enemy->IsActive());
  Type(*stage, "k");
  stage->Move(30000);
  EXPECT_TRUE(enemy->IsActive());
  stage->Move(30001);  // expiring unlocks it, hides the sight, frees its letter
  EXPECT_FALSE(enemy->IsActive());
  EXPECT_EQ(Impl(*stage).m_activeTarget, nullptr);
  EXPECT_EQ(Impl(*stage).m_sight->GetTarget(), nullptr);
  EXPECT_EQ(Holder(*stage, 'k'), nullptr);
  EXPECT_EQ(support::LetterBooksProblem(*stage), "");
  stage->Move(30500);  // never active again
  EXPECT_FALSE(enemy->IsActive());
}

TEST_F(Typing, AnEnemyFiresEverySevenSecondsFromItsActivationUntilShot) {
  auto stage = support::MakeStage(kOneEnemy, {"kite"});
  stage->Move(0);
  std::vector<int> firedAt;
  for (int t : {1001, 5000, 8000, 8001, 8002, 15000, 15001, 22001, 29001, 29999, 30000}) {
    size_t before = Targets(*stage).size();
    stage->Move(t);  // activated at 1001
    if (Targets(*stage).size() > before) firedAt.push_back(t);
  }
  EXPECT_EQ(firedAt, (std::vector<int>{8001, 15001, 22001, 29001}));

  auto shot = OneEnemy("ok");
  Type(*shot, "ok");
  for (int t = 2000; t <= 29000; t += 1000) shot->Move(t);
  EXPECT_EQ(Targets(*shot).size(), 1u);
}

TEST_F(Typing, ABulletFliesToTheEyeAndHurtsOnceAfterFourSeconds) {
  auto stage = support::MakeStage(kOneEnemy, {"kite"});
  stage->Move(0);
  stage->Move(1001);
  stage->Move(8001);  // the first shot
  ASSERT_EQ(Targets(*stage).size(), 2u);
  CBullet* bullet = dynamic_cast<CBullet*>(Targets(*stage).at(1));
  ASSERT_NE(bullet, nullptr);
  EXPECT_FALSE(bullet->IsActive());  // fired in this frame: not active yet
  stage->Move(8002);
  EXPECT_TRUE(bullet->IsActive());
  EXPECT_EQ(bullet->GetText().size(), 1u);
  stage->Move(10001);  // half way from the enemy (0, 0, 10) to the eye (0, 1, -20)
  D3DVECTOR p = bullet->GetPosition();
  EXPECT_NEAR(p.y, 0.5f, 1e-4);
  EXPECT_NEAR(p.z, -5.0f, 1e-4);
  m_sounds.Take();
  stage->Move(12001);
  EXPECT_EQ(Status().GetLife(), 5);
  stage->Move(12002);
  EXPECT_EQ(Status().GetLife(), 4);
  support::Lines sounds = m_sounds.Take();
  EXPECT_EQ(Count(sounds, "Konoyarou") + Count(sounds, "Kuso") + Count(sounds, "Yariyagattana"), 1);
  // Past the camera it is out of sight for good and hurts no more.
  auto* renderer = static_cast<CTargetRenderer*>(bullet->GetRenderer());
  for (int t = 12100; t < 14000; t += 100) stage->Move(t);
  EXPECT_EQ(Status().GetLife(), 4);
  EXPECT_FALSE(renderer->IsActive());
  EXPECT_EQ(support::LetterBooksProblem(*stage), "");
}

TEST_F(Typing, ABulletsOneLetterLocksHitsAndKillsInOneKeyAndItNeverHurts) {
  auto stage = support::MakeStage(kOneEnemy, {"kite"});
  stage->Move(0);
  stage->Move(1001);
  stage->Move(8001);
  stage->Move(9001);  // stage time 9001: the bullet is 1000 ms old
  CBullet* bullet = dynamic_cast<CBullet*>(Targets(*stage).at(1));
  ASSERT_NE(bullet, nullptr);
  const char letter = bullet->GetText().at(0);
  EXPECT_NE(letter, 'k');  // the enemy holds k
  m_sounds.Take();
  stage->CatchKey(letter);
  EXPECT_TRUE(bullet->IsDead());
  EXPECT_EQ(Status().GetHitCount(), 1);
  EXPECT_EQ(Status().GetScore(), 1000);
  EXPECT_EQ(m_sounds.Take(), (support::Lines{"OhNo", "Bomb", "GunFire"}));
  EXPECT_EQ(Impl(*stage).m_activeTarget, nullptr);
  // A shot bullet stays where it was hit, keeps showing its last explosion
  // frame and never hurts.
  const D3DVECTOR where = bullet->GetPosition();
  for (int t = 9100; t <= 14000; t += 100) stage->Move(t);
  EXPECT_EQ(Status().GetLife(), 5);
  EXPECT_EQ(bullet->GetPosition().z, where.z);
  EXPECT_EQ(bullet->GetFrame(), 3);
}

TEST_F(Typing, TheAnimationStepsOnlyAfterMoreThan500Ms) {
  auto stage = support::MakeStage(kOneEnemy, {"kite"});
  stage->Move(0);
  CTarget* enemy = Targets(*stage).at(0);
  stage->Move(1001);  // first tick taken here
  stage->Move(1501);
  EXPECT_EQ(enemy->GetFrame(), 0);
  stage->Move(1502);
  EXPECT_EQ(enemy->GetFrame(), 1);
  stage->Move(2002);
  EXPECT_EQ(enemy->GetFrame(), 1);
  for (int t : {2003, 2504, 3005}) stage->Move(t);  // 2, 3, then round to 0
  EXPECT_EQ(enemy->GetFrame(), 0);
}

TEST_F(Typing, ATargetWaitsWhileNoFreeLetterHasAWord) {
  // Two enemies at once but words for one letter only: the second gets no
  // empty word; it becomes active once the letter is free again.
  auto stage = support::MakeStage(
      "scene{ texture Enemy1.bmp time 1000 30000 enemy{ position -3 0 10 } "
      "enemy{ position 3 0 10 } }",
      {"kite"});
  stage->Move(0);
  stage->Move(2000);
  std::vector<CTarget*> enemies = Targets(*stage);
  ASSERT_EQ(enemies.size(), 2u);
  EXPECT_TRUE(enemies[0]->IsActive());
  EXPECT_FALSE(enemies[1]->IsActive());
  EXPECT_TRUE(enemies[1]->GetText().empty());
  Type(*stage, "kite");
  stage->Move(3100);
  EXPECT_TRUE(enemies[1]->IsActive());
  EXPECT_EQ(enemies[1]->GetText(), "kite");
  // The shot one's window ends later: its second deactivation must leave the
  // new holder of k alone.
  stage->Move(30001);
  EXPECT_EQ(support::LetterBooksProblem(*stage), "");
}

TEST_F(Typing, ATargetWaitsWhileAllLettersAreHeld) {
  std::string sceneText = "scene{ texture Enemy1.bmp time 1000 30000 ";
  std::vector<std::string> words;
  for (char c = 'a'; c <= 'z'; ++c) {
    sceneText += "enemy{ position 0 0 10 } ";
    words.push_back(std::string(1, c) + "x");
  }
  auto stage = support::MakeStage(sceneText + "enemy{ position 0 0 10 } }", words);
  stage->Move(0);
  stage->Move(2000);
  std::vector<CTarget*> enemies = Targets(*stage);
  ASSERT_EQ(enemies.size(), 27u);
  EXPECT_TRUE(Impl(*stage).m_freeLetters.empty());
  EXPECT_FALSE(enemies[26]->IsActive());
  Type(*stage, "qx");  // frees q
  stage->Move(2100);
  EXPECT_TRUE(enemies[26]->IsActive());
  EXPECT_EQ(enemies[26]->GetText(), "qx");
}

// A long random game with few words, some sharing letters, mixed case:
// letters run short often. Every letter stays free or held by exactly one
// live target, and a key fires exactly when it reaches a locked target.
TEST_F(Typing, EveryLetterIsFreeOrHeldByOneTargetAfterEveryKey) {
  std::mt19937 random(20261206);
  std::string sceneText = "scene{ texture Enemy1.bmp ";
  for (int i = 0; i < 40; ++i) {
    const int start = static_cast<int>(random() % 60000);
    const int length = 2000 + static_cast<int>(random() % 20000);
    sceneText += "enemy{ position " + std::to_string(static_cast<int>(random() % 20) - 10) + " 0 " +
                 std::to_string(10 + static_cast<int>(random() % 20)) + " time " +
                 std::to_string(start) + " " + std::to_string(start + length) + " } ";
  }
  auto stage = support::MakeStage(sceneText + "}",
                                  {"ab", "Ax", "bee", "cab", "Dab", "e", "ace", "bad", "cede"});
  const char keys[] = "abcdexABCDE \x1b";
  int shotsBefore = 0;
  for (int t = 0; t <= 90000; t += 37) {
    stage->Move(t);
    ASSERT_EQ(support::LetterBooksProblem(*stage), "") << "after the move at " << t;
    for (int k = static_cast<int>(random() % 3); k > 0; --k) {
      const char key = keys[random() % (sizeof keys - 1)];
      const bool locked = Impl(*stage).m_activeTarget != nullptr || Holder(*stage, key) != nullptr;
      stage->CatchKey(key == '\x1b' ? KeyEscape : key);
      ASSERT_EQ(support::LetterBooksProblem(*stage), "") << "after " << key << " at " << t;
      const int shots = Status().GetShotCount();
      EXPECT_EQ(shots - shotsBefore, key != '\x1b' && locked ? 1 : 0);
      shotsBefore = shots;
    }
  }
  EXPECT_GT(Status().GetScore() + Status().GetHitCount(), 0);
}

}  // namespace
