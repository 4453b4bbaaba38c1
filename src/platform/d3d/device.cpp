// The software device's state calls: capabilities, formats, transforms,
// viewport, material, lights, render and texture stage states.
#include "d3d/device.h"

#include <cstdlib>
#include <thread>

#include "ddraw/pixelformat.h"
#include "ddraw/surface.h"

namespace platform::d3d {

namespace {

// Two drawing threads where there are two cores; VOSKAR_RASTER_THREADS=1
// (or 2) chooses explicitly.
int DrawingThreads() {
  if (const char* env = std::getenv("VOSKAR_RASTER_THREADS")) return std::atoi(env) >= 2 ? 2 : 1;
  return std::thread::hardware_concurrency() >= 2 ? 2 : 1;
}

}  // namespace

Device::Device(IDirect3D7* owner, Surface* target, const D3DDEVICEDESC7& desc)
    : owner_(owner), target_(target), desc_(desc) {
  owner_->AddRef();
  target_->AddRef();
  state_.zEnable = target_->AttachedZBuffer() != nullptr;
  rasterizer_.SetThreads(DrawingThreads());
  rasterizer_.SetDeferred(true);
  ResetViewport();
}

Device::~Device() {
  Complete();
  for (Surface*& t : textures_)
    if (t) t->Release();
  for (auto& entry : cache_) entry.second->surface->Release();
  target_->Release();
  owner_->Release();
}

HRESULT Device::QueryInterface(REFIID, void** object) {
  if (object) *object = nullptr;
  return E_NOINTERFACE;
}

ULONG Device::AddRef() {
  return ++refs_;
}

ULONG Device::Release() {
  const ULONG left = --refs_;
  if (left == 0) delete this;
  return left;
}

HRESULT Device::GetCaps(D3DDEVICEDESC7* desc) {
  if (!desc) return DDERR_INVALIDPARAMS;
  *desc = desc_;
  return DD_OK;
}

HRESULT Device::EnumTextureFormats(LPD3DENUMPIXELFORMATSCALLBACK callback, void* context) {
  if (!callback) return DDERR_INVALIDPARAMS;
  const PixelKind kinds[] = {PixelKind::R5G6B5,   PixelKind::X1R5G5B5, PixelKind::A1R5G5B5,
                             PixelKind::A4R4G4B4, PixelKind::R8G8B8,   PixelKind::X8R8G8B8,
                             PixelKind::A8R8G8B8};
  for (PixelKind kind : kinds) {
    DDPIXELFORMAT format = MakePixelFormat(kind);
    if (callback(&format, context) == DDENUMRET_CANCEL) break;
  }
  return DD_OK;
}

void Device::ResetViewport() {
  viewport_.dwX = 0;
  viewport_.dwY = 0;
  viewport_.dwWidth = static_cast<DWORD>(target_->Width());
  viewport_.dwHeight = static_cast<DWORD>(target_->Height());
  viewport_.dvMinZ = 0.0f;
  viewport_.dvMaxZ = 1.0f;
}

HRESULT Device::SetViewport(D3DVIEWPORT7* v) {
  if (!v) return DDERR_INVALIDPARAMS;
  const uint64_t right = uint64_t{v->dwX} + v->dwWidth;
  const uint64_t bottom = uint64_t{v->dwY} + v->dwHeight;
  if (right > static_cast<uint64_t>(target_->Width()) ||
      bottom > static_cast<uint64_t>(target_->Height()))
    return DDERR_INVALIDPARAMS;
  viewport_ = *v;
  return DD_OK;
}

HRESULT Device::GetViewport(D3DVIEWPORT7* v) {
  if (!v) return DDERR_INVALIDPARAMS;
  *v = viewport_;
  return DD_OK;
}

HRESULT Device::SetTransform(D3DTRANSFORMSTATETYPE type, D3DMATRIX* m) {
  if (!m) return DDERR_INVALIDPARAMS;
  switch (type) {
    case D3DTRANSFORMSTATE_WORLD:
      transform_.world = *m;
      break;
    case D3DTRANSFORMSTATE_VIEW:
      transform_.view = *m;
      break;
    case D3DTRANSFORMSTATE_PROJECTION:
      transform_.projection = *m;
      break;
    default:
      return DDERR_INVALIDPARAMS;
  }
  return DD_OK;
}

HRESULT Device::GetTransform(D3DTRANSFORMSTATETYPE type, D3DMATRIX* m) {
  if (!m) return DDERR_INVALIDPARAMS;
  switch (type) {
    case D3DTRANSFORMSTATE_WORLD:
      *m = transform_.world;
      break;
    case D3DTRANSFORMSTATE_VIEW:
      *m = transform_.view;
      break;
    case D3DTRANSFORMSTATE_PROJECTION:
      *m = transform_.projection;
      break;
    default:
      return DDERR_INVALIDPARAMS;
  }
  return DD_OK;
}

HRESULT Device::SetMaterial(D3DMATERIAL7* material) {
  if (!material) return DDERR_INVALIDPARAMS;
  transform_.material = *material;
  return DD_OK;
}

// Lights have eight slots (the device reports eight active lights).
HRESULT Device::SetLight(DWORD index, D3DLIGHT7* light) {
  if (!light || index >= static_cast<DWORD>(kLightCount)) return DDERR_INVALIDPARAMS;
  if (light->dltType < D3DLIGHT_POINT || light->dltType > D3DLIGHT_DIRECTIONAL)
    return DDERR_INVALIDPARAMS;
  transform_.lights[index] = *light;
  transform_.lightSet[index] = true;
  return DD_OK;
}

HRESULT Device::LightEnable(DWORD index, BOOL enable) {
  if (index >= static_cast<DWORD>(kLightCount)) return DDERR_INVALIDPARAMS;
  if (!transform_.lightSet[index]) {
    // Enabling a light never set gives the default: white, directional,
    // shining along +z.
    D3DLIGHT7 l{};
    l.dltType = D3DLIGHT_DIRECTIONAL;
    l.dcvDiffuse.r = l.dcvDiffuse.g = l.dcvDiffuse.b = 1.0f;
    l.dvDirection.z = 1.0f;
    transform_.lights[index] = l;
    transform_.lightSet[index] = true;
  }
  transform_.lightEnabled[index] = enable != FALSE;
  return DD_OK;
}

HRESULT Device::SetRenderState(D3DRENDERSTATETYPE type, DWORD v) {
  RenderState& s = state_;
  switch (type) {
    case D3DRENDERSTATE_TEXTUREPERSPECTIVE:
      s.texturePerspective = v != 0;
      break;
    case D3DRENDERSTATE_ZENABLE:
      s.zEnable = v != 0;
      break;
    case D3DRENDERSTATE_FILLMODE:
      s.fillMode = v;
      break;
    case D3DRENDERSTATE_SHADEMODE:
      s.shadeMode = v;
      break;
    case D3DRENDERSTATE_ZWRITEENABLE:
      s.zWriteEnable = v != 0;
      break;
    case D3DRENDERSTATE_ALPHATESTENABLE:
      s.alphaTestEnable = v != 0;
      break;
    case D3DRENDERSTATE_SRCBLEND:
      s.srcBlend = v;
      break;
    case D3DRENDERSTATE_DESTBLEND:
      s.destBlend = v;
      break;
    case D3DRENDERSTATE_CULLMODE:
      s.cullMode = v;
      break;
    case D3DRENDERSTATE_ZFUNC:
      s.zFunc = v;
      break;
    case D3DRENDERSTATE_ALPHAREF:
      s.alphaRef = v;
      break;
    case D3DRENDERSTATE_ALPHAFUNC:
      s.alphaFunc = v;
      break;
    case D3DRENDERSTATE_DITHERENABLE:
      s.ditherEnable = v != 0;
      break;
    case D3DRENDERSTATE_ALPHABLENDENABLE:
      s.alphaBlendEnable = v != 0;
      break;
    case D3DRENDERSTATE_FOGENABLE:
      s.fogEnable = v != 0;
      break;
    case D3DRENDERSTATE_SPECULARENABLE:
      s.specularEnable = v != 0;
      break;
    case D3DRENDERSTATE_COLORKEYENABLE:
      s.colorKeyEnable = v != 0;
      break;
    case D3DRENDERSTATE_CLIPPING:
      s.clipping = v != 0;
      break;
    case D3DRENDERSTATE_LIGHTING:
      s.lighting = v != 0;
      break;
    case D3DRENDERSTATE_AMBIENT:
      s.ambient = v;
      break;
    case D3DRENDERSTATE_COLORVERTEX:
      s.colorVertex = v != 0;
      break;
    case D3DRENDERSTATE_NORMALIZENORMALS:
      s.normalizeNormals = v != 0;
      break;
    case D3DRENDERSTATE_DIFFUSEMATERIALSOURCE:
      s.diffuseMaterialSource = v;
      break;
    case D3DRENDERSTATE_SPECULARMATERIALSOURCE:
      s.specularMaterialSource = v;
      break;
    case D3DRENDERSTATE_AMBIENTMATERIALSOURCE:
      s.ambientMaterialSource = v;
      break;
    case D3DRENDERSTATE_EMISSIVEMATERIALSOURCE:
      s.emissiveMaterialSource = v;
      break;
    default:
      return DDERR_INVALIDPARAMS;
  }
  return DD_OK;
}

HRESULT Device::GetRenderState(D3DRENDERSTATETYPE type, LPDWORD out) {
  if (!out) return DDERR_INVALIDPARAMS;
  const RenderState& s = state_;
  switch (type) {
    case D3DRENDERSTATE_TEXTUREPERSPECTIVE:
      *out = s.texturePerspective;
      break;
    case D3DRENDERSTATE_ZENABLE:
      *out = s.zEnable;
      break;
    case D3DRENDERSTATE_FILLMODE:
      *out = s.fillMode;
      break;
    case D3DRENDERSTATE_SHADEMODE:
      *out = s.shadeMode;
      break;
    case D3DRENDERSTATE_ZWRITEENABLE:
      *out = s.zWriteEnable;
      break;
    case D3DRENDERSTATE_ALPHATESTENABLE:
      *out = s.alphaTestEnable;
      break;
    case D3DRENDERSTATE_SRCBLEND:
      *out = s.srcBlend;
      break;
    case D3DRENDERSTATE_DESTBLEND:
      *out = s.destBlend;
      break;
    case D3DRENDERSTATE_CULLMODE:
      *out = s.cullMode;
      break;
    case D3DRENDERSTATE_ZFUNC:
      *out = s.zFunc;
      break;
    case D3DRENDERSTATE_ALPHAREF:
      *out = s.alphaRef;
      break;
    case D3DRENDERSTATE_ALPHAFUNC:
      *out = s.alphaFunc;
      break;
    case D3DRENDERSTATE_DITHERENABLE:
      *out = s.ditherEnable;
      break;
    case D3DRENDERSTATE_ALPHABLENDENABLE:
      *out = s.alphaBlendEnable;
      break;
    case D3DRENDERSTATE_FOGENABLE:
      *out = s.fogEnable;
      break;
    case D3DRENDERSTATE_SPECULARENABLE:
      *out = s.specularEnable;
      break;
    case D3DRENDERSTATE_COLORKEYENABLE:
      *out = s.colorKeyEnable;
      break;
    case D3DRENDERSTATE_CLIPPING:
      *out = s.clipping;
      break;
    case D3DRENDERSTATE_LIGHTING:
      *out = s.lighting;
      break;
    case D3DRENDERSTATE_AMBIENT:
      *out = s.ambient;
      break;
    case D3DRENDERSTATE_COLORVERTEX:
      *out = s.colorVertex;
      break;
    case D3DRENDERSTATE_NORMALIZENORMALS:
      *out = s.normalizeNormals;
      break;
    case D3DRENDERSTATE_DIFFUSEMATERIALSOURCE:
      *out = s.diffuseMaterialSource;
      break;
    case D3DRENDERSTATE_SPECULARMATERIALSOURCE:
      *out = s.specularMaterialSource;
      break;
    case D3DRENDERSTATE_AMBIENTMATERIALSOURCE:
      *out = s.ambientMaterialSource;
      break;
    case D3DRENDERSTATE_EMISSIVEMATERIALSOURCE:
      *out = s.emissiveMaterialSource;
      break;
    default:
      return DDERR_INVALIDPARAMS;
  }
  return DD_OK;
}

HRESULT Device::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD v) {
  if (stage >= static_cast<DWORD>(kStageCount)) return DDERR_INVALIDPARAMS;
  StageState& s = state_.stages[stage];
  switch (type) {
    case D3DTSS_COLOROP:
      s.colorOp = v;
      break;
    case D3DTSS_COLORARG1:
      s.colorArg1 = v;
      break;
    case D3DTSS_COLORARG2:
      s.colorArg2 = v;
      break;
    case D3DTSS_ALPHAOP:
      s.alphaOp = v;
      break;
    case D3DTSS_ALPHAARG1:
      s.alphaArg1 = v;
      break;
    case D3DTSS_ALPHAARG2:
      s.alphaArg2 = v;
      break;
    case D3DTSS_TEXCOORDINDEX:
      s.texCoordIndex = v;
      break;
    case D3DTSS_ADDRESS:
      s.addressU = s.addressV = v;
      break;
    case D3DTSS_ADDRESSU:
      s.addressU = v;
      break;
    case D3DTSS_ADDRESSV:
      s.addressV = v;
      break;
    case D3DTSS_MAGFILTER:
      s.magFilter = v;
      break;
    case D3DTSS_MINFILTER:
      s.minFilter = v;
      break;
    case D3DTSS_MIPFILTER:
      s.mipFilter = v;
      break;
    default:
      return DDERR_INVALIDPARAMS;
  }
  return DD_OK;
}

}  // namespace platform::d3d
