// The title scene: one full-screen picture; any key hands over to the level
// select scene.
#pragma once

#include "Classes/IScene.h"

class CSceneTitle : public IScene {
 public:
  CSceneTitle();
  ~CSceneTitle() override;

  bool Draw() override;
  void Move(unsigned long time) override;
  void CatchKey(int key) override;
  bool IsAlive() override;

 private:
  struct Impl;
  Impl* m_impl;

  CSceneTitle(const CSceneTitle&) = delete;
  CSceneTitle& operator=(const CSceneTitle&) = delete;
};
