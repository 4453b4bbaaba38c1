// A long random game: every letter stays free or held by exactly one live
// target, whatever is typed and whenever windows open, close and bullets fly.
#include <cstdlib>
#include <random>

#include "StageFixture.h"

namespace stagetest {
namespace {

TEST_F(StageTest, EveryLetterIsFreeOrHeldByOneTargetAfterEveryKey) {
  std::mt19937 random(20261206);
  std::string sceneText = "scene{ texture Enemy1.bmp ";
  for (int i = 0; i < 40; ++i) {
    int start = static_cast<int>(random() % 60000);
    int length = 2000 + static_cast<int>(random() % 20000);
    sceneText += "enemy{ position " + std::to_string(static_cast<int>(random() % 20) - 10) + " 0 " +
                 std::to_string(10 + static_cast<int>(random() % 20)) + " time " +
                 std::to_string(start) + " " + std::to_string(start + length) + " } ";
  }
  sceneText += "}";
  // Few words, some sharing letters, mixed case: letters run short often.
  auto scene = MakeScene(sceneText, {"ab", "Ax", "bee", "cab", "Dab", "e", "ace", "bad", "cede"});

  const char keys[] = "abcdexABCDE \x1b";
  int shotsBefore = 0;
  for (int t = 0; t <= 90000; t += 37) {
    scene->Move(t);
    ASSERT_TRUE(LettersConsistent(*scene)) << "after the move at " << t;
    int presses = static_cast<int>(random() % 3);
    for (int k = 0; k < presses; ++k) {
      char key = keys[random() % (sizeof keys - 1)];
      bool locked = Impl(*scene).m_activeTarget != nullptr || Holder(*scene, key) != nullptr;
      scene->CatchKey(key == '\x1b' ? KeyEscape : key);
      ASSERT_TRUE(LettersConsistent(*scene)) << "after key " << key << " at " << t;
      // A key fires exactly when it reaches a locked target.
      int shots = Status().GetShotCount();
      EXPECT_EQ(shots - shotsBefore, key != '\x1b' && locked ? 1 : 0);
      shotsBefore = shots;
    }
  }
  EXPECT_GT(Status().GetScore() + Status().GetHitCount(), 0);
}

}  // namespace
}  // namespace stagetest
