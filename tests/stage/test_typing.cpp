// Typing rules and targets as the player feels them: locking by initial
// letter, hits and misses, Escape, kills and their score, reloads, enemy
// windows, firing, bullets and the explosion.
#include <algorithm>
#include <functional>

#include "Classes/SceneGame/Sight.h"
#include "Classes/SceneGame/TargetRenderer.h"
#include "Sound.h"
#include "StageFixture.h"

namespace stagetest {
namespace {

const char kOneEnemy[] = "scene{ enemy{ position 0 0 10 time 1000 30000 texture Enemy1.bmp } }";

int Count(const std::vector<std::string>& list, const std::string& item) {
  return static_cast<int>(std::count(list.begin(), list.end(), item));
}

TEST_F(StageTest, TheFirstLetterLocksInEitherCaseAndIsTheFirstHit) {
  auto scene = MakeScene(kOneEnemy, {"Kite"});
  scene->Move(5000);  // stage time 0: the window (1000, 30000) is not open yet
  CTarget* enemy = Targets(*scene).at(0);
  EXPECT_TRUE(enemy->GetText().empty());
  scene->Move(7000);  // stage time 2000
  ASSERT_EQ(enemy->GetText(), "Kite");
  EXPECT_EQ(Holder(*scene, 'k'), enemy);

  scene->CatchKey('k');
  EXPECT_EQ(Impl(*scene).m_activeTarget, enemy);
  EXPECT_EQ(enemy->GetTyped(), 1u);
  EXPECT_EQ(Status().GetHitCount(), 1);
  EXPECT_EQ(Status().GetShotCount(), 1);
  EXPECT_EQ(Impl(*scene).m_sight->GetTarget(), enemy);

  scene->CatchKey(KeyEscape);
  EXPECT_EQ(Impl(*scene).m_activeTarget, nullptr);
  EXPECT_EQ(enemy->GetTyped(), 0u);
  EXPECT_EQ(Impl(*scene).m_sight->GetTarget(), nullptr);
  EXPECT_EQ(Status().GetShotCount(), 1);  // Escape fires nothing

  Type(*scene, "KI");  // Shift makes no difference, for locking or for letters
  EXPECT_EQ(Impl(*scene).m_activeTarget, enemy);
  EXPECT_EQ(enemy->GetTyped(), 2u);
  EXPECT_EQ(Status().GetHitCount(), 3);
}

TEST_F(StageTest, AWrongKeyCostsAShotAndKeepsTheLock) {
  auto scene = MakeScene(kOneEnemy, {"kite"});
  scene->Move(0);
  scene->Move(2000);
  CTarget* enemy = Targets(*scene).at(0);
  Type(*scene, "k");
  Type(*scene, "x \b");  // misses: a letter, space and Backspace
  EXPECT_EQ(Impl(*scene).m_activeTarget, enemy);
  EXPECT_EQ(enemy->GetTyped(), 1u);
  EXPECT_EQ(Status().GetShotCount(), 4);
  EXPECT_EQ(Status().GetHitCount(), 1);
  EXPECT_EQ(Status().GetAmmo(), 2);
  Type(*scene, "i");
  EXPECT_EQ(enemy->GetTyped(), 2u);
}

TEST_F(StageTest, KeysThatLockNothingAreIgnoredAndEscapeRestartsTheWord) {
  auto scene = MakeScene(kOneEnemy, {"kite"});
  scene->Move(0);
  scene->Move(2000);
  CTarget* enemy = Targets(*scene).at(0);
  Type(*scene, "zi ");  // nothing locked: no shot, no penalty
  EXPECT_EQ(Status().GetShotCount(), 0);
  EXPECT_TRUE(m_sounds.empty());
  Type(*scene, "kit");
  scene->CatchKey(KeyEscape);
  EXPECT_EQ(enemy->GetTyped(), 0u);
  Type(*scene, "e");  // no word begins with e: still nothing locked
  EXPECT_EQ(Status().GetShotCount(), 3);
  Type(*scene, "kite");
  EXPECT_TRUE(enemy->IsDead());
}

TEST_F(StageTest, AKillCountsTheHitThenScoresUnlocksAndFreesTheLetterThenFires) {
  auto scene = MakeScene(kOneEnemy, {"ko"});
  scene->Move(100);
  scene->Move(3600);  // stage time 3500: the window opened at 1000
  CTarget* enemy = Targets(*scene).at(0);
  // What the player's status and the scene looked like when the kill's sound
  // was requested, and when the shot's was.
  struct Seen {
    int hits, score;
    bool letterFree, locked;
  };
  std::vector<std::pair<std::string, Seen>> seen;
  static std::function<void(const std::string&)> observer;
  observer = [&](const std::string& name) {
    seen.push_back(
        {name,
         {Status().GetHitCount(), Status().GetScore(), Impl(*scene).m_freeLetters.count('k') != 0,
          Impl(*scene).m_activeTarget != nullptr}});
  };
  CSound::SetSink([](const std::string& name, int) { observer(name); });
  Type(*scene, "ko");
  CSound::SetSink(nullptr);

  ASSERT_EQ(seen.size(), 3u);  // GunFire for k, then OhNo and GunFire for o
  EXPECT_EQ(seen[1].first, "OhNo");
  EXPECT_EQ(seen[1].second.hits, 2);
  EXPECT_EQ(seen[1].second.score, 2500);
  EXPECT_TRUE(seen[1].second.letterFree);
  EXPECT_FALSE(seen[1].second.locked);
  EXPECT_EQ(seen[2].first, "GunFire");
  EXPECT_EQ(Status().GetShotCount(), 2);
  EXPECT_EQ(Impl(*scene).m_sight->GetTarget(), nullptr);
  EXPECT_TRUE(enemy->IsDead());
  EXPECT_TRUE(LettersConsistent(*scene));
}

TEST_F(StageTest, TheSixthShotReloadsAtOnce) {
  auto scene = MakeScene(kOneEnemy, {"kkkkkkkk"});
  scene->Move(0);
  scene->Move(2000);
  Type(*scene, "kkkkk");
  EXPECT_EQ(Status().GetAmmo(), 1);
  EXPECT_EQ(Count(m_sounds, "Reload"), 0);
  Type(*scene, "k");
  EXPECT_EQ(Status().GetAmmo(), 6);
  EXPECT_EQ(Status().GetShotCount(), 6);
  ASSERT_GE(m_sounds.size(), 2u);
  EXPECT_EQ(m_sounds[m_sounds.size() - 2], "GunFire");
  EXPECT_EQ(m_sounds.back(), "Reload");
}

TEST_F(StageTest, WindowsAreExclusiveAtTheStartAndInclusiveAtTheEnd) {
  auto scene = MakeScene(kOneEnemy, {"kite"});
  scene->Move(0);
  CTarget* enemy = Targets(*scene).at(0);
  scene->Move(1000);
  EXPECT_FALSE(enemy->IsActive());
  scene->Move(1001);
  EXPECT_TRUE(enemy->IsActive());
  Type(*scene, "k");
  scene->Move(30000);
  EXPECT_TRUE(enemy->IsActive());
  scene->Move(30001);  // expiring unlocks it, hides the sight, frees its letter
  EXPECT_FALSE(enemy->IsActive());
  EXPECT_EQ(Impl(*scene).m_activeTarget, nullptr);
  EXPECT_EQ(Impl(*scene).m_sight->GetTarget(), nullptr);
  EXPECT_EQ(Holder(*scene, 'k'), nullptr);
  EXPECT_TRUE(LettersConsistent(*scene));
  scene->Move(30500);  // never active again
  EXPECT_FALSE(enemy->IsActive());
}

TEST_F(StageTest, AnEnemyFiresEverySevenSecondsFromItsActivation) {
  auto scene = MakeScene(kOneEnemy, {"kite"});
  scene->Move(0);
  std::vector<int> firedAt;
  for (int t : {1001, 5000, 8000, 8001, 8002, 15000, 15001, 22001, 29001, 29999, 30000}) {
    size_t before = Targets(*scene).size();
    scene->Move(t);  // activated at 1001
    if (Targets(*scene).size() > before) firedAt.push_back(t);
  }
  EXPECT_EQ(firedAt, (std::vector<int>{8001, 15001, 22001, 29001}));
}

TEST_F(StageTest, AnEnemyStopsFiringWhenShot) {
  auto scene = MakeScene(kOneEnemy, {"ok"});
  scene->Move(0);
  scene->Move(2000);
  Type(*scene, "ok");
  for (int t = 2000; t <= 29000; t += 1000) scene->Move(t);
  EXPECT_EQ(Targets(*scene).size(), 1u);
}

TEST_F(StageTest, ABulletFliesToTheEyeAndHurtsOnceAfterFourSeconds) {
  auto scene = MakeScene(kOneEnemy, {"kite"});
  scene->Move(0);
  scene->Move(1001);
  scene->Move(8001);  // the first shot
  ASSERT_EQ(Targets(*scene).size(), 2u);
  CBullet* bullet = dynamic_cast<CBullet*>(Targets(*scene).at(1));
  ASSERT_NE(bullet, nullptr);
  EXPECT_FALSE(bullet->IsActive());  // fired in this frame: not active yet
  scene->Move(8002);
  EXPECT_TRUE(bullet->IsActive());
  EXPECT_EQ(bullet->GetText().size(), 1u);

  scene->Move(10001);  // half way from the enemy (0, 0, 10) to the eye (0, 1, -20)
  D3DVECTOR p = bullet->GetPosition();
  EXPECT_NEAR(p.x, 0.0f, 1e-4);
  EXPECT_NEAR(p.y, 0.5f, 1e-4);
  EXPECT_NEAR(p.z, -5.0f, 1e-4);

  scene->Move(12001);
  EXPECT_EQ(Status().GetLife(), 5);
  scene->Move(12002);
  EXPECT_EQ(Status().GetLife(), 4);
  EXPECT_EQ(
      Count(m_sounds, "Konoyarou") + Count(m_sounds, "Kuso") + Count(m_sounds, "Yariyagattana"), 1);
  // Past the camera it is out of sight for good and hurts no more.
  auto* renderer = static_cast<CTargetRenderer*>(bullet->GetRenderer());
  EXPECT_FALSE(renderer->IsActive());
  for (int t = 12100; t < 14000; t += 100) scene->Move(t);
  EXPECT_EQ(Status().GetLife(), 4);
  EXPECT_FALSE(renderer->IsActive());
  EXPECT_TRUE(LettersConsistent(*scene));
}

TEST_F(StageTest, ABulletsOneLetterLocksHitsAndKillsInOneKey) {
  auto scene = MakeScene(kOneEnemy, {"kite"});
  scene->Move(0);
  scene->Move(1001);
  scene->Move(8001);
  scene->Move(9001);  // stage time 9001: the bullet is 1000 ms old
  CBullet* bullet = dynamic_cast<CBullet*>(Targets(*scene).at(1));
  ASSERT_NE(bullet, nullptr);
  char letter = bullet->GetText().at(0);
  EXPECT_NE(letter, 'k');  // the enemy holds k
  m_sounds.clear();
  scene->CatchKey(letter);
  EXPECT_TRUE(bullet->IsDead());
  EXPECT_EQ(Status().GetShotCount(), 1);
  EXPECT_EQ(Status().GetHitCount(), 1);
  EXPECT_EQ(Status().GetScore(), 1000);
  EXPECT_EQ(m_sounds, (std::vector<std::string>{"OhNo", "Bomb", "GunFire"}));
  EXPECT_EQ(Impl(*scene).m_activeTarget, nullptr);
  // A shot bullet stays where it was hit and never hurts.
  D3DVECTOR where = bullet->GetPosition();
  for (int t = 9100; t <= 14000; t += 100) scene->Move(t);
  EXPECT_EQ(Status().GetLife(), 5);
  EXPECT_EQ(bullet->GetPosition().z, where.z);
  EXPECT_TRUE(LettersConsistent(*scene));
}

TEST_F(StageTest, TheAnimationStepsOnlyAfterMoreThan500Ms) {
  auto scene = MakeScene(kOneEnemy, {"kite"});
  scene->Move(0);
  CTarget* enemy = Targets(*scene).at(0);
  scene->Move(1001);  // first tick taken here
  scene->Move(1501);
  EXPECT_EQ(enemy->GetFrame(), 0);
  scene->Move(1502);
  EXPECT_EQ(enemy->GetFrame(), 1);
  scene->Move(2002);
  EXPECT_EQ(enemy->GetFrame(), 1);
  for (int t : {2003, 2504, 3005}) scene->Move(t);  // 2, 3, then round to 0
  EXPECT_EQ(enemy->GetFrame(), 0);
}

TEST_F(StageTest, AShotTargetKeepsShowingItsLastExplosionFrame) {
  auto scene = MakeScene(kOneEnemy, {"ok"});
  scene->Move(0);
  scene->Move(2000);
  CTarget* enemy = Targets(*scene).at(0);
  auto* renderer = static_cast<CTargetRenderer*>(enemy->GetRenderer());
  Type(*scene, "ok");
  EXPECT_TRUE(renderer->IsDying());
  EXPECT_EQ(renderer->GetFrameV(), 0.5f);
  for (int t = 2600; t <= 9000; t += 600) scene->Move(t);
  EXPECT_EQ(enemy->GetFrame(), 3);
  EXPECT_EQ(renderer->GetFrameU(), 0.75f);
  EXPECT_TRUE(renderer->IsActive());
  Calls();
  scene->Draw();
  std::vector<std::string> calls = Calls();
  EXPECT_GE(std::count_if(calls.begin(), calls.end(),
                          [](const std::string& c) { return c.find("DrawPrimitive(5") == 0; }),
            1);
}

TEST_F(StageTest, ATargetWaitsWhileNoFreeLetterHasAWord) {
  // Two enemies at once but words for one letter only: the second gets no
  // empty word; it becomes active once the letter is free again.
  auto scene = MakeScene(
      "scene{ texture Enemy1.bmp time 1000 30000 enemy{ position -3 0 10 } "
      "enemy{ position 3 0 10 } }",
      {"kite"});
  scene->Move(0);
  scene->Move(2000);
  std::vector<CTarget*> enemies = Targets(*scene);
  ASSERT_EQ(enemies.size(), 2u);
  EXPECT_TRUE(enemies[0]->IsActive());
  EXPECT_FALSE(enemies[1]->IsActive());
  EXPECT_TRUE(enemies[1]->GetText().empty());
  scene->Move(3000);
  EXPECT_FALSE(enemies[1]->IsActive());
  Type(*scene, "kite");
  scene->Move(3100);
  EXPECT_TRUE(enemies[1]->IsActive());
  EXPECT_EQ(enemies[1]->GetText(), "kite");
  EXPECT_TRUE(LettersConsistent(*scene));
}

TEST_F(StageTest, ATargetWaitsWhileAllLettersAreHeld) {
  std::string sceneText = "scene{ texture Enemy1.bmp time 1000 30000 ";
  std::vector<std::string> words;
  for (char c = 'a'; c <= 'z'; ++c) {
    sceneText += "enemy{ position 0 0 10 } ";
    words.push_back(std::string(1, c) + "x");
  }
  sceneText += "enemy{ position 0 0 10 } }";
  auto scene = MakeScene(sceneText, words);
  scene->Move(0);
  scene->Move(2000);
  std::vector<CTarget*> enemies = Targets(*scene);
  ASSERT_EQ(enemies.size(), 27u);
  EXPECT_TRUE(Impl(*scene).m_freeLetters.empty());
  EXPECT_FALSE(enemies[26]->IsActive());
  EXPECT_TRUE(LettersConsistent(*scene));
  Type(*scene, "qx");  // frees q
  scene->Move(2100);
  EXPECT_TRUE(enemies[26]->IsActive());
  EXPECT_EQ(enemies[26]->GetText(), "qx");
}

TEST_F(StageTest, TheSecondDeactivationOfAShotTargetLeavesAnotherHolderAlone) {
  auto scene = MakeScene(
      "scene{ texture Enemy1.bmp enemy{ position -3 0 10 time 1000 5000 } "
      "enemy{ position 3 0 10 time 1000 30000 } }",
      {"kite"});
  scene->Move(0);
  scene->Move(2000);
  std::vector<CTarget*> enemies = Targets(*scene);
  ASSERT_TRUE(enemies[0]->IsActive());
  Type(*scene, "kite");  // the first is shot; k is free again
  scene->Move(2100);
  ASSERT_EQ(Holder(*scene, 'k'), enemies[1]);
  scene->Move(5001);  // the shot one's window ends: it is deactivated again
  EXPECT_FALSE(enemies[0]->IsActive());
  EXPECT_EQ(Holder(*scene, 'k'), enemies[1]);
  EXPECT_EQ(Impl(*scene).m_freeLetters.count('k'), 0u);
  EXPECT_TRUE(LettersConsistent(*scene));
  Type(*scene, "k");
  EXPECT_EQ(Impl(*scene).m_activeTarget, enemies[1]);
}

}  // namespace
}  // namespace stagetest
