// The level select scene: one full-screen picture; "e", "n" or "d" (either
// case) chooses the stage's scene file, camera path, word list and on-screen
// keyboard, and hands over to the game scene built from them.
#pragma once

#include <string>

#include "Classes/IScene.h"

class CSceneSelect : public IScene {
 public:
  CSceneSelect();
  ~CSceneSelect() override;

  bool Draw() override;
  void Move(unsigned long time) override;
  void CatchKey(int key) override;
  bool IsAlive() override;

 private:
  struct Impl;
  Impl* m_impl;

  CSceneSelect(const CSceneSelect&) = delete;
  CSceneSelect& operator=(const CSceneSelect&) = delete;
};

// Builds the game scene for the chosen files; the level select scene hands
// over to what it returns.
IScene* CreateGameScene(const std::string& sceneFile, const std::string& pathFile,
                        const std::string& wordList, bool keyboard);

// The builder the level select scene calls; CreateGameScene unless replaced.
// Returns the previous builder.
using GameSceneFactory = IScene* (*)(const std::string& sceneFile, const std::string& pathFile,
                                     const std::string& wordList, bool keyboard);
GameSceneFactory SetGameSceneFactory(GameSceneFactory factory);
