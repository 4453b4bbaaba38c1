// A stand-in Direct3D device for the texture registry's tests: it reports the
// caps and texture formats a test chooses and renders into a real surface of
// the platform's DirectDraw, which then creates the textures.
#pragma once

#include <string>
#include <vector>

#include "d3d7.h"

namespace testdev {

DDPIXELFORMAT RgbFormat(DWORD bits, DWORD r, DWORD g, DWORD b, DWORD a);
DDPIXELFORMAT Palette8Format();
// The formats our software device offers, in its order.
std::vector<DDPIXELFORMAT> SoftwareFormats();

class FakeDevice : public IDirect3DDevice7 {
 public:
  FakeDevice(LPDIRECTDRAW7 directDraw, LPDIRECTDRAWSURFACE7 target);
  ~FakeDevice() override;

  D3DDEVICEDESC7 caps{};
  bool failCaps = false;
  std::vector<DDPIXELFORMAT> formats;
  int enumCalls = 0;

  HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
  ULONG AddRef() override { return ++m_refs; }
  ULONG Release() override { return --m_refs; }  // owned by the test
  HRESULT GetCaps(D3DDEVICEDESC7* desc) override;
  HRESULT EnumTextureFormats(LPD3DENUMPIXELFORMATSCALLBACK callback, void* context) override;
  HRESULT GetRenderTarget(IDirectDrawSurface7** surface) override;
  HRESULT BeginScene() override { return S_OK; }
  HRESULT EndScene() override { return S_OK; }
  HRESULT SetRenderTarget(IDirectDrawSurface7*, DWORD) override { return S_OK; }
  HRESULT Clear(DWORD, D3DRECT*, DWORD, D3DCOLOR, D3DVALUE, DWORD) override { return S_OK; }
  HRESULT SetTransform(D3DTRANSFORMSTATETYPE, D3DMATRIX*) override { return S_OK; }
  HRESULT GetTransform(D3DTRANSFORMSTATETYPE, D3DMATRIX*) override { return S_OK; }
  HRESULT SetViewport(D3DVIEWPORT7*) override { return S_OK; }
  HRESULT GetViewport(D3DVIEWPORT7*) override { return S_OK; }
  HRESULT SetMaterial(D3DMATERIAL7*) override { return S_OK; }
  HRESULT SetLight(DWORD, D3DLIGHT7*) override { return S_OK; }
  HRESULT SetRenderState(D3DRENDERSTATETYPE, DWORD) override { return S_OK; }
  HRESULT GetRenderState(D3DRENDERSTATETYPE, LPDWORD) override { return S_OK; }
  HRESULT DrawPrimitive(D3DPRIMITIVETYPE, DWORD, LPVOID, DWORD, DWORD) override { return S_OK; }
  HRESULT SetTexture(DWORD, IDirectDrawSurface7*) override { return S_OK; }
  HRESULT SetTextureStageState(DWORD, D3DTEXTURESTAGESTATETYPE, DWORD) override { return S_OK; }
  HRESULT LightEnable(DWORD, BOOL) override { return S_OK; }

 private:
  ULONG m_refs = 1;
  LPDIRECTDRAW7 m_directDraw;
  LPDIRECTDRAWSURFACE7 m_target;
};

// Owns a platform DirectDraw object, a small render target and a fake device.
class DeviceFixture {
 public:
  DeviceFixture();
  ~DeviceFixture();
  FakeDevice* device() { return m_device; }

 private:
  LPDIRECTDRAW7 m_directDraw = nullptr;
  LPDIRECTDRAWSURFACE7 m_target = nullptr;
  FakeDevice* m_device = nullptr;
};

// Reads one texel of a surface (16- or 32-bit).
DWORD ReadTexel(LPDIRECTDRAWSURFACE7 surface, DWORD x, DWORD y);
DDSURFACEDESC2 Describe(LPDIRECTDRAWSURFACE7 surface);

}  // namespace testdev
