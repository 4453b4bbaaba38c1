#include "Classes/SceneGame/Sight.h"

#include <cassert>

#include "Application.h"
#include "Classes/SceneGame/SceneGame.h"
#include "Classes/SceneGame/Target.h"
#include "Classes/SceneGame/TargetRenderer.h"
#include "ScopeTrace.h"
#include "d3dframe/d3dtextr.h"
#include "d3dframe/d3dutil.h"

int CSightRenderer::insNum = 0;

CSightRenderer::CSightRenderer(CSight* sight)
    : m_sight(sight),
      m_target(NULL),
      m_position(MakeVector(0.0f, 0.0f, 0.0f)),
      m_vertices(new D3DVERTEX[4]) {
  const float xs[4] = {-1.5f, -1.5f, 1.5f, 1.5f};
  const float ys[4] = {0.0f, 3.0f, 0.0f, 3.0f};
  for (int i = 0; i < 4; ++i) {
    m_vertices[i].x = xs[i];
    m_vertices[i].y = ys[i];
    m_vertices[i].z = 0.0f;
    m_vertices[i].nx = 0.0f;
    m_vertices[i].ny = 0.0f;
    m_vertices[i].nz = -1.0f;
    m_vertices[i].tu = 0.0f;
    m_vertices[i].tv = 0.0f;
  }
  ++insNum;
}

CSightRenderer::~CSightRenderer() {
  delete[] m_vertices;
  --insNum;
}

void CSightRenderer::RenderOpaque() {}

D3DVECTOR CSightRenderer::GetPosition(int) {
  return m_position;
}

void CSightRenderer::AddRef() {}

void CSightRenderer::Release() {
  delete this;
}

void CSightRenderer::SetTarget(CTarget* target) {
  m_target = target;
}

void CSightRenderer::ClearTarget() {
  m_target = NULL;
  m_position = MakeVector(0.0f, 0.0f, 0.0f);
}

void CSightRenderer::RenderTransparent() {
  CScopeTrace trace("CSightRenderer::RenderTransparent()");
  assert(insNum < 2 && "insNum<2");
  if (m_target == NULL) return;
  LPDIRECT3DDEVICE7 device = CApplication::GetInstance()->GetDevice();
  m_position = m_target->GetRenderer()->GetPosition(0);
  D3DVECTOR eye, lookAt, worldUp;
  m_sight->GetScene()->GetCamera(eye, lookAt, worldUp);
  if (!device) return;

  // Scaled first (to 4.5 x 4.5 units), then turned to the eye and placed.
  D3DMATRIX billboard = BillboardMatrix(m_position, eye);
  D3DMATRIX scale;
  D3DKit_SetIdentityMatrix(scale);
  scale._11 = 1.5f;
  scale._22 = 1.5f;
  D3DMATRIX world;
  D3DKit_MatrixMultiply(world, scale, billboard);
  device->SetTransform(D3DTRANSFORMSTATE_WORLD, &world);

  device->SetRenderState(D3DRENDERSTATE_ZENABLE, FALSE);
  device->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, TRUE);
  device->SetRenderState(D3DRENDERSTATE_SRCBLEND, D3DBLEND_ONE);
  device->SetRenderState(D3DRENDERSTATE_DESTBLEND, D3DBLEND_ONE);
  device->SetTexture(0, D3DTextr_GetSurface("Sight.bmp"));

  const float us[4] = {0.0f, 0.0f, 1.0f, 1.0f};
  const float vs[4] = {1.0f, 0.0f, 1.0f, 0.0f};
  for (int i = 0; i < 4; ++i) {
    m_vertices[i].tu = us[i];
    m_vertices[i].tv = vs[i];
  }
  device->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_VERTEX, m_vertices, 4, 0);

  device->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, FALSE);
  device->SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, FALSE);
  device->SetRenderState(D3DRENDERSTATE_ZENABLE, TRUE);
}

CSight::CSight(CSceneGame* scene) : CObject(scene), m_renderer(new CSightRenderer(this)) {}

CSight::~CSight() {
  m_renderer->Release();
}

IRenderer* CSight::GetRenderer() {
  return m_renderer;
}

void CSight::AimAt(CTarget* target) {
  m_renderer->SetTarget(target);
}

void CSight::Hide() {
  m_renderer->ClearTarget();
}
