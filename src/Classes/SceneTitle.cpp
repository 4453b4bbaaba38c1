#include "Classes/SceneTitle.h"

#include "Application.h"
#include "Classes/SceneManager.h"
#include "Classes/SceneSelect.h"
#include "Classes/ScreenQuad.h"
#include "ScopeTrace.h"
#include "d3dframe/d3dtextr.h"

struct CSceneTitle::Impl {
  bool m_alive = true;
  D3DTLVERTEX m_vertices[4];
};

CSceneTitle::CSceneTitle() : m_impl(new Impl) {
  CScopeTrace trace("CSceneTitle::CSceneTitle()");
  InitScreenQuad(m_impl->m_vertices);
}

CSceneTitle::~CSceneTitle() {
  delete m_impl;
}

bool CSceneTitle::Draw() {
  CScopeTrace trace("CSceneTitle::Draw");
  LPDIRECT3DDEVICE7 device = CApplication::GetInstance()->GetDevice();
  device->BeginScene();
  DrawScreenQuad(device, m_impl->m_vertices, D3DTextr_GetSurface("Title2.bmp"));
  device->SetRenderState(D3DRENDERSTATE_ZENABLE, TRUE);
  device->EndScene();
  return true;
}

void CSceneTitle::Move(unsigned long /*time*/) {
  CScopeTrace trace("CSceneTitle::Move");
}

void CSceneTitle::CatchKey(int /*key*/) {
  // Every key counts, Escape included; only the first one hands over.
  if (!m_impl->m_alive) return;
  CApplication::GetInstance()->GetSceneManager()->PushScene(new CSceneSelect());
  m_impl->m_alive = false;
}

bool CSceneTitle::IsAlive() {
  return m_impl->m_alive;
}
