// The content readers and the camera path follower. Path files: one key per
// closing brace with the values current at that moment, the stop at the
// outermost closing brace, case-insensitive keys, and reading that ends
// (keeping what was made) on a missing file, an early end, a malformed number
// or too few values. Scene files: what each block makes, values carried from
// block to block, the same stops. The camera: linear blending between the
// pair of keys around the stage time, keys in the order given, and the stage
// clear at the end of the path.
#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <string>
#include <vector>

#include "Classes/SceneGame/CameraPath.h"
#include "Classes/SceneGame/NHClasses.h"
#include "Classes/SceneGame/Sight.h"
#include "Classes/SceneGame/Target.h"
#include "FileInterpreter.h"
#include "support/Folder.h"
#include "support/Stage.h"
#include "support/StageInspector.h"

namespace {

void ExpectVector(const D3DVECTOR& v, float x, float y, float z) {
  EXPECT_FLOAT_EQ(v.x, x);
  EXPECT_FLOAT_EQ(v.y, y);
  EXPECT_FLOAT_EQ(v.z, z);
}

// ---------------------------------------------------------------- path files

typedef std::vector<std::unique_ptr<CameraKey>> Keys;

Keys ReadKeys(const std::string& content) {
  support::WriteFile("Data/path.txt", content);
  Keys keys;
  CFileInterpreter::ReadPath("Data\\path.txt", [&keys](CameraKey* key) { keys.emplace_back(key); });
  return keys;
}

TEST(PathFile, KeysTakeTheValuesCurrentAtTheirBraceAndTheOuterBlockMakesOneMore) {
  // A brace may follow a number directly; unknown tokens are skipped.
  Keys keys = ReadKeys(
      "{\n { TIME 100 Position 1 2 3 LOOKAT 4 5 6 WorldUp 7 8 9} speed 3\n"
      " { time 900 position 0 1.5 -5 }\n}\n");
  ASSERT_EQ(keys.size(), 3u);
  EXPECT_EQ(keys[0]->time, 100);
  ExpectVector(keys[0]->position, 1, 2, 3);
  for (size_t i = 1; i < 3; ++i) {
    EXPECT_EQ(keys[i]->time, 900);
    ExpectVector(keys[i]->position, 0, 1.5f, -5);
    ExpectVector(keys[i]->lookAt, 4, 5, 6);
    ExpectVector(keys[i]->worldUp, 7, 8, 9);
  }
  Keys fresh = ReadKeys("{ time 7 } { time 8 } }");  // vectors start at zero
  ASSERT_EQ(fresh.size(), 1u);                       // nothing after the outermost block is read
  ExpectVector(fresh[0]->position, 0, 0, 0);
}

TEST(PathFile, ReadingEndsKeepingTheKeysMade) {
  EXPECT_EQ(ReadKeys("time 0 { { time 5 } }").size(), 0u);  // no block first
  EXPECT_EQ(ReadKeys("").size(), 0u);
  EXPECT_EQ(ReadKeys("} { time 5 } }").size(), 1u);  // a stray brace makes its key and ends
  Keys malformed = ReadKeys("{ { time 100 } { position 1 x 3 } { time 300 } }");
  ASSERT_EQ(malformed.size(), 1u);
  EXPECT_EQ(malformed[0]->time, 100);
  EXPECT_EQ(ReadKeys("{ { time 100 } { position 1 2 } { time 300 } }").size(), 1u);  // too few
  EXPECT_EQ(ReadKeys("{ { time 99999999999 } { time 1 } }").size(), 0u);             // out of range
  EXPECT_EQ(ReadKeys("{ { time 5 } { time 6 position 1 2").size(), 1u);              // cut short
  // Infinities, not-a-number and floats beyond the float range are malformed
  // numbers too: they are never read as values.
  for (const char* number : {"inf", "-inf", "nan", "1e308", "3.5e38"})
    EXPECT_EQ(ReadKeys(std::string("{ { time 0 } { position ") + number + " 0 0 } }").size(), 1u)
        << number;
  int count = 0;
  CFileInterpreter::ReadPath("Data\\missing.txt", [&count](CameraKey* key) {
    delete key;
    ++count;
  });
  EXPECT_EQ(count, 0);
}

// ---------------------------------------------------------------- scene files

std::string KindsOf(const std::string& sceneText) {
  return support::Kinds(*support::MakeStage(sceneText, {"kite"}));
}

TEST(SceneFile, BlocksInAnyCaseMakeTheirObjectsWithTheValuesCurrentAtTheirBrace) {
  auto stage = support::MakeStage(
      "SCENE{ light{ position 7 0 30 } "
      "Enemy{ time 1000 9000 texture Enemy1.bmp } enemy{ position 1 2 3 } "
      "BUILDING{ SIZE 4 12 4 TEXTURE BuilDing1A.bmp } building{ position 9 0 0 } "
      "ground{ } panel{ } }",
      {"kite"});
  EXPECT_EQ(support::Kinds(*stage), "EEBBGPS");
  std::vector<CTarget*> enemies = support::Targets(*stage);
  ASSERT_EQ(enemies.size(), 2u);
  // The unknown block made nothing, but its position placed the first enemy.
  ExpectVector(enemies[0]->GetRenderer()->GetPosition(0), 7, 0, 30);
  ExpectVector(enemies[1]->GetRenderer()->GetPosition(0), 1, 2, 3);
  // The second enemy gave no time: it has the first one's window.
  EXPECT_EQ(enemies[1]->GetStart(), 1000);
  EXPECT_EQ(enemies[1]->GetEnd(), 9000);
  // Both buildings share one renderer; the ground stands on the last position.
  CSceneGame::CImpl& impl = CSceneGameInspector::Impl(*stage);
  // Each enemy draws itself; the buildings share one renderer.
  EXPECT_EQ(impl.m_renderers.size(), 6u);
  for (IRenderer* renderer : impl.m_renderers)
    if (dynamic_cast<CGroundRenderer*>(renderer)) ExpectVector(renderer->GetPosition(0), 9, 0, 0);
}

TEST(SceneFile, ReadingEndsWithTheOutermostBlockOrTheFirstBadValue) {
  const struct {
    const char* text;
    const char* kinds;
  } cases[] = {
      // Anything after the scene block is never read.
      {"scene{ ground{ } } building{ size 1 1 1 texture Building1a.bmp }", "GS"},
      // A brace apart from its name is no opener: reading stops at once.
      {"scene { ground{ } }", "S"},
      {"position 0 0 0 scene{ ground{ } }", "S"},
      // Nested blocks act innermost first.
      {"scene{ texture Building1a.bmp building{ size 1 1 1 enemy{ time 0 10 } } }", "EBS"},
      // Blocks whose closing brace never comes make nothing.
      {"scene{ ground{ } panel{ ", "GS"},
      {"scene{ ground{ } position 1 x 3 ground{ } }", "GS"},
      {"scene{ panel{ } enemy{ time 5 } ground{ } }", "PS"},
      {"scene{ ground{ } size 1 2", "GS"},
      {"scene{ ground{ } enemy{ texture", "GS"},
  };
  for (const auto& c : cases) EXPECT_EQ(KindsOf(c.text), c.kinds) << c.text;
  std::unique_ptr<CSceneGame> missing = support::MakeStageFromFiles(
      "Data\\no-such-scene.txt", "Data\\stage-words.txt", "Data\\stage-path.txt");
  EXPECT_EQ(support::Kinds(*missing), "S");
}

// ---------------------------------------------------------------- camera path

// The game scene as the camera path follower sees it.
struct CameraTestScene {
  unsigned GetTime() const { return m_time; }
  void SetCamera(const D3DVECTOR& eye, const D3DVECTOR& lookAt, const D3DVECTOR& worldUp) {
    m_eye = eye;
    m_lookAt = lookAt;
    m_worldUp = worldUp;
    ++m_cameraSets;
  }
  void StageClear() { ++m_clears; }
  void StepAt(unsigned time) {
    m_time = time;
    m_path.Step(*this);
  }
  unsigned m_time = 0;
  D3DVECTOR m_eye = {}, m_lookAt = {}, m_worldUp = {};
  int m_cameraSets = 0;
  int m_clears = 0;
  CCameraPath m_path;
};

// The eye moves along +z looking ahead; between the last two keys it turns to
// look along +x while the up vector tips from y to x.
void AddThreeKeys(CameraTestScene& scene) {
  scene.m_path.Add(new CameraKey(0, 0, 2, 0, 0, 0, 10, 0, 1, 0));
  scene.m_path.Add(new CameraKey(1000, 0, 2, 40, 0, 0, 10, 0, 1, 0));
  scene.m_path.Add(new CameraKey(3000, 20, 6, 40, 10, 0, 0, 1, 0, 0));
}

TEST(CameraPath, BlendsThePairAroundTheStageTimeAndRestsOnTheLastKey) {
  CameraTestScene scene;
  AddThreeKeys(scene);
  scene.StepAt(250);
  ExpectVector(scene.m_eye, 0, 2, 10);
  ExpectVector(scene.m_lookAt, 0, 2, 20);  // a point: eye + blended direction
  scene.StepAt(2000);                      // direction and up are blended, not normalised
  ExpectVector(scene.m_eye, 10, 4, 40);
  ExpectVector(scene.m_lookAt, 15, 4, 45);
  ExpectVector(scene.m_worldUp, 0.5f, 0.5f, 0);
  scene.StepAt(1000);  // a key's own time uses the pair starting there
  ExpectVector(scene.m_lookAt, 0, 2, 50);
  EXPECT_EQ(scene.m_clears, 0);
  scene.StepAt(3000);
  ExpectVector(scene.m_eye, 20, 6, 40);
  ExpectVector(scene.m_lookAt, 30, 6, 40);
  ExpectVector(scene.m_worldUp, 1, 0, 0);
  EXPECT_EQ(scene.m_clears, 1);
}

TEST(CameraPath, KeysAreTakenInTheOrderAddedAndShortPathsEndTheStage) {
  CameraTestScene scene;
  scene.m_path.Add(new CameraKey(0, 0, 0, 0, 0, 0, 1, 0, 1, 0));
  scene.m_path.Add(new CameraKey(3000, 30, 0, 0, 0, 0, 1, 0, 1, 0));
  scene.m_path.Add(new CameraKey(1000, 99, 0, 0, 0, 0, 1, 0, 1, 0));
  scene.StepAt(2000);  // inside the first pair; the key at 1000 plays no part
  ExpectVector(scene.m_eye, 20, 0, 0);
  scene.StepAt(3500);  // no pair encloses it: the last key added
  ExpectVector(scene.m_eye, 99, 0, 0);
  EXPECT_EQ(scene.m_clears, 1);

  CameraTestScene empty;  // the camera is left alone, but the stage ends
  empty.StepAt(0);
  EXPECT_EQ(empty.m_cameraSets, 0);
  EXPECT_EQ(empty.m_clears, 1);
  CameraTestScene late;  // a first key after the start: on the last key at once
  late.m_path.Add(new CameraKey(500, 1, 1, 1, 0, 0, 1, 0, 1, 0));
  late.m_path.Add(new CameraKey(900, 2, 2, 2, 0, 0, 1, 0, 1, 0));
  late.StepAt(0);
  ExpectVector(late.m_eye, 2, 2, 2);
  EXPECT_EQ(late.m_clears, 1);
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
