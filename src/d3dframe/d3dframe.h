// The display framework: turns the chosen device and mode into working
// DirectDraw and Direct3D objects (buffers, z-buffer, viewport), presents the
// finished frames and tears everything down again.
#pragma once

#include "d3d7.h"

#define D3DFW_FULLSCREEN 0x00000001
#define D3DFW_STEREO 0x00000002
#define D3DFW_ZBUFFER 0x00000004
#define D3DFW_NO_FPUSETUP 0x00000008

#define D3DFWERR_INITIALIZATIONFAILED ((HRESULT)0x82000000)
#define D3DFWERR_NODIRECTDRAW ((HRESULT)0x82000001)
#define D3DFWERR_COULDNTSETCOOPLEVEL ((HRESULT)0x82000002)
#define D3DFWERR_NODIRECT3D ((HRESULT)0x82000003)
#define D3DFWERR_NO3DDEVICE ((HRESULT)0x82000004)
#define D3DFWERR_NOZBUFFER ((HRESULT)0x82000005)
#define D3DFWERR_INVALIDZBUFFERDEPTH ((HRESULT)0x82000006)
#define D3DFWERR_NOVIEWPORT ((HRESULT)0x82000007)
#define D3DFWERR_NOPRIMARY ((HRESULT)0x82000008)
#define D3DFWERR_NOCLIPPER ((HRESULT)0x82000009)
#define D3DFWERR_BADDISPLAYMODE ((HRESULT)0x8200000A)
#define D3DFWERR_NOBACKBUFFER ((HRESULT)0x8200000B)
#define D3DFWERR_NONZEROREFCOUNT ((HRESULT)0x8200000C)
#define D3DFWERR_NORENDERTARGET ((HRESULT)0x8200000D)
#define D3DFWERR_INVALIDMODE ((HRESULT)0x8200000E)
#define D3DFWERR_NOTINITIALIZED ((HRESULT)0x8200000F)

class CD3DDisplay {
 public:
  CD3DDisplay();
  ~CD3DDisplay();

  HRESULT Initialize(HWND window, GUID* driverGuid, GUID* deviceGuid, DDSURFACEDESC2* mode,
                     DWORD flags);
  HRESULT DestroyObjects();

  LPDIRECTDRAW7 GetDirectDraw() { return m_directDraw; }
  LPDIRECT3D7 GetDirect3D() { return m_direct3D; }
  LPDIRECT3DDEVICE7 GetD3DDevice() { return m_device; }
  LPDIRECTDRAWSURFACE7 GetFrontBuffer() { return m_frontBuffer; }
  LPDIRECTDRAWSURFACE7 GetBackBuffer() { return m_backBuffer; }
  LPDIRECTDRAWSURFACE7 GetRenderSurface() { return m_backBuffer; }

  void Move(INT x, INT y);
  HRESULT FlipToGDISurface(BOOL drawFrame = FALSE);
  HRESULT PresentFrame();
  HRESULT RestoreSurfaces();

  CD3DDisplay(const CD3DDisplay&) = delete;
  CD3DDisplay& operator=(const CD3DDisplay&) = delete;

 private:
  HRESULT CreateDirectDraw(GUID* driverGuid, DWORD flags);
  HRESULT CreateFullscreenBuffers(DDSURFACEDESC2* mode);
  HRESULT CreateWindowedBuffers();
  HRESULT CreateDirect3D(GUID* deviceGuid);
  HRESULT CreateZBuffer(GUID* deviceGuid);

  HWND m_window;
  BOOL m_fullscreen;
  BOOL m_stereo;
  DWORD m_renderWidth;
  DWORD m_renderHeight;
  RECT m_screenRect;
  LPDIRECTDRAW7 m_directDraw;
  LPDIRECT3D7 m_direct3D;
  LPDIRECT3DDEVICE7 m_device;
  LPDIRECTDRAWSURFACE7 m_frontBuffer;
  LPDIRECTDRAWSURFACE7 m_backBuffer;
  LPDIRECTDRAWSURFACE7 m_leftBackBuffer;
  LPDIRECTDRAWSURFACE7 m_zBuffer;
  DWORD m_deviceMemoryType;
};
