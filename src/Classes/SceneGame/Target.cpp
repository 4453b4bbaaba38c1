#include "Classes/SceneGame/Target.h"

#include <cassert>
#include <cctype>
#include <climits>

#include "Application.h"
#include "Classes/SceneGame/SceneGame.h"
#include "Classes/SceneGame/TargetRenderer.h"
#include "Sound.h"

namespace {

CPlayerStatus* Status() {
  return CApplication::GetInstance()->GetPlayerStatus();
}

char Upper(char c) {
  return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

}  // namespace

// ------------------------------------------------------------------ CTarget

CTarget::CTarget(CSceneGame* scene, float x, float y, float z, int wordMin, int wordMax, int start,
                 int end, const std::string& texture)
    : CObject(scene),
      m_wordMin(wordMin),
      m_wordMax(wordMax),
      m_typed(0),
      m_dead(false),
      m_lastTick(0),
      m_start(start),
      m_end(end),
      m_active(false),
      m_renderer(new CTargetRenderer(this, x, y, z, texture)),
      m_frame(0) {}

CTarget::~CTarget() {
  m_renderer->Release();
}

IRenderer* CTarget::GetRenderer() {
  return m_renderer;
}

void CTarget::Move(int time) {
  if (!m_active) {
    if (m_start < time && time < m_end && !m_dead) {
      m_active = true;
      m_scene->ActivateTarget(this);
      // No free letter had a word for it in this frame: it stays waiting and
      // asks again on the next frame while its window lasts.
      if (m_text.empty()) m_active = false;
    }
  } else if (time > m_end) {
    m_active = false;
    m_scene->DeactivateTarget(this);
  }
  assert(!(m_active && m_text.empty()));
  m_renderer->SetActive(m_active);

  if (m_lastTick == 0) m_lastTick = time;
  if (m_lastTick + 500 < time) {
    m_frame += 1;
    if (m_frame > 3) {
      if (m_dead) {
        m_frame = 3;
        m_renderer->SetFrame(3);
        m_scene->Invalidate(this);
        return;
      }
      m_frame = 0;
    }
    m_renderer->SetFrame(m_frame);
    m_lastTick = time;
  }
}

bool CTarget::OnKey(char key) {
  if (m_typed == m_text.size()) return true;
  if (Upper(m_text[m_typed]) == Upper(key)) {
    m_typed += 1;
    Status()->AddHit();
    if (m_typed == m_text.size()) Kill();
  }
  Status()->Fire();
  m_renderer->SetTyped(m_typed);
  return true;
}

char CTarget::GetInitial() {
  return m_text.empty() ? '\0' : m_text[0];
}

void CTarget::OnLock() {
  m_typed = 0;
  m_renderer->SetTyped(0);
}

void CTarget::OnUnlock() {
  m_typed = 0;
  m_renderer->SetTyped(0);
}

void CTarget::Kill() {
  m_renderer->StartDying();
  m_dead = true;
  // A window that opened long before the stage (a start time near the bottom
  // of the int range) would overflow the difference: it is worked out in 64
  // bits and capped.
  long long points = static_cast<long long>(static_cast<int>(m_scene->GetTime())) - m_start;
  Status()->AddScore(points > INT_MAX ? INT_MAX : static_cast<int>(points));
  m_scene->Die(this);
}

void CTarget::SetText(const std::string& word) {
  m_text = word;
  m_typed = 0;
  m_renderer->SetText(word);
}

const std::string& CTarget::GetRemainingText() {
  m_remaining = m_text.substr(m_typed < m_text.size() ? m_typed : m_text.size());
  return m_remaining;
}

// ------------------------------------------------------------------ CEnemy

CEnemy::CEnemy(CSceneGame* scene, float x, float y, float z, int wordMin, int wordMax, int start,
               int end, const std::string& texture)
    : CTarget(scene, x, y, z, wordMin, wordMax, start, end, texture), m_fireTime(-1) {}

void CEnemy::Move(int time) {
  CTarget::Move(time);
  if (!m_dead && time < m_end && m_active) {
    if (m_fireTime == -1) m_fireTime = time;
    if (m_fireTime + 7000 <= time) {
      m_fireTime = time;
      D3DVECTOR position = m_renderer->GetPosition(0);
      m_scene->AddObject(new CBullet(m_scene, position.x, position.y, position.z, time));
    }
  }
}

void CEnemy::Kill() {
  CTarget::Kill();
  CSound::Play(std::string("OhNo"), 0);
}

// ------------------------------------------------------------------ CBullet

CBullet::CBullet(CSceneGame* scene, float x, float y, float z, int time)
    : CEnemy(scene, x, y, z, 1, 1, time, time + 4000, "Bullet.bmp") {
  m_origin.x = x;
  m_origin.y = y;
  m_origin.z = z;
}

void CBullet::Move(int time) {
  CTarget::Move(time);
  if (m_dead) return;
  D3DVECTOR eye, lookAt, worldUp;
  m_scene->GetCamera(eye, lookAt, worldUp);
  float toEnd = static_cast<float>(m_end - time);
  float fromStart = static_cast<float>(time - m_start);
  float span = static_cast<float>(m_end - m_start);
  float x = (m_origin.x * toEnd + eye.x * fromStart) / span;
  float y = (m_origin.y * toEnd + eye.y * fromStart) / span;
  float z = (m_origin.z * toEnd + eye.z * fromStart) / span;
  m_renderer->SetPosition(x, y, z);
  if (time > m_end && m_fireTime == -1) {
    Status()->Damage();
    m_fireTime = time;
    m_scene->Invalidate(this);
  }
}

void CBullet::Kill() {
  CEnemy::Kill();
  CSound::Play(std::string("Bomb"), 0);
}

D3DVECTOR CBullet::GetPosition() {
  return m_renderer->GetPosition(0);
}
