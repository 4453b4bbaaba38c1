// The crosshair that marks the locked target: a textured square standing on
// the target, turned towards the camera and drawn additively over the world
// without depth test. With no target locked it draws nothing.
#pragma once

#include "Classes/SceneGame/NHClasses.h"
#include "d3d7.h"

class CSceneGame;
class CSight;
class CTarget;

class CSightRenderer : public IRenderer {
 public:
  explicit CSightRenderer(CSight* sight);
  ~CSightRenderer() override;

  void RenderTransparent() override;
  void RenderOpaque() override;
  D3DVECTOR GetPosition(int index) override;
  void AddRef() override;
  void Release() override;

  void SetTarget(CTarget* target);
  void ClearTarget();
  CTarget* GetTarget() const { return m_target; }

  // Number of live sight renderers.
  static int insNum;

 private:
  CSight* m_sight;
  CTarget* m_target;
  D3DVECTOR m_position;
  D3DVERTEX* m_vertices;
};

class CSight : public CObject, public IVisibleObject {
 public:
  explicit CSight(CSceneGame* scene);
  ~CSight() override;

  IRenderer* GetRenderer() override;
  void AimAt(CTarget* target);
  void Hide();
  CTarget* GetTarget() const { return m_renderer->GetTarget(); }

 private:
  CSightRenderer* m_renderer;
};
