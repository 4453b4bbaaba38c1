#include "Classes/SceneGame/NHClasses.h"

#include <cassert>
#include <climits>
#include <cmath>
#include <cstdio>
#include <map>
#include <vector>

#include "Application.h"
#include "Random.h"
#include "ScopeTrace.h"
#include "Sound.h"
#include "d3dframe/d3dtextr.h"
#include "d3dframe/d3dutil.h"

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

namespace {

const char kSourceFile[] = "src\\Classes\\SceneGame\\NHClasses";

D3DVERTEX WorldVertex(float x, float y, float z, float nx, float ny, float nz, float u, float v) {
  D3DVERTEX vertex;
  vertex.x = x;
  vertex.y = y;
  vertex.z = z;
  vertex.nx = nx;
  vertex.ny = ny;
  vertex.nz = nz;
  vertex.tu = u;
  vertex.tv = v;
  return vertex;
}

D3DMATRIX Translation(const D3DVECTOR& position) {
  D3DMATRIX m;
  D3DKit_SetIdentityMatrix(m);
  m._41 = position.x;
  m._42 = position.y;
  m._43 = position.z;
  return m;
}

LPDIRECT3DDEVICE7 Device() {
  return CApplication::GetInstance()->GetDevice();
}

}  // namespace

// ------------------------------------------------------------------ buildings

struct BuildingEntry {
  D3DVECTOR position;
  D3DVERTEX* vertices;
  std::string texture;
};

class CBuildingRenderer::CImpl {
 public:
  CImpl() : m_refCount(0) {}
  ~CImpl() {
    for (BuildingEntry* entry : m_buildings) {
      delete[] entry->vertices;
      delete entry;
    }
  }

  int m_refCount;
  std::vector<BuildingEntry*> m_buildings;
  std::map<std::string, std::vector<BuildingEntry*>> m_byTexture;
};

CBuildingRenderer::CBuildingRenderer() : m_impl(new CImpl()) {}

CBuildingRenderer::~CBuildingRenderer() {
  delete m_impl;
}

int CBuildingRenderer::AddBuilding(float x, float y, float z, float width, float height,
                                   float depth, const std::string& texture) {
  float a = width / 2;
  float b = depth / 2;
  float h = height;
  BuildingEntry* entry = new BuildingEntry;
  entry->position = MakeVector(x, y, z);
  entry->texture = texture;
  entry->vertices = new D3DVERTEX[16];
  D3DVERTEX* v = entry->vertices;
  // The picture is wrapped once round the walls: -z, +x, +z, then -x.
  v[0] = WorldVertex(-a, h, -b, 0, 0, -1, 0.0f, 0.005f);
  v[1] = WorldVertex(-a, 0, -b, 0, 0, -1, 0.0f, 0.999f);
  v[2] = WorldVertex(a, h, -b, 0, 0, -1, 0.25f, 0.005f);
  v[3] = WorldVertex(a, 0, -b, 0, 0, -1, 0.25f, 0.999f);
  v[4] = WorldVertex(a, h, -b, 1, 0, 0, 0.25f, 0.005f);
  v[5] = WorldVertex(a, 0, -b, 1, 0, 0, 0.25f, 0.999f);
  v[6] = WorldVertex(a, h, b, 1, 0, 0, 0.5f, 0.005f);
  v[7] = WorldVertex(a, 0, b, 1, 0, 0, 0.5f, 0.999f);
  v[8] = WorldVertex(a, h, b, 0, 0, 1, 0.5f, 0.005f);
  v[9] = WorldVertex(a, 0, b, 0, 0, 1, 0.5f, 0.999f);
  v[10] = WorldVertex(-a, h, b, 0, 0, 1, 0.75f, 0.005f);
  v[11] = WorldVertex(-a, 0, b, 0, 0, 1, 0.75f, 0.999f);
  v[12] = WorldVertex(-a, h, b, -1, 0, 0, 0.75f, 0.005f);
  v[13] = WorldVertex(-a, 0, b, -1, 0, 0, 0.75f, 0.999f);
  v[14] = WorldVertex(-a, h, -b, -1, 0, 0, 1.0f, 0.005f);
  v[15] = WorldVertex(-a, 0, -b, -1, 0, 0, 1.0f, 0.999f);
  m_impl->m_buildings.push_back(entry);
  m_impl->m_byTexture[texture].push_back(entry);
  return static_cast<int>(m_impl->m_buildings.size()) - 1;
}

int CBuildingRenderer::GetBuildingCount() const {
  return static_cast<int>(m_impl->m_buildings.size());
}

void CBuildingRenderer::RenderTransparent() {}

void CBuildingRenderer::RenderOpaque() {
  CScopeTrace trace("CBuildingRenderer::RenderOpaque()");
  LPDIRECT3DDEVICE7 device = Device();
  if (!device) return;
  device->SetRenderState(D3DRENDERSTATE_ZENABLE, TRUE);
  device->SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, TRUE);
  device->SetRenderState(D3DRENDERSTATE_TEXTUREPERSPECTIVE, TRUE);
  for (auto& group : m_impl->m_byTexture) {
    LPDIRECTDRAWSURFACE7 texture = D3DTextr_GetSurface(group.first.c_str());
    if (texture == NULL) {
      // A picture name the texture registry does not know (it comes from the
      // scene file): those buildings are left out rather than stopping the game.
      DEBUG_MSG(kSourceFile, "texture != NULL");
      continue;
    }
    device->SetTexture(0, texture);
    for (BuildingEntry* entry : group.second) {
      D3DMATRIX world = Translation(entry->position);
      device->SetTransform(D3DTRANSFORMSTATE_WORLD, &world);
      device->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_VERTEX, entry->vertices, 16, 0);
    }
  }
}

D3DVECTOR CBuildingRenderer::GetPosition(int index) {
  // The position of building index, or the origin when there is none.
  if (index >= 0 && index < GetBuildingCount()) return m_impl->m_buildings[index]->position;
  return MakeVector(0.0f, 0.0f, 0.0f);
}

void CBuildingRenderer::AddRef() {
  m_impl->m_refCount += 1;
}

void CBuildingRenderer::Release() {
  m_impl->m_refCount -= 1;
  assert(m_impl->m_refCount >= 0 && "m_impl->m_refCount >= 0");
  if (m_impl->m_refCount == 0) delete this;
}

// ------------------------------------------------------------------ ground

CGroundRenderer::CGroundRenderer(float x, float y, float z)
    : m_position(MakeVector(x, y, z)), m_vertices(new D3DVERTEX[6]), m_texture("Earth2.bmp") {
  const float xs[6] = {-50, 50, -50, -50, 50, 50};
  const float zs[6] = {-50, -50, 50, 50, -50, 50};
  const float us[6] = {0, 50, 0, 0, 50, 50};
  const float vs[6] = {0, 0, 50, 50, 0, 50};
  for (int i = 0; i < 6; ++i) m_vertices[i] = WorldVertex(xs[i], 0, zs[i], 0, 1, 0, us[i], vs[i]);
}

CGroundRenderer::~CGroundRenderer() {
  delete[] m_vertices;
}

void CGroundRenderer::RenderTransparent() {}

void CGroundRenderer::RenderOpaque() {
  CScopeTrace trace("CGroundRenderer::RenderOpaque()");
  LPDIRECT3DDEVICE7 device = Device();
  if (!device) return;
  D3DMATRIX world = Translation(m_position);
  device->SetTransform(D3DTRANSFORMSTATE_WORLD, &world);
  LPDIRECTDRAWSURFACE7 texture = D3DTextr_GetSurface(m_texture.c_str());
  device->SetRenderState(D3DRENDERSTATE_TEXTUREPERSPECTIVE, TRUE);
  device->SetRenderState(D3DRENDERSTATE_ZENABLE, TRUE);
  device->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, FALSE);
  device->SetRenderState(D3DRENDERSTATE_ALPHATESTENABLE, FALSE);
  device->SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, FALSE);
  device->SetTexture(0, texture);
  device->DrawPrimitive(D3DPT_TRIANGLELIST, D3DFVF_VERTEX, m_vertices, 6, 0);
}

D3DVECTOR CGroundRenderer::GetPosition(int) {
  return m_position;
}

void CGroundRenderer::AddRef() {}

void CGroundRenderer::Release() {
  delete this;
}

// ------------------------------------------------------------------ panel

namespace {

D3DTLVERTEX PanelVertex(float x, float y) {
  D3DTLVERTEX vertex;
  vertex.sx = x;
  vertex.sy = y;
  vertex.sz = 0.0f;
  vertex.rhw = 2.0f;
  vertex.color = 0xFFFFFFFF;
  vertex.specular = 0;
  vertex.tu = 0.0f;
  vertex.tv = 0.0f;
  return vertex;
}

// Two triangles: top-left, bottom-left, top-right, bottom-left, bottom-right, top-right.
void PlaceQuad(D3DTLVERTEX* quad, float left, float top, float right, float bottom) {
  quad[0] = PanelVertex(left, top);
  quad[1] = PanelVertex(left, bottom);
  quad[2] = PanelVertex(right, top);
  quad[3] = PanelVertex(left, bottom);
  quad[4] = PanelVertex(right, bottom);
  quad[5] = PanelVertex(right, top);
}

void SetQuadTexels(D3DTLVERTEX* quad, const float (*texels)[2]) {
  for (int k = 0; k < 6; ++k) {
    quad[k].tu = texels[k][0] / 512.0f;
    quad[k].tv = texels[k][1] / 512.0f;
  }
}

void HideQuad(D3DTLVERTEX* quad) {
  for (int k = 0; k < 6; ++k) quad[k].tu = quad[k].tv = 0.0f;
}

D3DVIEWPORT7 CurrentViewport() {
  D3DVIEWPORT7 viewport = {};
  viewport.dwWidth = 640;
  viewport.dwHeight = 480;
  LPDIRECT3DDEVICE7 device = Device();
  if (device) device->GetViewport(&viewport);
  return viewport;
}

}  // namespace

CPanelRenderer::CPanelRenderer(const std::string& texture) : m_texture(texture), m_angle(0.0f) {
  D3DVIEWPORT7 viewport = CurrentViewport();
  DWORD w = viewport.dwWidth;
  float sy = viewport.dwHeight / 480.0f;
  for (int i = 0; i < 8; ++i) {
    float left = static_cast<float>(w * 32 * i / 640);
    float right = w * 32.0f * (i + 1) / 640.0f;
    PlaceQuad(m_score + 6 * i, left, 0.0f, right, 32.0f * sy);
  }
  for (int i = 0; i < 6; ++i) {
    int column = i % 2;
    int row = i / 2;
    float left = static_cast<float>(w * 58 * column / 640);
    float right = static_cast<float>(w * 58 * (column + 1) / 640);
    PlaceQuad(m_ammo + 6 * i, left, (380.0f + 32 * row) * sy, right, (412.0f + 32 * row) * sy);
  }
  for (int i = 0; i < 5; ++i) {
    PlaceQuad(m_life + 6 * i, 120.0f + 32 * i, 380.0f, 152.0f + 32 * i, 412.0f);
  }
}

void CPanelRenderer::SetTime(int time) {
  m_angle = static_cast<float>(static_cast<double>(time) / 3000.0 * 6.2831855f);
}

void CPanelRenderer::SetDigit(D3DTLVERTEX* quad, int c) {
  const float texels[6][2] = {{0, 32.0f * c},       {0, 32.0f * (c + 1)},  {32, 32.0f * c},
                              {0, 32.0f * (c + 1)}, {32, 32.0f * (c + 1)}, {32, 32.0f * c}};
  SetQuadTexels(quad, texels);
}

void CPanelRenderer::SetScore(int score) {
  char text[32];
  std::snprintf(text, sizeof text, "%8d", score);
  // A score of more than eight characters shows its first eight.
  for (int j = 0; j < 8; ++j) {
    int c = text[j] == ' ' ? 11 : text[j] - '0';
    if (text[j] == '-') c = 11;
    SetDigit(m_score + 6 * j, c);
  }
}

void CPanelRenderer::SetAmmo(int ammo) {
  const float texels[6][2] = {{129, 0}, {129, 31}, {186, 0}, {129, 31}, {186, 31}, {186, 0}};
  for (int i = 0; i < 6; ++i) {
    if (i < ammo) {
      SetQuadTexels(m_ammo + 6 * i, texels);
    } else {
      HideQuad(m_ammo + 6 * i);
    }
  }
}

void CPanelRenderer::SetLife(int life) {
  D3DVIEWPORT7 viewport = CurrentViewport();
  float w = static_cast<float>(viewport.dwWidth);
  float h = static_cast<float>(viewport.dwHeight);
  const float halfPi = 1.5707964f;
  float phase = 0.0f;
  for (int i = 0; i < 5; ++i) {
    D3DTLVERTEX* quad = m_life + 6 * i;
    if (i >= life) {
      HideQuad(quad);
      continue;
    }
    phase += 3.1415927f / 16;
    float cx[4], cy[4];
    for (int k = 0; k < 4; ++k) {
      float theta = phase + m_angle + k * halfPi;
      cx[k] = (std::sin(theta) * 32 + 150 + 60 * i) * w / 640;
      cy[k] = (std::cos(theta) * 32 + 440) * h / 480;
    }
    const int corners[6] = {0, 1, 3, 1, 2, 3};
    const float texels[6][2] = {{32, 175}, {63, 175}, {32, 206}, {63, 175}, {63, 206}, {32, 206}};
    for (int k = 0; k < 6; ++k) {
      quad[k] = PanelVertex(cx[corners[k]], cy[corners[k]]);
    }
    SetQuadTexels(quad, texels);
  }
}

void CPanelRenderer::RenderTransparent() {}

void CPanelRenderer::RenderOpaque() {
  CScopeTrace trace("CPanelRenderer::RenderOpaque()");
  CPlayerStatus status = *CApplication::GetInstance()->GetPlayerStatus();
  SetScore(status.GetScore());
  SetAmmo(status.GetAmmo());
  SetLife(status.GetLife());
  LPDIRECTDRAWSURFACE7 texture = D3DTextr_GetSurface(m_texture.c_str());
  LPDIRECT3DDEVICE7 device = Device();
  if (!texture || !device) return;
  device->SetTexture(0, texture);
  device->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, FALSE);
  device->SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, TRUE);
  device->DrawPrimitive(D3DPT_TRIANGLELIST, D3DFVF_TLVERTEX, m_score, 48, 0);
  device->DrawPrimitive(D3DPT_TRIANGLELIST, D3DFVF_TLVERTEX, m_ammo, 36, 0);
  device->DrawPrimitive(D3DPT_TRIANGLELIST, D3DFVF_TLVERTEX, m_life, 30, 0);
  device->SetRenderState(D3DRENDERSTATE_ZENABLE, TRUE);
}

D3DVECTOR CPanelRenderer::GetPosition(int) {
  return MakeVector(0.0f, 0.0f, 0.0f);
}

void CPanelRenderer::AddRef() {}

void CPanelRenderer::Release() {
  delete this;
}

CPanel::CPanel(CSceneGame* scene, const std::string& texture)
    : CObject(scene), m_renderer(new CPanelRenderer(texture)) {}

CPanel::~CPanel() {
  m_renderer->Release();
}

void CPanel::Move(int time) {
  m_renderer->SetTime(time);
}

IRenderer* CPanel::GetRenderer() {
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
