// The scene manager: one current scene and a stack of scenes waiting to become
// current. A scene ends itself by pushing its successor and reporting that it
// is no longer alive; the manager then makes the top of the stack current.
#pragma once

#include "Classes/IScene.h"

// The scene that does nothing; the manager starts with one. It is never alive,
// so it gives way as soon as another scene is waiting.
class CSceneNull : public IScene {
 public:
  bool Draw() override;
  void Move(unsigned long time) override;
  void CatchKey(int key) override;
  bool IsAlive() override;
};

class CSceneManager {
 public:
  CSceneManager();
  // Deletes the stacked scenes from the top down, then the current scene.
  ~CSceneManager();

  // The manager owns the scene from now on.
  void PushScene(IScene* scene);
  // Moves the current scene; when it is no longer alive, the top of the stack
  // replaces it (the newcomer is first moved on the next call).
  void Move(unsigned long time);
  bool Draw();
  void CatchKey(int key);

 private:
  CSceneManager(const CSceneManager&) = delete;
  CSceneManager& operator=(const CSceneManager&) = delete;

  class CImpl;
  CImpl* m_impl;
};
