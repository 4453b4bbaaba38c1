// The camera path follower: linear blending between the pair of keys around
// the stage time, keys used in the order given, and the stage clear at the end
// of the path (also for paths too short to blend).
#include <gtest/gtest.h>

#include <climits>

#include "camera_test_scene.h"

namespace {

// The eye moves along +z looking ahead; between the last two keys it turns to
// look along +x while the up vector tips from y to x.
void AddThreeKeys(CameraTestScene& scene) {
  scene.m_path.Add(new CameraKey(0, 0, 2, 0, 0, 0, 10, 0, 1, 0));
  scene.m_path.Add(new CameraKey(1000, 0, 2, 40, 0, 0, 10, 0, 1, 0));
  scene.m_path.Add(new CameraKey(3000, 20, 6, 40, 10, 0, 0, 1, 0, 0));
}

TEST(CameraPath, BlendsThePairAroundTheStageTime) {
  CameraTestScene scene;
  AddThreeKeys(scene);
  scene.StepAt(250);
  ExpectVector(scene.m_eye, 0, 2, 10);
  ExpectVector(scene.m_lookAt, 0, 2, 20);  // a point: eye + blended direction
  ExpectVector(scene.m_worldUp, 0, 1, 0);

  scene.StepAt(2000);  // direction and up are blended, not normalised
  ExpectVector(scene.m_eye, 10, 4, 40);
  ExpectVector(scene.m_lookAt, 15, 4, 45);
  ExpectVector(scene.m_worldUp, 0.5f, 0.5f, 0);

  scene.StepAt(1000);  // a key's own time uses the pair starting there
  ExpectVector(scene.m_eye, 0, 2, 40);
  ExpectVector(scene.m_lookAt, 0, 2, 50);
  EXPECT_EQ(scene.m_clears, 0);
}

TEST(CameraPath, TheLastKeysTimeRestsTheCameraThereAndClearsTheStage) {
  CameraTestScene scene;
  AddThreeKeys(scene);
  scene.StepAt(3000);
  ExpectVector(scene.m_eye, 20, 6, 40);
  ExpectVector(scene.m_lookAt, 30, 6, 40);
  ExpectVector(scene.m_worldUp, 1, 0, 0);
  EXPECT_EQ(scene.m_cameraSets, 1);
  EXPECT_EQ(scene.m_clears, 1);

  // A path whose first key comes after the start ends on the first frame.
  CameraTestScene late;
  late.m_path.Add(new CameraKey(500, 1, 1, 1, 0, 0, 1, 0, 1, 0));
  late.m_path.Add(new CameraKey(900, 2, 2, 2, 0, 0, 1, 0, 1, 0));
  late.StepAt(0);
  ExpectVector(late.m_eye, 2, 2, 2);
  EXPECT_EQ(late.m_clears, 1);
}

TEST(CameraPath, KeysAreTakenInTheOrderAddedNotSorted) {
  CameraTestScene scene;
  scene.m_path.Add(new CameraKey(0, 0, 0, 0, 0, 0, 1, 0, 1, 0));
  scene.m_path.Add(new CameraKey(3000, 30, 0, 0, 0, 0, 1, 0, 1, 0));
  scene.m_path.Add(new CameraKey(1000, 99, 0, 0, 0, 0, 1, 0, 1, 0));
  scene.StepAt(2000);  // inside the first pair; the key at 1000 plays no part
  ExpectVector(scene.m_eye, 20, 0, 0);
  EXPECT_EQ(scene.m_clears, 0);
  scene.StepAt(3500);  // no pair encloses it: the last key added
  ExpectVector(scene.m_eye, 99, 0, 0);
  EXPECT_EQ(scene.m_clears, 1);
}

TEST(CameraPath, PathsTooShortToBlendStillEndTheStage) {
  CameraTestScene empty;  // the camera is left alone, but the stage ends
  empty.StepAt(0);
  EXPECT_EQ(empty.m_cameraSets, 0);
  EXPECT_EQ(empty.m_clears, 1);

  CameraTestScene single;  // the camera is put on the key
  single.m_path.Add(new CameraKey(5000, 3, 4, 5, 0, 0, 2, 0, 1, 0));
  single.StepAt(0);
  ExpectVector(single.m_eye, 3, 4, 5);
  ExpectVector(single.m_lookAt, 3, 4, 7);
  EXPECT_EQ(single.m_clears, 1);

  single.m_path.ClearKeys();
  EXPECT_EQ(single.m_path.GetCount(), 0);
}

TEST(CameraPath, StageTimesAndKeysAtTheEndsOfTheRange) {
  CameraTestScene scene;
  scene.m_path.Add(new CameraKey(INT_MIN, 0, 0, 0, 0, 0, 1, 0, 1, 0));
  scene.m_path.Add(new CameraKey(INT_MAX, 8, 0, 0, 0, 0, 1, 0, 1, 0));
  scene.StepAt(0);  // half way, without overflow
  EXPECT_NEAR(scene.m_eye.x, 4.0f, 1e-3f);
  EXPECT_EQ(scene.m_clears, 0);

  // A stage time past INT_MAX compares as negative: before an ordinary path.
  CameraTestScene late;
  AddThreeKeys(late);
  late.StepAt(0x80000000u);
  EXPECT_EQ(late.m_clears, 1);
}

}  // namespace
