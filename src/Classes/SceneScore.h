// The score scene: over a full-screen picture it shows the score, the rounds
// fired, the correct letters and the hit rate from the player status with
// digit images; a key, or the time-out a little over ten seconds after its
// first frame, resets the player status and hands over to a new title scene.
#pragma once

#include "Classes/IScene.h"

class CSceneScore : public IScene {
 public:
  CSceneScore();
  ~CSceneScore() override;

  bool Draw() override;
  void Move(unsigned long time) override;
  void CatchKey(int key) override;
  bool IsAlive() override;

 private:
  struct Impl;
  Impl* m_impl;

  CSceneScore(const CSceneScore&) = delete;
  CSceneScore& operator=(const CSceneScore&) = delete;
};
