// Targets: the stage objects that carry words. An enemy holds a word during
// its time window and fires a bullet every seven seconds; a bullet carries one
// letter and flies to the camera in four seconds. Typing the whole word shoots
// a target down.
#pragma once

#include <string>

#include "Classes/SceneGame/NHClasses.h"
#include "d3d7.h"

class CSceneGame;
class CTargetRenderer;

class CTarget : public CObject, public IVisibleObject {
 public:
  CTarget(CSceneGame* scene, float x, float y, float z, int wordMin, int wordMax, int start,
          int end, const std::string& texture);
  ~CTarget() override;

  void Move(int time) override;
  virtual bool OnKey(char key);
  virtual char GetInitial();
  virtual void OnLock();
  virtual void OnUnlock();
  virtual void Kill();

  IRenderer* GetRenderer() override;

  int GetWordMin() const { return m_wordMin; }
  int GetWordMax() const { return m_wordMax; }
  void SetText(const std::string& word);
  const std::string& GetText() const { return m_text; }
  const std::string& GetRemainingText();

  bool IsActive() const { return m_active; }
  bool IsDead() const { return m_dead; }
  unsigned GetTyped() const { return m_typed; }
  int GetFrame() const { return m_frame; }
  int GetStart() const { return m_start; }
  int GetEnd() const { return m_end; }

 protected:
  int m_wordMin;
  int m_wordMax;
  std::string m_text;
  std::string m_remaining;
  unsigned m_typed;
  bool m_dead;
  int m_lastTick;
  int m_start;
  int m_end;
  bool m_active;
  CTargetRenderer* m_renderer;
  int m_frame;
};

class CEnemy : public CTarget {
 public:
  CEnemy(CSceneGame* scene, float x, float y, float z, int wordMin, int wordMax, int start, int end,
         const std::string& texture);

  void Move(int time) override;
  void Kill() override;

 protected:
  int m_fireTime;
};

class CBullet : public CEnemy {
 public:
  CBullet(CSceneGame* scene, float x, float y, float z, int time);

  void Move(int time) override;
  void Kill() override;

  // The point the bullet was last placed at (its renderer's position).
  D3DVECTOR GetPosition();
  bool HasHit() const { return m_fireTime != -1; }

 private:
  D3DVECTOR m_origin;
};
