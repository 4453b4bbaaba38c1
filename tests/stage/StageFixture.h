// A stage on the recording stand-in device: the game core started once per
// process in an empty folder, fresh device objects and player status for every
// test, content written to small files, and read access to the game scene's
// private state.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Application.h"
#include "Classes/SceneGame/SceneGame.h"
#include "Classes/SceneGame/SceneGameImpl.h"
#include "Classes/SceneGame/Target.h"
#include "FakeDevice.h"

// Friend of CSceneGame: the tests' window on its private state.
class CSceneGameInspector {
 public:
  static CSceneGame::CImpl& Impl(CSceneGame& scene) { return *scene.m_impl; }
};

namespace stagetest {

// A camera standing still at (0, 1, -20), looking along +z, for ten minutes.
extern const char kStillPath[];

// Writes text to a file in the test folder and returns its name.
std::string WriteFile(const std::string& name, const std::string& text);
// Everything written to the trace log so far.
std::string ReadTraceLog();

class StageTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A game scene made from the given scene file text and word list (one word
  // a line), on the still camera path unless another is given.
  std::unique_ptr<CSceneGame> MakeScene(const std::string& sceneText,
                                        const std::vector<std::string>& words,
                                        bool keyboard = false,
                                        const std::string& pathText = kStillPath);

  CSceneGame::CImpl& Impl(CSceneGame& scene) { return CSceneGameInspector::Impl(scene); }
  // The targets of a scene, in object order.
  std::vector<CTarget*> Targets(CSceneGame& scene);
  // The active target whose word starts with letter (any case), or null.
  CTarget* Holder(CSceneGame& scene, char letter);
  // Every letter is free or held by exactly one live, active target whose
  // word starts with it; the locked target holds a letter.
  ::testing::AssertionResult LettersConsistent(CSceneGame& scene);
  // Types each character of text as a key.
  void Type(CSceneGame& scene, const std::string& text);

  CPlayerStatus& Status() { return *CApplication::GetInstance()->GetPlayerStatus(); }
  // Draw calls logged since the last call to Calls().
  std::vector<std::string> Calls();

  coretest::CallLog m_log;
  coretest::FakeDirectDraw m_directDraw{&m_log};
  coretest::FakeDirect3D m_direct3D;
  coretest::FakeSurface m_frontBuffer{&m_log, "front", &m_directDraw};
  coretest::FakeSurface m_backBuffer{&m_log, "back", &m_directDraw};
  coretest::FakeDevice m_device{&m_log, &m_backBuffer};
  std::vector<std::string> m_sounds;
  size_t m_seen = 0;
};

}  // namespace stagetest
