// The renderers of the static part of a stage: every building of a scene file
// as an open textured box, the tiled ground square, and the head-up panel
// (score digits, ammunition and turning life icons) with its object.
#pragma once

#include <string>

#include "Classes/SceneGame/NHClasses.h"
#include "d3d7.h"

class CSceneGame;

class CBuildingRenderer : public IRenderer {
 public:
  CBuildingRenderer();
  ~CBuildingRenderer() override;

  // Adds one building standing on (x, y, z); returns its index.
  int AddBuilding(float x, float y, float z, float width, float height, float depth,
                  const std::string& texture);
  int GetBuildingCount() const;
  int GetRefCount() const;
  // The 16 wall vertices of building index (in its own coordinates).
  const D3DVERTEX* GetVertices(int index) const;
  const std::string& GetTexture(int index) const;

  void RenderTransparent() override;
  void RenderOpaque() override;
  D3DVECTOR GetPosition(int index) override;
  void AddRef() override;
  void Release() override;

 private:
  class CImpl;
  CImpl* m_impl;
};

class CGroundRenderer : public IRenderer {
 public:
  CGroundRenderer(float x, float y, float z);
  ~CGroundRenderer() override;

  void RenderTransparent() override;
  void RenderOpaque() override;
  D3DVECTOR GetPosition(int index) override;
  void AddRef() override;
  void Release() override;

 private:
  D3DVECTOR m_position;
  D3DVERTEX* m_vertices;
  std::string m_texture;
};

class CPanelRenderer : public IRenderer {
 public:
  explicit CPanelRenderer(const std::string& texture);

  void SetTime(int time);
  void SetScore(int score);
  void SetAmmo(int ammo);
  void SetLife(int life);
  void SetDigit(D3DTLVERTEX* quad, int c);

  void RenderTransparent() override;
  void RenderOpaque() override;
  D3DVECTOR GetPosition(int index) override;
  void AddRef() override;
  void Release() override;

  float GetAngle() const { return m_angle; }
  const D3DTLVERTEX* GetScoreVertices() const { return m_score; }
  const D3DTLVERTEX* GetAmmoVertices() const { return m_ammo; }
  const D3DTLVERTEX* GetLifeVertices() const { return m_life; }

 private:
  D3DTLVERTEX m_score[48];
  D3DTLVERTEX m_ammo[36];
  D3DTLVERTEX m_life[30];
  std::string m_texture;
  float m_angle;
};

class CPanel : public CObject, public IVisibleObject {
 public:
  CPanel(CSceneGame* scene, const std::string& texture);
  ~CPanel() override;

  void Move(int time) override;
  IRenderer* GetRenderer() override;

 private:
  CPanelRenderer* m_renderer;
};
