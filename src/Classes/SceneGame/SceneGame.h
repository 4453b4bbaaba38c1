// The scene in which one stage is played: it owns every object of the stage,
// the camera and its path, the word generator and the bookkeeping that ties
// typed letters to targets.
#pragma once

#include <string>

#include "Classes/IScene.h"
#include "d3d7.h"

class CObject;
class CTarget;
struct CameraKey;

class CSceneGame : public IScene {
 public:
  CSceneGame(const std::string& sceneFile, const std::string& pathFile, const std::string& wordFile,
             bool showKeyboard);
  ~CSceneGame() override;

  bool Draw() override;
  void Move(unsigned long timeMs) override;
  void CatchKey(int key) override;
  bool IsAlive() override;
  virtual void LoadFromFile(const std::string& sceneFile, const std::string& pathFile);

  void AddObject(CObject* object);
  void Die(CObject* object);
  void Invalidate(CObject* object);
  void StageClear();
  void ActivateTarget(CTarget* target);
  void DeactivateTarget(CTarget* target);
  DWORD GetTime();
  void GetCamera(D3DVECTOR& eye, D3DVECTOR& lookAt, D3DVECTOR& worldUp);
  void SetCamera(const D3DVECTOR& eye, const D3DVECTOR& lookAt, const D3DVECTOR& worldUp);
  void AddCameraKey(CameraKey* key);
  void Clear();

  class CImpl;

 private:
  // Read access to the private state for checks outside the game.
  friend class CSceneGameInspector;

  CImpl* m_impl;
};
