#include "Classes/SceneGame/TargetRenderer.h"

#include "Application.h"
#include "Classes/SceneGame/SceneGame.h"
#include "Classes/SceneGame/Target.h"
#include "ScopeTrace.h"
#include "d3dframe/d3dtextr.h"
#include "d3dframe/d3dutil.h"

namespace {

const char kSourceFile[] = "src\\Classes\\SceneGame\\TargetRenderer";

void SetQuad(D3DVERTEX* quad, float height, float z) {
  const float xs[4] = {-1.5f, -1.5f, 1.5f, 1.5f};
  const float ys[4] = {0.0f, height, 0.0f, height};
  const float us[4] = {0.0f, 0.0f, 1.0f, 1.0f};
  const float vs[4] = {0.0f, 1.0f, 0.0f, 1.0f};
  for (int i = 0; i < 4; ++i) {
    quad[i].x = xs[i];
    quad[i].y = ys[i];
    quad[i].z = z;
    quad[i].nx = 0.0f;
    quad[i].ny = 0.0f;
    quad[i].nz = -1.0f;
    quad[i].tu = us[i];
    quad[i].tv = vs[i];
  }
}

// Texture coordinates in strip order: bottom-left, top-left, bottom-right, top-right.
void SetQuadUV(D3DVERTEX* quad, float u0, float v0, float u1, float v1) {
  quad[0].tu = u0;
  quad[0].tv = v1;
  quad[1].tu = u0;
  quad[1].tv = v0;
  quad[2].tu = u1;
  quad[2].tv = v1;
  quad[3].tu = u1;
  quad[3].tv = v0;
}

void SetMaterialColour(LPDIRECT3DDEVICE7 device, float r, float g, float b) {
  D3DMATERIAL7 material = {};
  material.diffuse.r = material.ambient.r = r;
  material.diffuse.g = material.ambient.g = g;
  material.diffuse.b = material.ambient.b = b;
  material.diffuse.a = material.ambient.a = 1.0f;
  material.emissive.a = 1.0f;
  material.power = 0.0f;
  device->SetMaterial(&material);
}

}  // namespace

std::map<char, RECT> CTextRenderer::m_glyphs;
bool CTextRenderer::m_glyphsReady = false;

void CTextRenderer::BuildGlyphTable() {
  if (FAILED(D3DTextr_CreateTextureFromFile("Letter.bmp", 0, D3DTEXTR_32BITSPERPIXEL))) {
    // Without the glyph sheet no letter can be drawn; the labels stay blank.
    DEBUG_MSG(kSourceFile,
              "SUCCEEDED(D3DTextr_CreateTextureFromFile( \"Letter.bmp\", 0, "
              "D3DTEXTR_32BITSPERPIXEL))");
  }
  LPDIRECT3DDEVICE7 device = CApplication::GetInstance()->GetDevice();
  if (device) D3DTextr_RestoreTexture("Letter.bmp", device);
  for (char c = 'a'; c <= 'z'; ++c) {
    int k = c - 'a';
    RECT cell = {(k % 16) * 32, (k / 16) * 64, (k % 16) * 32 + 32, (k / 16) * 64 + 64};
    m_glyphs[c] = cell;
  }
  for (char c = 'A'; c <= 'Z'; ++c) {
    int k = c - 'A';
    RECT cell = {(k % 16) * 32, (k / 16) * 64 + 128, (k % 16) * 32 + 32, (k / 16) * 64 + 192};
    m_glyphs[c] = cell;
  }
  m_glyphsReady = true;
}

RECT CTextRenderer::GetGlyph(char c) {
  if (!m_glyphsReady) BuildGlyphTable();
  return m_glyphs[c];
}

void CTextRenderer::TextOut(LPDIRECTDRAWSURFACE7 target, const std::string& text, unsigned start) {
  CScopeTrace trace("CTextRenderer::TextOut()");
  if (!m_glyphsReady) BuildGlyphTable();
  if (!target) return;
  if (start > text.size()) start = static_cast<unsigned>(text.size());
  unsigned n = static_cast<unsigned>(text.size()) - start;
  if (n > 7) n = 7;

  DDBLTFX fx = {};
  fx.dwSize = 100;
  fx.dwFillColor = 0xFFFFFFFF;
  target->Blt(NULL, NULL, NULL, DDBLT_COLORFILL, &fx);

  for (unsigned i = 0; i < n; ++i) {
    char c = text[start + i];
    LPDIRECTDRAWSURFACE7 from = D3DTextr_GetSurface("Letter.bmp");
    if (from == NULL) {
      DEBUG_MSG(kSourceFile, "from != NULL");
      return;
    }
    RECT cell = m_glyphs[c];
    // A character without a cell leaves its place white.
    if (cell.right <= cell.left || cell.bottom <= cell.top) continue;
    target->BltFast(16 + 32 * i, 160, from, &cell, DDBLTFAST_NOCOLORKEY);
  }
}

D3DMATRIX BillboardMatrix(const D3DVECTOR& position, const D3DVECTOR& eye) {
  D3DMATRIX w;
  D3DKit_SetIdentityMatrix(w);
  D3DVECTOR from = MakeVector(0.0f, 0.0f, 0.0f);
  D3DVECTOR at = MakeVector(position.x - eye.x, 0.0f, position.z - eye.z);
  D3DVECTOR up = MakeVector(0.0f, 1.0f, 0.0f);
  D3DMATRIX v;
  if (SUCCEEDED(D3DKit_SetViewMatrix(v, from, at, up))) {
    w._11 = v._11;
    w._12 = v._21;
    w._13 = v._31;
    w._21 = v._12;
    w._22 = v._22;
    w._23 = v._32;
    w._31 = v._13;
    w._32 = v._23;
    w._33 = v._33;
  }
  w._14 = w._24 = w._34 = 0.0f;
  w._41 = position.x;
  w._42 = position.y;
  w._43 = position.z;
  w._44 = 1.0f;
  return w;
}

CTargetRenderer::CTargetRenderer(CTarget* target, float x, float y, float z,
                                 const std::string& textureName)
    : m_target(target),
      m_position(MakeVector(x, y, z)),
      m_bodyQuad(new D3DVERTEX[4]),
      m_textureName(textureName),
      m_frameU(0.0f),
      m_frameV(0.0f),
      m_textSurface(NULL),
      m_typed(0),
      m_labelQuad(new D3DVERTEX[4]),
      m_active(false),
      m_dying(false) {
  SetQuad(m_bodyQuad, 3.0f, 0.0f);
  SetQuad(m_labelQuad, 1.5f, -0.01f);
  LPDIRECTDRAW7 directDraw = CApplication::GetInstance()->GetDirectDraw();
  if (directDraw) {
    DDSURFACEDESC2 desc;
    D3DKit_InitSurfaceDesc(desc, DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH, DDSCAPS_TEXTURE);
    desc.dwWidth = 256;
    desc.dwHeight = 256;
    // Without a surface the renderer draws no word.
    if (FAILED(directDraw->CreateSurface(&desc, &m_textSurface, NULL))) m_textSurface = NULL;
  }
}

CTargetRenderer::~CTargetRenderer() {
  if (m_textSurface) m_textSurface->Release();
  delete[] m_bodyQuad;
  delete[] m_labelQuad;
}

void CTargetRenderer::RenderTransparent() {}

D3DVECTOR CTargetRenderer::GetPosition(int) {
  return m_position;
}

void CTargetRenderer::AddRef() {}

void CTargetRenderer::Release() {
  delete this;
}

void CTargetRenderer::SetText(const std::string& text) {
  if (text == m_text) return;
  m_text = text;
  m_typed = 0;
  CTextRenderer::TextOut(m_textSurface, m_text, 0);
}

void CTargetRenderer::SetTyped(unsigned typed) {
  if (typed == m_typed) return;
  m_typed = typed;
  CTextRenderer::TextOut(m_textSurface, m_text, typed);
}

void CTargetRenderer::SetFrame(int frame) {
  m_frameU = frame * 0.25f;
}

void CTargetRenderer::StartDying() {
  m_frameU = 0.0f;
  m_frameV = 0.5f;
  m_dying = true;
}

void CTargetRenderer::SetActive(bool active) {
  m_active = active;
}

void CTargetRenderer::SetPosition(float x, float y, float z) {
  m_position = MakeVector(x, y, z);
}

void CTargetRenderer::RenderOpaque() {
  if (m_textSurface && m_textSurface->IsLost() != DD_OK) {
    // The content of a restored surface is undefined: the word is drawn again.
    if (SUCCEEDED(m_textSurface->Restore())) {
      CTextRenderer::TextOut(m_textSurface, m_text, m_typed);
    }
  }
  if (!m_active) return;
  LPDIRECT3DDEVICE7 device = CApplication::GetInstance()->GetDevice();
  if (!device) return;

  if (m_dying) SetMaterialColour(device, 1.0f, 1.0f, 0.5f);

  D3DVECTOR eye, lookAt, worldUp;
  m_target->GetScene()->GetCamera(eye, lookAt, worldUp);
  D3DMATRIX world = BillboardMatrix(m_position, eye);
  device->SetTransform(D3DTRANSFORMSTATE_WORLD, &world);

  device->SetRenderState(D3DRENDERSTATE_TEXTUREPERSPECTIVE, 1);
  device->SetRenderState(D3DRENDERSTATE_ZENABLE, 1);
  device->SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, 1);
  device->SetTexture(0, D3DTextr_GetSurface(m_textureName.c_str()));
  SetQuadUV(m_bodyQuad, m_frameU, m_frameV, m_frameU + 0.25f, m_frameV + 0.5f);
  device->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_VERTEX, m_bodyQuad, 4, 0);

  if (m_dying) {
    SetMaterialColour(device, 1.0f, 1.0f, 1.0f);
    return;
  }

  device->SetTexture(0, D3DTextr_GetSurface("Frame.tga"));
  device->SetRenderState(D3DRENDERSTATE_TEXTUREPERSPECTIVE, 1);
  device->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, 1);
  device->SetRenderState(D3DRENDERSTATE_SRCBLEND, D3DBLEND_BOTHSRCALPHA);
  SetQuadUV(m_labelQuad, 0.0f, 0.0f, 1.0f, 1.0f);
  device->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_VERTEX, m_labelQuad, 4, 0);
  device->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, 0);

  if (m_textSurface) {
    DDCOLORKEY key;
    key.dwColorSpaceLowValue = 0xFFFFFFFF;
    key.dwColorSpaceHighValue = 0xFFFFFFFF;
    m_textSurface->SetColorKey(DDCKEY_SRCBLT, &key);
    device->SetTexture(0, m_textSurface);
    for (int i = 0; i < 4; ++i) m_labelQuad[i].z -= 0.1f;
    SetQuadUV(m_labelQuad, 0.0f, 0.5f, 1.0f, 1.0f);
    device->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_VERTEX, m_labelQuad, 4, 0);
    for (int i = 0; i < 4; ++i) m_labelQuad[i].z += 0.1f;
  }

  device->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, 0);
  device->SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, 0);
}
