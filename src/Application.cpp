#include "Application.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "Classes/SceneManager.h"
#include "Classes/SceneTitle.h"
#include "Classes/ScreenQuad.h"
#include "DebugReport.h"
#include "ScopeTrace.h"
#include "d3dframe/d3dtextr.h"
#include "d3dframe/d3dutil.h"

namespace {

// One texture of the start-up list.
struct TextureListEntry {
  const char* file;
  bool blank;  // registered without an image, 256 x 256
  DWORD flags;
  const char* failure;
};

const TextureListEntry kTextureList[] = {
    {"Texture4.bmp", false, D3DTEXTR_BLACKKEY, "Failed Create Texture4"},
    {"Texture5.bmp", false, D3DTEXTR_BLACKKEY, "Failed Create Texture5"},
    {"Building1a.bmp", false, D3DTEXTR_BLACKKEY, "Failed Create Building1a"},
    {"Building2a.bmp", false, D3DTEXTR_BLACKKEY, "Failed Create Building2a"},
    {"Building3a.bmp", false, D3DTEXTR_BLACKKEY, "Failed Create Building3a"},
    {"Building4a.bmp", false, D3DTEXTR_BLACKKEY, "Failed Create Building4a"},
    {"Building5a.bmp", false, D3DTEXTR_BLACKKEY, "Failed Create Building5a"},
    {"Building6a.bmp", false, D3DTEXTR_BLACKKEY, "Failed Create Building6a"},
    {"Sprite.bmp", false, D3DTEXTR_BLACKKEY, "Failed Create Sprite"},
    {"Frame.tga", false, D3DTEXTR_WHITEKEY | D3DTEXTR_ALPHA, "Failed Create Frame"},
    {"Earth2.bmp", false, D3DTEXTR_BLACKKEY, "Failed Create Earth2"},
    {"Bullet.bmp", false, D3DTEXTR_BLACKKEY, "Failed Create Bullet"},
    {"Sight.bmp", false, D3DTEXTR_BLACKKEY, "Failed Create Sight"},
    {"empty.bmp", true, D3DTEXTR_BLACKKEY, "Failed Create Texture Temp buffer"},
    {"Sky1.bmp", false, 0, "Failed Create Sky1"},
    {"LevelSelect.bmp", false, 0, "Failed Create LevelSelect"},
    {"Keyboard.tga", false, D3DTEXTR_WHITEKEY | D3DTEXTR_32BITSPERPIXEL, "Failed Create Keyboard"},
    {"Title2.bmp", false, 0, "Failed Create Title"},
    {"NowLoading.bmp", false, 0, "Failed Create NowLoading"},
    {"Score.bmp", false, 0, "Failed Create Score"},
};

// Textures whose black texels are keyed out when blitted or drawn with
// colour keying on.
const char* const kBlackKeyedTextures[] = {
    "Texture4.bmp",   "Texture5.bmp",   "Sprite.bmp",     "Earth2.bmp",
    "Building1a.bmp", "Building2a.bmp", "Building3a.bmp", "Building4a.bmp",
    "Building5a.bmp", "Building6a.bmp", "Bullet.bmp",
};

D3DCOLORVALUE ColorValue(float r, float g, float b, float a) {
  D3DCOLORVALUE c;
  c.r = r;
  c.g = g;
  c.b = b;
  c.a = a;
  return c;
}

}  // namespace

CApplication* CApplication::GetInstance() {
  static CApplication* instance = new CApplication();
  return instance;
}

CApplication::CApplication()
    : m_directDraw(nullptr),
      m_direct3D(nullptr),
      m_device(nullptr),
      m_renderTarget(nullptr),
      m_renderTargetDesc(),
      m_skyVertices(),
      m_frontBuffer(nullptr),
      m_backBuffer(nullptr),
      m_width(0),
      m_height(0),
      m_sceneManager(nullptr),
      m_playerStatus() {
  srand(static_cast<unsigned>(time(nullptr)));
}

HRESULT CApplication::OneTimeSceneInit() {
  CScopeTrace trace("CApplication::OneTimeSceneInit");
  InitScreenQuad(m_skyVertices);
  D3DTextr_SetTextureFolder("BMP\\");
  for (const TextureListEntry& entry : kTextureList) {
    HRESULT hr = entry.blank ? D3DTextr_CreateBlankTexture(entry.file, 256, 256, 0, entry.flags)
                             : D3DTextr_CreateTextureFromFile(entry.file, 0, entry.flags);
    if (hr != S_OK) DebugReport(entry.failure);
  }
  return S_OK;
}

HRESULT CApplication::InitDeviceObjects(LPDIRECTDRAW7 directDraw, LPDIRECT3D7 direct3D,
                                        LPDIRECT3DDEVICE7 device, LPDIRECTDRAWSURFACE7 renderTarget,
                                        DDSURFACEDESC2 renderTargetDesc,
                                        LPDIRECTDRAWSURFACE7 frontBuffer,
                                        LPDIRECTDRAWSURFACE7 backBuffer, DWORD width,
                                        DWORD height) {
  CScopeTrace trace("CApplication::InitDeviceObjects");
  if (!directDraw || !direct3D || !device || !renderTarget) abort();

  m_directDraw = directDraw;
  m_direct3D = direct3D;
  m_device = device;
  m_renderTarget = renderTarget;
  m_renderTargetDesc = renderTargetDesc;
  m_frontBuffer = frontBuffer;
  m_backBuffer = backBuffer;
  m_width = width;
  m_height = height;

  D3DVIEWPORT7 viewport = {0, 0, width, height, 0.0f, 1.0f};
  m_device->SetViewport(&viewport);

  D3DMATRIX world;
  D3DKit_SetIdentityMatrix(world);
  m_device->SetTransform(D3DTRANSFORMSTATE_WORLD, &world);

  D3DMATRIX view;
  D3DKit_SetIdentityMatrix(view);
  view._41 = 0.0f;
  view._42 = -1.5f;
  view._43 = 5.0f;
  m_device->SetTransform(D3DTRANSFORMSTATE_VIEW, &view);

  // The aspect is the whole-number quotient, so 640 x 480 gives 1.0.
  D3DMATRIX projection;
  D3DKit_SetProjectionMatrix(projection, 3.1415927f / 3.0f, static_cast<float>(width / height),
                             1.0f, 5000.0f);
  m_device->SetTransform(D3DTRANSFORMSTATE_PROJECTION, &projection);

  D3DMATERIAL7 material;
  memset(&material, 0, sizeof(material));
  material.diffuse = ColorValue(1.0f, 1.0f, 1.0f, 1.0f);
  material.ambient = ColorValue(1.0f, 1.0f, 1.0f, 1.0f);
  material.specular = ColorValue(0.0f, 0.0f, 0.0f, 0.0f);
  material.emissive = ColorValue(0.0f, 0.0f, 0.0f, 1.0f);
  material.power = 0.0f;
  m_device->SetMaterial(&material);

  D3DLIGHT7 light;
  memset(&light, 0, sizeof(light));
  light.dltType = D3DLIGHT_DIRECTIONAL;
  light.dcvDiffuse = ColorValue(1.0f, 1.0f, 1.0f, 1.0f);
  light.dcvSpecular = ColorValue(1.0f, 1.0f, 1.0f, 1.0f);
  light.dcvAmbient = ColorValue(1.0f, 1.0f, 1.0f, 1.0f);
  light.dvDirection.z = 1.0f;
  light.dvRange = 10000.0f;
  m_device->SetLight(0, &light);
  m_device->LightEnable(0, TRUE);

  m_device->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
  m_device->SetRenderState(D3DRENDERSTATE_SPECULARENABLE, TRUE);

  D3DTextr_RestoreAll(m_device);

  m_device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  m_device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
  m_device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  m_device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
  m_device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
  m_device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTFN_LINEAR);
  m_device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTFG_LINEAR);

  m_device->SetRenderState(D3DRENDERSTATE_DITHERENABLE, TRUE);

  D3DVIEWPORT7 current;
  memset(&current, 0, sizeof(current));
  m_device->GetViewport(&current);
  SetScreenQuadSize(m_skyVertices, current);

  m_sceneManager = new CSceneManager();
  m_playerStatus.Reset();

  for (const char* name : kBlackKeyedTextures) {
    // A texture that failed to load has no surface to key.
    LPDIRECTDRAWSURFACE7 surface = D3DTextr_GetSurface(name);
    if (!surface) continue;
    DDCOLORKEY key;
    key.dwColorSpaceLowValue = 0xFF000000;
    key.dwColorSpaceHighValue = 0xFF000000;
    surface->SetColorKey(DDCKEY_SRCBLT, &key);
  }

  ResetGame();
  return S_OK;
}

void CApplication::ResetGame() {
  CScopeTrace trace("CApplication::ResetGame");
  m_sceneManager->PushScene(new CSceneTitle());
}

HRESULT CApplication::FrameMove(float time) {
  CScopeTrace trace("CApplication::FrameMove");
  // Whole milliseconds, truncated toward zero; kept to 32 bits like the clock.
  m_sceneManager->Move(static_cast<uint32_t>(static_cast<int64_t>(time * 1000.0)));
  return S_OK;
}

HRESULT CApplication::Render() {
  CScopeTrace trace("CApplication::Render");
  RECT rect = {0, 0, static_cast<LONG>(m_width), static_cast<LONG>(m_height)};
  DDBLTFX fx;
  memset(&fx, 0, sizeof(fx));
  fx.dwSize = sizeof(fx);
  fx.dwFillColor = 0;
  m_backBuffer->Blt(&rect, nullptr, &rect, DDBLT_COLORFILL | DDBLT_WAIT, &fx);

  D3DRECT clearRect;
  clearRect.x1 = 0;
  clearRect.y1 = 0;
  clearRect.x2 = static_cast<LONG>(m_width);
  clearRect.y2 = static_cast<LONG>(m_height);
  m_device->Clear(1, &clearRect, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);

  DrawBackground();
  m_sceneManager->Draw();
  return S_OK;
}

HRESULT CApplication::DrawBackground() {
  CScopeTrace trace("CApplication::DrawBackground");
  m_device->SetTexture(0, D3DTextr_GetSurface("Sky1.bmp"));
  // Depth testing ends up on for the sky: the first ZENABLE is undone at once.
  m_device->SetRenderState(D3DRENDERSTATE_ZENABLE, FALSE);
  m_device->SetRenderState(D3DRENDERSTATE_ZENABLE, TRUE);
  m_device->SetRenderState(D3DRENDERSTATE_TEXTUREPERSPECTIVE, FALSE);
  m_device->BeginScene();
  m_device->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_TLVERTEX, m_skyVertices, 4, 0);
  m_device->SetRenderState(D3DRENDERSTATE_ZENABLE, TRUE);
  m_device->EndScene();
  return S_OK;
}

HRESULT CApplication::DeleteDeviceObjects() {
  CScopeTrace trace("CApplication::DeleteDeviceObjects");
  D3DTextr_InvalidateAll();
  delete m_sceneManager;
  m_sceneManager = nullptr;
  return S_OK;
}
