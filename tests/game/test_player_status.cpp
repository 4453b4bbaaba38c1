// The player status rules with the sounds they request, in order: the
// automatic reload on the sixth shot, the refill of lives with its penalty and
// a score that damage never takes below 0.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

#include "Classes/SceneGame/NHClasses.h"
#include "Random.h"
#include "game_test_support.h"

namespace {

using gametest::Lines;

TEST(PlayerStatus, ResetGivesTheStartValues) {
  CPlayerStatus status;
  status.AddScore(700);
  status.AddHit();
  status.Fire();
  status.Damage();
  status.Reset();
  EXPECT_EQ(status.GetScore(), 0);
  EXPECT_EQ(status.GetLife(), 5);
  EXPECT_EQ(status.GetAmmo(), 6);
  EXPECT_EQ(status.GetShotCount(), 0);
  EXPECT_EQ(status.GetHitCount(), 0);
}

TEST(PlayerStatus, TheSixthShotReloadsAtOnceAndShotsCountAcrossMagazines) {
  gametest::SoundRecorder sounds;
  CPlayerStatus status;
  status.Reset();
  for (int shot = 1; shot <= 5; ++shot) {
    status.Fire();
    EXPECT_EQ(status.GetAmmo(), 6 - shot);
    EXPECT_EQ(sounds.Take(), Lines{"GunFire"});
  }
  status.Fire();
  EXPECT_EQ(sounds.Take(), (Lines{"GunFire", "Reload"}));
  EXPECT_EQ(status.GetAmmo(), 6);  // the magazine is never seen empty
  EXPECT_EQ(status.GetShotCount(), 6);
  for (int shot = 0; shot < 8; ++shot) status.Fire();
  EXPECT_EQ(status.GetAmmo(), 4);
  EXPECT_EQ(status.GetShotCount(), 14);
  status.AddHit();
  EXPECT_EQ(status.GetHitCount(), 1);  // hits are counted apart from shots
}

TEST(PlayerStatus, LosingTheLastLifeCostsAThousandPointsAndRefillsToSix) {
  gametest::SoundRecorder sounds;
  CPlayerStatus status;
  const int cases[][2] = {{600, 0}, {2500, 1500}, {1000, 0}};
  for (const auto& c : cases) {
    status.Reset();
    status.AddScore(c[0]);
    for (int i = 0; i < 4; ++i) status.Damage();
    EXPECT_EQ(status.GetLife(), 1);
    EXPECT_EQ(status.GetScore(), c[0]);  // lives above the last cost nothing
    status.Damage();
    EXPECT_EQ(status.GetLife(), 6);
    EXPECT_EQ(status.GetScore(), c[1]) << "from " << c[0];
  }
  for (int i = 0; i < 5; ++i) status.Damage();  // refilled lives run down from 6
  EXPECT_EQ(status.GetLife(), 1);

  // Points themselves are not clamped, upwards or downwards.
  status.Reset();
  status.AddScore(2000000000);
  status.AddScore(100000000);
  EXPECT_EQ(status.GetScore(), 2100000000);
  status.Reset();
  status.AddScore(-50);
  EXPECT_EQ(status.GetScore(), -50);
}

TEST(PlayerStatus, EachHitRequestsTheCryDrawnByRandom) {
  const char* const cries[3] = {"Konoyarou", "Kuso", "Yariyagattana"};
  gametest::SoundRecorder sounds;
  CPlayerStatus status;
  // Replaying the seed tells which cry each hit must request.
  std::srand(20261206);
  Lines expected;
  std::set<int> draws;
  for (int i = 0; i < 30; ++i) {
    int draw = Random(3);
    expected.push_back(cries[draw]);
    draws.insert(draw);
  }
  std::srand(20261206);
  for (int i = 0; i < 30; ++i) status.Damage();
  EXPECT_EQ(sounds.Take(), expected);
  EXPECT_EQ(draws.size(), 3u);
  EXPECT_EQ(Random(0), 0);  // nothing to draw from: no division by zero
}

}  // namespace
