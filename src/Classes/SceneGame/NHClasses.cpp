#include "Classes/SceneGame/NHClasses.h"

#include <climits>

#include "Random.h"
#include "Sound.h"

// ------------------------------------------------------------ object model

CObject::CObject(CSceneGame* scene) : m_scene(scene) {}

CObject::~CObject() {}

void CObject::Move(int) {}

namespace {

unsigned long long NextRendererNumber() {
  static unsigned long long made = 0;
  return made++;
}

}  // namespace

IRenderer::IRenderer() : m_creationNumber(NextRendererNumber()) {}

IRenderer::IRenderer(const IRenderer&) : m_creationNumber(NextRendererNumber()) {}

IRenderer& IRenderer::operator=(const IRenderer&) {
  return *this;
}

IRenderer::~IRenderer() {}

IVisibleObject::~IVisibleObject() {}

IRenderer* IVisibleObject::GetRenderer() {
  return g_nullRenderer;
}

void CNullRenderer::RenderTransparent() {}

void CNullRenderer::RenderOpaque() {}

D3DVECTOR CNullRenderer::GetPosition(int) {
  D3DVECTOR origin;
  origin.x = 0.0f;
  origin.y = 0.0f;
  origin.z = 0.0f;
  return origin;
}

void CNullRenderer::AddRef() {}

void CNullRenderer::Release() {}

// Made before the program's entry runs and never deleted: every visible object
// without a renderer of its own shares it for the whole run.
IRenderer* g_nullRenderer = new CNullRenderer;

CGeneralVisibleObject::CGeneralVisibleObject(CSceneGame* scene, IRenderer* renderer)
    : CObject(scene), m_renderer(renderer) {
  m_renderer->AddRef();
}

CGeneralVisibleObject::~CGeneralVisibleObject() {
  m_renderer->Release();
}

IRenderer* CGeneralVisibleObject::GetRenderer() {
  return m_renderer;
}

// ----------------------------------------------------------- player status

void CPlayerStatus::Reset() {
  m_score = 0;
  m_life = kStartLife;
  m_ammo = kMagazineSize;
  m_reloadCount = 0;
  m_hitCount = 0;
}

void CPlayerStatus::Damage() {
  switch (Random(3)) {
    case 0:
      CSound::Play("Konoyarou", 0);
      break;
    case 1:
      CSound::Play("Kuso", 0);
      break;
    case 2:
      CSound::Play("Yariyagattana", 0);
      break;
  }
  m_life -= 1;
  if (m_life == 0) {
    // The player never dies: the last life costs points and refills the lives.
    m_life = kRefillLife;
    m_score -= kLastLifePenalty;
    if (m_score < 0) m_score = 0;
  }
}

void CPlayerStatus::Fire() {
  CSound::Play("GunFire", 0);
  m_ammo -= 1;
  if (m_ammo == 0) {
    Reload();
    CSound::Play("Reload", 0);
  }
}

void CPlayerStatus::AddScore(int points) {
  // The score stops at the ends of the int range rather than overflowing.
  long long score = static_cast<long long>(m_score) + points;
  m_score = score > INT_MAX ? INT_MAX : score < INT_MIN ? INT_MIN : static_cast<int>(score);
}

void CPlayerStatus::AddHit() {
  m_hitCount += 1;
}

void CPlayerStatus::Reload() {
  m_ammo = kMagazineSize;
  m_reloadCount += 1;
}
