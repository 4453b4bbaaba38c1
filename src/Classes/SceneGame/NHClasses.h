// The stage's own classes: the object model every stage object is built on
// (objects, visible objects, renderers with their reference rules, the shared
// null renderer, the general visible object), the renderers of the static part
// of a stage (every building of a scene file as an open textured box, the
// tiled ground square, and the head-up panel with score digits, ammunition and
// turning life icons) with the panel's object, and the player status.
#pragma once

#include <string>

#include "d3d7.h"

class CSceneGame;

// ------------------------------------------------------------ object model

// Base class of every stage object: it belongs to one game scene and is moved
// once per frame with the stage time.
class CObject {
 public:
  explicit CObject(CSceneGame* scene);
  virtual ~CObject();

  // Per-frame update with the stage time in milliseconds; nothing by default.
  virtual void Move(int time);

  CSceneGame* GetScene() const { return m_scene; }

 protected:
  CSceneGame* m_scene;  // not owned; set once
};

// Draws in two passes everything it is responsible for; one renderer may serve
// many objects. AddRef/Release are the objects' use of it, and what they do
// depends on the renderer (see each one).
class IRenderer {
 public:
  IRenderer();
  IRenderer(const IRenderer&);
  IRenderer& operator=(const IRenderer&);
  virtual ~IRenderer();
  virtual void RenderTransparent() = 0;
  virtual void RenderOpaque() = 0;
  // World position of the item drawn; callers pass 0.
  virtual D3DVECTOR GetPosition(int index) = 0;
  virtual void AddRef() = 0;
  virtual void Release() = 0;

  // Counts the renderers made in this run: each one's place in that count,
  // unique and never reused (a copy is a new renderer with a place of its own).
  unsigned long long GetCreationNumber() const { return m_creationNumber; }

 private:
  unsigned long long m_creationNumber;
};

// Orders renderers by when they were made. The stage draws its renderers in
// this order: on the 32-bit Windows heap the game was made for, a fresh
// process hands out ascending addresses, so the set of renderer pointers there
// walks them in the order they were made; ordering by the pointers themselves
// would make the drawing order (and with it the blending of overlapping
// see-through labels) depend on the allocator.
struct RendererCreationOrder {
  bool operator()(const IRenderer* a, const IRenderer* b) const {
    return a->GetCreationNumber() < b->GetCreationNumber();
  }
};

// A stage object that can be seen. Without an override of GetRenderer it is
// drawn by the shared null renderer, that is, not at all.
class IVisibleObject {
 public:
  virtual ~IVisibleObject();
  virtual IRenderer* GetRenderer();
};

// The renderer that draws nothing. One instance exists for the whole run
// (g_nullRenderer); AddRef and Release do nothing, so it is never deleted.
class CNullRenderer : public IRenderer {
 public:
  void RenderTransparent() override;
  void RenderOpaque() override;
  D3DVECTOR GetPosition(int index) override;
  void AddRef() override;
  void Release() override;
};

// The shared null renderer, created before the program's entry runs.
extern IRenderer* g_nullRenderer;

// The visible object of a building or of the ground: it holds one reference to
// the renderer it was given and releases it when destroyed.
class CGeneralVisibleObject : public CObject, public IVisibleObject {
 public:
  CGeneralVisibleObject(CSceneGame* scene, IRenderer* renderer);
  ~CGeneralVisibleObject() override;

  IRenderer* GetRenderer() override;

 private:
  CGeneralVisibleObject(const CGeneralVisibleObject&) = delete;
  CGeneralVisibleObject& operator=(const CGeneralVisibleObject&) = delete;

  IRenderer* m_renderer;
};

// ----------------------------------------------------------- world renderers
class CBuildingRenderer : public IRenderer {
 public:
  CBuildingRenderer();
  ~CBuildingRenderer() override;

  // Adds one building standing on (x, y, z); returns its index.
  int AddBuilding(float x, float y, float z, float width, float height, float depth,
                  const std::string& texture);
  int GetBuildingCount() const;

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

// ----------------------------------------------------------- player status

// The player's running numbers for one game: score, life, ammunition and the
// counts the score screen shows. Lives in the game core, so it outlasts the
// game scene; requests the sound effects of its events.
class CPlayerStatus {
 public:
  void Reset();
  // A bullet reached the player: one life less; losing the last one costs
  // 1000 points (never below 0) and refills life to 6.
  void Damage();
  // One round fired; the sixth round of a magazine reloads at once.
  void Fire();
  void AddScore(int points);
  void AddHit();
  void Reload();

  int GetScore() const { return m_score; }
  int GetLife() const { return m_life; }
  int GetAmmo() const { return m_ammo; }
  // Rounds fired since Reset.
  int GetShotCount() const { return m_reloadCount * kMagazineSize + kMagazineSize - m_ammo; }
  int GetHitCount() const { return m_hitCount; }

  static const int kMagazineSize = 6;
  static const int kStartLife = 5;
  static const int kRefillLife = 6;
  static const int kLastLifePenalty = 1000;

 private:
  // Start values from the beginning, so nothing is undefined before the first
  // Reset.
  int m_score = 0;
  int m_life = kStartLife;
  int m_ammo = kMagazineSize;
  int m_reloadCount = 0;
  int m_hitCount = 0;
};
