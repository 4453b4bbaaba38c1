// The scene file reader: what each block makes, current values carried from
// block to block, where reading stops, and files it must survive.
#include <algorithm>

#include "Classes/SceneGame/NHRenderers.h"
#include "Classes/SceneGame/Sight.h"
#include "StageFixture.h"
#include "d3dframe/d3dtextr.h"

namespace stagetest {
namespace {

// What a file made, in object order: 'B'uilding, 'G'round, 'P'anel, 'E'nemy,
// 'S'ight.
std::string Kinds(CSceneGame::CImpl& impl) {
  std::string kinds;
  for (CObject* object : impl.m_objects) {
    if (dynamic_cast<CSight*>(object)) {
      kinds += 'S';
    } else if (dynamic_cast<CTarget*>(object)) {
      kinds += 'E';
    } else if (dynamic_cast<CPanel*>(object)) {
      kinds += 'P';
    } else if (auto* visible = dynamic_cast<IVisibleObject*>(object)) {
      kinds += dynamic_cast<CBuildingRenderer*>(visible->GetRenderer()) ? 'B' : 'G';
    } else {
      kinds += '?';
    }
  }
  return kinds;
}

CBuildingRenderer* Buildings(CSceneGame::CImpl& impl) {
  for (IRenderer* renderer : impl.m_renderers)
    if (auto* buildings = dynamic_cast<CBuildingRenderer*>(renderer)) return buildings;
  return nullptr;
}

TEST_F(StageTest, KeywordsInAnyCaseMakeABuildingThatKeepsItsPictureName) {
  auto scene = MakeScene("SCENE{ BUILDING{ POSITION 0 0 10 SIZE 4 12 4 TEXTURE BuilDing1A.bmp } }",
                         {"kite"});
  EXPECT_EQ(Kinds(Impl(*scene)), "BS");
  CBuildingRenderer* buildings = Buildings(Impl(*scene));
  ASSERT_NE(buildings, nullptr);
  ASSERT_EQ(buildings->GetBuildingCount(), 1);
  EXPECT_EQ(buildings->GetTexture(0), "BuilDing1A.bmp");
  EXPECT_EQ(buildings->GetRefCount(), 1);
  D3DVECTOR at = buildings->GetPosition(0);
  float minX = 1e9f, maxX = -1e9f, minY = 1e9f, maxY = -1e9f, minZ = 1e9f, maxZ = -1e9f;
  for (int i = 0; i < 16; ++i) {
    const D3DVERTEX& v = buildings->GetVertices(0)[i];
    minX = std::min(minX, v.x + at.x), maxX = std::max(maxX, v.x + at.x);
    minY = std::min(minY, v.y + at.y), maxY = std::max(maxY, v.y + at.y);
    minZ = std::min(minZ, v.z + at.z), maxZ = std::max(maxZ, v.z + at.z);
  }
  EXPECT_EQ(minX, -2.0f);
  EXPECT_EQ(maxX, 2.0f);
  EXPECT_EQ(minY, 0.0f);
  EXPECT_EQ(maxY, 12.0f);
  EXPECT_EQ(minZ, 8.0f);
  EXPECT_EQ(maxZ, 12.0f);
}

TEST_F(StageTest, CurrentValuesCarryOverFromBlockToBlock) {
  auto scene = MakeScene(
      "scene{ light{ position 7 0 30 } "
      "enemy{ time 1000 9000 texture Enemy1.bmp } "
      "enemy{ position 1 2 3 } "
      "ground{ } panel{ } }",
      {"kite"});
  EXPECT_EQ(Kinds(Impl(*scene)), "EEGPS");
  std::vector<CTarget*> enemies = Targets(*scene);
  ASSERT_EQ(enemies.size(), 2u);
  // The unknown block made nothing, but its position placed the first enemy.
  D3DVECTOR first = enemies[0]->GetRenderer()->GetPosition(0);
  EXPECT_EQ(first.x, 7.0f);
  EXPECT_EQ(first.z, 30.0f);
  // The second enemy gave no time: it has the first one's window.
  EXPECT_EQ(enemies[1]->GetStart(), 1000);
  EXPECT_EQ(enemies[1]->GetEnd(), 9000);
  // The ground stands on the last position given.
  for (IRenderer* renderer : Impl(*scene).m_renderers) {
    if (dynamic_cast<CGroundRenderer*>(renderer)) {
      EXPECT_EQ(renderer->GetPosition(0).y, 2.0f);
    }
  }
}

TEST_F(StageTest, ReadingEndsWithTheOutermostBlock) {
  struct Case {
    const char* text;
    const char* kinds;
  } cases[] = {
      // Anything after the scene block is never read.
      {"scene{ ground{ } } building{ size 1 1 1 texture Building1a.bmp }", "GS"},
      // A brace apart from its name is no opener: reading stops at once.
      {"scene { ground{ } }", "S"},
      // A file must open a block first.
      {"position 0 0 0 scene{ ground{ } }", "S"},
      // Nested blocks act innermost first.
      {"scene{ texture Building1a.bmp building{ size 1 1 1 enemy{ time 0 10 } } }", "EBS"},
      // Blocks whose closing brace never comes make nothing.
      {"scene{ ground{ } panel{ ", "GS"},
  };
  for (const Case& c : cases) {
    auto scene = MakeScene(c.text, {"kite"});
    EXPECT_EQ(Kinds(Impl(*scene)), c.kinds) << c.text;
  }
}

TEST_F(StageTest, AMalformedNumberOrMissingValuesEndReadingAndKeepWhatWasMade) {
  struct Case {
    const char* text;
    const char* kinds;
  } cases[] = {
      {"scene{ ground{ } position 1 x 3 ground{ } }", "GS"},
      {"scene{ panel{ } enemy{ time 5 } ground{ } }", "PS"},
      {"scene{ ground{ } size 1 2", "GS"},
      {"scene{ ground{ } enemy{ texture", "GS"},
  };
  for (const Case& c : cases) {
    auto scene = MakeScene(c.text, {"kite"});
    EXPECT_EQ(Kinds(Impl(*scene)), c.kinds) << c.text;
  }
}

TEST_F(StageTest, AFileWithoutBuildingsOrAMissingFileLeavesOnlyTheSight) {
  auto scene = MakeScene("scene{ ground{ } }", {"kite"});
  EXPECT_EQ(Kinds(Impl(*scene)), "GS");
  EXPECT_EQ(Buildings(Impl(*scene)), nullptr);  // and none leaked (leak checker)
  std::unique_ptr<CSceneGame> missing(new CSceneGame("Data\\no-such-scene.txt",
                                                     WriteFile("path.txt", kStillPath),
                                                     WriteFile("words.txt", "kite\n"), false));
  EXPECT_EQ(Kinds(Impl(*missing)), "S");
  EXPECT_EQ(Impl(*missing).m_renderers.size(), 1u);
}

TEST_F(StageTest, BuildingsShareOneRendererThatLivesWithItsLastBuilding) {
  auto scene = MakeScene(
      "scene{ texture Building2a.bmp building{ position 0 0 0 size 1 1 1 } "
      "texture Building1a.bmp building{ position 5 0 0 } "
      "texture Building2a.bmp building{ position 9 0 0 } ground{ } panel{ } "
      "enemy{ texture Enemy1.bmp time 0 5000 } }",
      {"kite"});
  CSceneGame::CImpl& impl = Impl(*scene);
  EXPECT_EQ(Kinds(impl), "BBBGPES");
  // Three buildings, ground, panel, enemy and sight: five distinct renderers.
  EXPECT_EQ(impl.m_renderers.size(), 5u);
  CBuildingRenderer* buildings = Buildings(impl);
  ASSERT_NE(buildings, nullptr);
  EXPECT_EQ(buildings->GetRefCount(), 3);

  scene->Draw();
  std::string log = ReadTraceLog();
  size_t line = log.rfind("visible object:");
  ASSERT_NE(line, std::string::npos);
  EXPECT_EQ(log.substr(line, log.find('\n', line) - line), "visible object:10");

  // One texture change per picture, pictures in name order, buildings of one
  // picture in the order they were added.
  coretest::SurfaceNamer() = [](IDirectDrawSurface7* surface) -> std::string {
    for (const char* name : {"Building1a.bmp", "Building2a.bmp"})
      if (D3DTextr_GetSurface(name) == surface) return name;
    return "";
  };
  Calls();
  buildings->RenderOpaque();
  std::vector<std::string> calls = Calls();
  coretest::SurfaceNamer() = nullptr;
  std::vector<std::string> textures, placed;
  for (const std::string& call : calls) {
    if (call.rfind("SetTexture", 0) == 0) textures.push_back(call);
    if (call.rfind("SetTransform(1", 0) == 0) placed.push_back(call.substr(call.rfind('|')));
  }
  EXPECT_EQ(textures, (std::vector<std::string>{"SetTexture(0, Building1a.bmp)",
                                                "SetTexture(0, Building2a.bmp)"}));
  EXPECT_EQ(placed, (std::vector<std::string>{"| 5 0 0 1])", "| 0 0 0 1])", "| 9 0 0 1])"}));
}

TEST_F(StageTest, TheCameraRidesThePathAndTheStageClearsAtItsEnd) {
  auto scene =
      MakeScene("scene{ ground{ } enemy{ texture Enemy1.bmp time 0 5000 } }", {"kite"}, false,
                "{ { time 0 position 0 1 -20 lookat 0 0 1 worldup 0 1 0 }"
                "  { time 1000 position 0 1 -10 lookat 0 0 1 worldup 0 1 0 } }");
  D3DVECTOR eye, lookAt, up;
  Calls();
  scene->Move(500);  // the first frame is stage time 0, whatever the clock says
  EXPECT_EQ(scene->GetTime(), 0u);
  scene->GetCamera(eye, lookAt, up);
  EXPECT_EQ(eye.z, -20.0f);
  EXPECT_EQ(lookAt.z, -19.0f);
  std::vector<std::string> calls = Calls();
  EXPECT_EQ(std::count_if(calls.begin(), calls.end(),
                          [](const std::string& c) { return c.rfind("SetTransform(2,", 0) == 0; }),
            1);
  scene->Move(1000);
  scene->GetCamera(eye, lookAt, up);
  EXPECT_EQ(eye.z, -15.0f);
  scene->Draw();  // without the keyboard flag nothing follows the transparent pass
  calls = Calls();
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.back(), "EndScene()");
  EXPECT_EQ(std::count_if(calls.begin(), calls.end(),
                          [](const std::string& c) { return c.find("0x1c4") != c.npos; }),
            0);
  EXPECT_TRUE(scene->IsAlive());
  scene->Move(1500);  // at the last key's time: on the last key, and the stage is over
  scene->GetCamera(eye, lookAt, up);
  EXPECT_EQ(eye.z, -10.0f);
  EXPECT_FALSE(scene->IsAlive());
  EXPECT_TRUE(Impl(*scene).m_objects.empty());
  EXPECT_TRUE(Impl(*scene).m_renderers.empty());
  EXPECT_TRUE(LettersConsistent(*scene));
  scene->Draw();  // nothing left to draw, nothing dangling
}

}  // namespace
}  // namespace stagetest
