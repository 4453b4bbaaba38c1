// Stand-ins for the DirectDraw / Direct3D objects the game core is handed:
// they draw nothing and report every call as one line of text, so that tests
// can check the order and the arguments of the device calls.
#pragma once

#include <cstdarg>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "d3d7.h"

namespace coretest {

using CallLog = std::vector<std::string>;

// Names a surface in the call log (the test maps texture surfaces to the
// names they are registered under); empty means "unnamed".
inline std::function<std::string(IDirectDrawSurface7*)>& SurfaceNamer() {
  static std::function<std::string(IDirectDrawSurface7*)> namer;
  return namer;
}
inline std::string SurfaceName(IDirectDrawSurface7* surface) {
  if (!surface) return "null";
  std::string name = SurfaceNamer() ? SurfaceNamer()(surface) : std::string();
  return name.empty() ? "surface" : name;
}

inline std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
inline std::string Format(const char* format, ...) {
  char buffer[512];
  va_list args;
  va_start(args, format);
  vsnprintf(buffer, sizeof(buffer), format, args);
  va_end(args);
  return buffer;
}

// Counts references like a COM object. Objects made with new by the fakes
// delete themselves at zero; the test owns the others.
template <typename Interface>
class Counted : public Interface {
 public:
  HRESULT QueryInterface(REFIID, void** object) override {
    if (object) *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return ++m_refs; }
  ULONG Release() override {
    ULONG refs = --m_refs;
    if (refs == 0 && m_selfOwned) delete this;
    return refs;
  }
  ULONG m_refs = 1;
  bool m_selfOwned = false;
};

class FakeDirectDraw;

class FakeSurface : public Counted<IDirectDrawSurface7> {
 public:
  FakeSurface(CallLog* log, std::string name, IDirectDraw7* owner)
      : m_log(log), m_name(std::move(name)), m_owner(owner) {}

  HRESULT AddAttachedSurface(LPDIRECTDRAWSURFACE7) override { return E_NOTIMPL; }
  HRESULT Blt(LPRECT dest, LPDIRECTDRAWSURFACE7 src, LPRECT srcRect, DWORD flags,
              LPDDBLTFX fx) override {
    if (!dest && !fx) return S_OK;  // texture uploads are not part of the checks
    std::string line = Name() + ".Blt(" + Rect(dest) + ", " + SurfaceName(src) + ", " +
                       Rect(srcRect) + Format(", %#x", flags);
    if (fx) line += Format(", size %u fill %#x", fx->dwSize, fx->dwFillColor);
    m_log->push_back(line + ")");
    return S_OK;
  }
  HRESULT BltFast(DWORD, DWORD, LPDIRECTDRAWSURFACE7, LPRECT, DWORD) override { return E_NOTIMPL; }
  HRESULT Flip(LPDIRECTDRAWSURFACE7, DWORD) override { return E_NOTIMPL; }
  HRESULT GetAttachedSurface(LPDDSCAPS2, LPDIRECTDRAWSURFACE7*) override { return E_NOTIMPL; }
  HRESULT GetDC(HDC*) override { return E_NOTIMPL; }
  HRESULT GetSurfaceDesc(LPDDSURFACEDESC2) override { return E_NOTIMPL; }
  HRESULT IsLost() override { return S_OK; }
  HRESULT Lock(LPRECT, LPDDSURFACEDESC2, DWORD, HANDLE) override { return E_NOTIMPL; }
  HRESULT ReleaseDC(HDC) override { return E_NOTIMPL; }
  HRESULT Restore() override { return S_OK; }
  HRESULT SetClipper(LPDIRECTDRAWCLIPPER) override { return E_NOTIMPL; }
  HRESULT SetColorKey(DWORD flags, LPDDCOLORKEY key) override {
    m_log->push_back(Name() + Format(".SetColorKey(%#x, %#x, %#x)", flags,
                                     key->dwColorSpaceLowValue, key->dwColorSpaceHighValue));
    return S_OK;
  }
  HRESULT SetPalette(LPDIRECTDRAWPALETTE) override { return E_NOTIMPL; }
  HRESULT Unlock(LPRECT) override { return E_NOTIMPL; }
  HRESULT GetDDInterface(LPVOID* directDraw) override {
    m_owner->AddRef();
    *directDraw = m_owner;
    return S_OK;
  }

 private:
  std::string Name() {
    std::string name = SurfaceName(this);
    return name == "surface" ? m_name : name;
  }
  static std::string Rect(const RECT* r) {
    return r ? Format("(%d,%d,%d,%d)", r->left, r->top, r->right, r->bottom) : "null";
  }
  CallLog* m_log;
  std::string m_name;
  IDirectDraw7* m_owner;
};

class FakeDirectDraw : public Counted<IDirectDraw7> {
 public:
  explicit FakeDirectDraw(CallLog* log) : m_log(log) {}

  HRESULT CreateClipper(DWORD, LPDIRECTDRAWCLIPPER*, IUnknown*) override { return E_NOTIMPL; }
  HRESULT CreatePalette(DWORD, LPPALETTEENTRY, LPDIRECTDRAWPALETTE*, IUnknown*) override {
    return E_NOTIMPL;
  }
  // Texture surfaces: they hold no pixels and free themselves.
  HRESULT CreateSurface(LPDDSURFACEDESC2, LPDIRECTDRAWSURFACE7* surface, IUnknown*) override {
    FakeSurface* texture = new FakeSurface(m_log, "texture", this);
    texture->m_selfOwned = true;
    *surface = texture;
    return S_OK;
  }
  HRESULT EnumDisplayModes(DWORD, LPDDSURFACEDESC2, LPVOID, LPDDENUMMODESCALLBACK2) override {
    return E_NOTIMPL;
  }
  HRESULT FlipToGDISurface() override { return E_NOTIMPL; }
  HRESULT GetCaps(LPDDCAPS, LPDDCAPS) override { return E_NOTIMPL; }
  HRESULT GetDisplayMode(LPDDSURFACEDESC2) override { return E_NOTIMPL; }
  HRESULT SetCooperativeLevel(HWND, DWORD) override { return E_NOTIMPL; }
  HRESULT SetDisplayMode(DWORD, DWORD, DWORD, DWORD, DWORD) override { return E_NOTIMPL; }
  HRESULT RestoreAllSurfaces() override { return E_NOTIMPL; }
  HRESULT TestCooperativeLevel() override { return S_OK; }

 private:
  CallLog* m_log;
};

class FakeDirect3D : public Counted<IDirect3D7> {
 public:
  HRESULT EnumDevices(LPD3DENUMDEVICESCALLBACK7, void*) override { return E_NOTIMPL; }
  HRESULT CreateDevice(REFCLSID, IDirectDrawSurface7*, IDirect3DDevice7**) override {
    return E_NOTIMPL;
  }
  HRESULT EnumZBufferFormats(REFCLSID, LPD3DENUMPIXELFORMATSCALLBACK, void*) override {
    return E_NOTIMPL;
  }
};

// A device with a settable viewport that offers one 16-bit texture format,
// so registered textures get (empty) surfaces.
class FakeDevice : public Counted<IDirect3DDevice7> {
 public:
  FakeDevice(CallLog* log, IDirectDrawSurface7* renderTarget)
      : m_log(log), m_renderTarget(renderTarget) {}

  D3DVIEWPORT7 m_viewport = {0, 0, 640, 480, 0.0f, 1.0f};
  // The last vertices drawn with each call, in call order.
  std::vector<std::vector<D3DTLVERTEX>> m_drawn;
  D3DMATRIX m_projection{};
  D3DMATRIX m_view{};

  HRESULT GetCaps(D3DDEVICEDESC7* desc) override {
    *desc = D3DDEVICEDESC7{};
    desc->dpcTriCaps.dwSrcBlendCaps = D3DPBLENDCAPS_ONE;
    desc->dpcTriCaps.dwDestBlendCaps = D3DPBLENDCAPS_ONE;
    desc->dwMaxTextureWidth = 2048;
    desc->dwMaxTextureHeight = 2048;
    desc->deviceGUID = IID_IDirect3DRGBDevice;
    return S_OK;
  }
  HRESULT EnumTextureFormats(LPD3DENUMPIXELFORMATSCALLBACK callback, void* context) override {
    DDPIXELFORMAT format{};
    format.dwSize = sizeof(format);
    format.dwFlags = DDPF_RGB;
    format.dwRGBBitCount = 16;
    format.dwRBitMask = 0xF800;
    format.dwGBitMask = 0x07E0;
    format.dwBBitMask = 0x001F;
    callback(&format, context);
    return S_OK;
  }
  HRESULT BeginScene() override { return Log("BeginScene()"); }
  HRESULT EndScene() override { return Log("EndScene()"); }
  HRESULT SetRenderTarget(IDirectDrawSurface7*, DWORD) override { return E_NOTIMPL; }
  HRESULT GetRenderTarget(IDirectDrawSurface7** surface) override {
    m_renderTarget->AddRef();
    *surface = m_renderTarget;
    return S_OK;
  }
  HRESULT Clear(DWORD count, D3DRECT* rects, DWORD flags, D3DCOLOR color, D3DVALUE z,
                DWORD stencil) override {
    std::string line = Format("Clear(%u", count);
    for (DWORD i = 0; i < count; ++i)
      line += Format(", (%d,%d,%d,%d)", rects[i].x1, rects[i].y1, rects[i].x2, rects[i].y2);
    return Log(line + Format(", %#x, %#x, %g, %u)", flags, color, z, stencil));
  }
  HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* m) override {
    if (state == D3DTRANSFORMSTATE_PROJECTION) m_projection = *m;
    if (state == D3DTRANSFORMSTATE_VIEW) m_view = *m;
    return Log(Format("SetTransform(%d, [%g %g %g %g | %g %g %g %g | %g %g %g %g | %g %g %g %g])",
                      state, m->_11, m->_12, m->_13, m->_14, m->_21, m->_22, m->_23, m->_24, m->_31,
                      m->_32, m->_33, m->_34, m->_41, m->_42, m->_43, m->_44));
  }
  HRESULT GetTransform(D3DTRANSFORMSTATETYPE, D3DMATRIX*) override { return E_NOTIMPL; }
  HRESULT SetViewport(D3DVIEWPORT7* v) override {
    m_viewport = *v;
    return Log(Format("SetViewport(%u, %u, %u, %u, %g, %g)", v->dwX, v->dwY, v->dwWidth,
                      v->dwHeight, v->dvMinZ, v->dvMaxZ));
  }
  HRESULT GetViewport(D3DVIEWPORT7* v) override {
    *v = m_viewport;
    return Log("GetViewport()");
  }
  HRESULT SetMaterial(D3DMATERIAL7* m) override {
    return Log(Format("SetMaterial(d %g %g %g %g, a %g %g %g %g, s %g %g %g %g, e %g %g %g %g, %g)",
                      m->diffuse.r, m->diffuse.g, m->diffuse.b, m->diffuse.a, m->ambient.r,
                      m->ambient.g, m->ambient.b, m->ambient.a, m->specular.r, m->specular.g,
                      m->specular.b, m->specular.a, m->emissive.r, m->emissive.g, m->emissive.b,
                      m->emissive.a, m->power));
  }
  HRESULT SetLight(DWORD index, D3DLIGHT7* l) override {
    return Log(
        Format("SetLight(%u, type %d, d %g %g %g %g, s %g %g %g %g, a %g %g %g %g, "
               "pos %g %g %g, dir %g %g %g, range %g, %g %g %g %g %g %g)",
               index, l->dltType, l->dcvDiffuse.r, l->dcvDiffuse.g, l->dcvDiffuse.b,
               l->dcvDiffuse.a, l->dcvSpecular.r, l->dcvSpecular.g, l->dcvSpecular.b,
               l->dcvSpecular.a, l->dcvAmbient.r, l->dcvAmbient.g, l->dcvAmbient.b, l->dcvAmbient.a,
               l->dvPosition.x, l->dvPosition.y, l->dvPosition.z, l->dvDirection.x,
               l->dvDirection.y, l->dvDirection.z, l->dvRange, l->dvFalloff, l->dvAttenuation0,
               l->dvAttenuation1, l->dvAttenuation2, l->dvTheta, l->dvPhi));
  }
  HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override {
    return Log(Format("SetRenderState(%d, %u)", state, value));
  }
  HRESULT GetRenderState(D3DRENDERSTATETYPE, LPDWORD) override { return E_NOTIMPL; }
  HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, DWORD format, LPVOID vertices, DWORD count,
                        DWORD flags) override {
    const D3DTLVERTEX* v = static_cast<const D3DTLVERTEX*>(vertices);
    m_drawn.emplace_back(v, v + count);
    return Log(Format("DrawPrimitive(%d, %#x, %u, %u)", type, format, count, flags));
  }
  HRESULT SetTexture(DWORD stage, IDirectDrawSurface7* texture) override {
    return Log(Format("SetTexture(%u, %s)", stage, SurfaceName(texture).c_str()));
  }
  HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override {
    return Log(Format("SetTextureStageState(%u, %d, %u)", stage, type, value));
  }
  HRESULT LightEnable(DWORD index, BOOL enable) override {
    return Log(Format("LightEnable(%u, %d)", index, enable));
  }

 private:
  HRESULT Log(const std::string& line) {
    m_log->push_back(line);
    return S_OK;
  }
  CallLog* m_log;
  IDirectDrawSurface7* m_renderTarget;
};

}  // namespace coretest
