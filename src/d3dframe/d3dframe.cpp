#include "d3dframe/d3dframe.h"

#include <cstring>

#include "d3dframe/d3dutil.h"

namespace {

const char* const kSourceFile = "src\\d3dframe\\d3dframe";

struct ZBufferSearch {
  DDPIXELFORMAT* format;
  DWORD wantedDepth;
  BOOL found;
};

HRESULT CALLBACK ZBufferFormatSearch(DDPIXELFORMAT* format, void* context) {
  ZBufferSearch* search = static_cast<ZBufferSearch*>(context);
  if (!format || !search) return DDENUMRET_OK;
  if (format->dwZBufferBitDepth == search->wantedDepth) {
    std::memcpy(search->format, format, sizeof(DDPIXELFORMAT));
    search->found = TRUE;
    return DDENUMRET_CANCEL;
  }
  return DDENUMRET_OK;
}

bool IsHalDevice(const GUID* guid) {
  return guid && (IsEqualGUID(*guid, IID_IDirect3DHALDevice) ||
                  IsEqualGUID(*guid, IID_IDirect3DTnLHalDevice));
}

}  // namespace

CD3DDisplay::CD3DDisplay()
    : m_window(nullptr),
      m_fullscreen(FALSE),
      m_stereo(FALSE),
      m_renderWidth(0),
      m_renderHeight(0),
      m_screenRect(),
      m_directDraw(nullptr),
      m_direct3D(nullptr),
      m_device(nullptr),
      m_frontBuffer(nullptr),
      m_backBuffer(nullptr),
      m_leftBackBuffer(nullptr),
      m_zBuffer(nullptr),
      m_deviceMemoryType(0) {}

CD3DDisplay::~CD3DDisplay() {
  DestroyObjects();
}

HRESULT CD3DDisplay::Initialize(HWND window, GUID* driverGuid, GUID* deviceGuid,
                                DDSURFACEDESC2* mode, DWORD flags) {
  if (!window || !deviceGuid || (!mode && (flags & D3DFW_FULLSCREEN))) return E_INVALIDARG;
  m_window = window;
  m_fullscreen = (flags & D3DFW_FULLSCREEN) ? TRUE : FALSE;
  m_deviceMemoryType = IsHalDevice(deviceGuid) ? DDSCAPS_VIDEOMEMORY : DDSCAPS_SYSTEMMEMORY;

  HRESULT hr = CreateDirectDraw(driverGuid, flags);
  if (SUCCEEDED(hr)) hr = m_fullscreen ? CreateFullscreenBuffers(mode) : CreateWindowedBuffers();
  if (SUCCEEDED(hr)) hr = CreateDirect3D(deviceGuid);
  if (SUCCEEDED(hr) && (flags & D3DFW_ZBUFFER)) hr = CreateZBuffer(deviceGuid);
  if (FAILED(hr)) {
    DestroyObjects();
    return hr;
  }
  return S_OK;
}

HRESULT CD3DDisplay::CreateDirectDraw(GUID* driverGuid, DWORD flags) {
  if (FAILED(DirectDrawCreateEx(driverGuid, reinterpret_cast<void**>(&m_directDraw),
                                IID_IDirectDraw7, nullptr))) {
    m_directDraw = nullptr;
    DEBUG_MSG(kSourceFile, "Could not create DirectDraw");
    return D3DFWERR_NODIRECTDRAW;
  }
  DWORD level =
      m_fullscreen ? (DDSCL_ALLOWREBOOT | DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN) : DDSCL_NORMAL;
  if (!(flags & D3DFW_NO_FPUSETUP)) level |= DDSCL_FPUSETUP;
  if (FAILED(m_directDraw->SetCooperativeLevel(m_window, level))) {
    DEBUG_MSG(kSourceFile, "Couldn't set coop level");
    return D3DFWERR_COULDNTSETCOOPLEVEL;
  }
  DDSURFACEDESC2 desc;
  D3DKit_InitSurfaceDesc(desc);
  m_directDraw->GetDisplayMode(&desc);
  if (desc.ddpfPixelFormat.dwRGBBitCount <= 8) return D3DFWERR_INVALIDMODE;
  return S_OK;
}

HRESULT CD3DDisplay::CreateFullscreenBuffers(DDSURFACEDESC2* mode) {
  SetRect(&m_screenRect, 0, 0, mode->dwWidth, mode->dwHeight);
  m_renderWidth = m_screenRect.right - m_screenRect.left;
  m_renderHeight = m_screenRect.bottom - m_screenRect.top;
  DWORD bits = mode->ddpfPixelFormat.dwRGBBitCount;
  DWORD modeFlags =
      (mode->dwWidth == 320 && mode->dwHeight == 200 && bits == 8) ? DDSDM_STANDARDVGAMODE : 0;
  if (FAILED(m_directDraw->SetDisplayMode(m_renderWidth, m_renderHeight, bits, mode->dwRefreshRate,
                                          modeFlags))) {
    DEBUG_MSG(kSourceFile, "Can't set display mode");
    return D3DFWERR_BADDISPLAYMODE;
  }

  DDSURFACEDESC2 desc;
  D3DKit_InitSurfaceDesc(
      desc, DDSD_CAPS | DDSD_BACKBUFFERCOUNT,
      DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_3DDEVICE);
  desc.dwBackBufferCount = 1;
  HRESULT hr = m_directDraw->CreateSurface(&desc, &m_frontBuffer, nullptr);
  if (FAILED(hr)) {
    m_frontBuffer = nullptr;
    DEBUG_ERR(kSourceFile, hr, "Error: Can't create primary surface");
    if (hr != DDERR_OUTOFVIDEOMEMORY) return D3DFWERR_NOPRIMARY;
    DEBUG_MSG(kSourceFile, "Error: Out of video memory");
    return DDERR_OUTOFVIDEOMEMORY;
  }

  DDSCAPS2 caps;
  std::memset(&caps, 0, sizeof(caps));
  caps.dwCaps = DDSCAPS_BACKBUFFER;
  hr = m_frontBuffer->GetAttachedSurface(&caps, &m_backBuffer);
  if (FAILED(hr)) {
    m_backBuffer = nullptr;
    DEBUG_ERR(kSourceFile, hr, "Error: Can't get the backbuffer");
    return D3DFWERR_NOBACKBUFFER;
  }
  // The reference GetAttachedSurface added is the framework's own; a second
  // one would keep the chain (and DirectDraw) alive after DestroyObjects.
  return S_OK;
}

HRESULT CD3DDisplay::CreateWindowedBuffers() {
  GetClientRect(m_window, &m_screenRect);
  POINT topLeft = {m_screenRect.left, m_screenRect.top};
  POINT bottomRight = {m_screenRect.right, m_screenRect.bottom};
  ClientToScreen(m_window, &topLeft);
  ClientToScreen(m_window, &bottomRight);
  SetRect(&m_screenRect, topLeft.x, topLeft.y, bottomRight.x, bottomRight.y);
  m_renderWidth = m_screenRect.right - m_screenRect.left;
  m_renderHeight = m_screenRect.bottom - m_screenRect.top;

  DDSURFACEDESC2 desc;
  D3DKit_InitSurfaceDesc(desc, DDSD_CAPS, DDSCAPS_PRIMARYSURFACE);
  HRESULT hr = m_directDraw->CreateSurface(&desc, &m_frontBuffer, nullptr);
  if (FAILED(hr)) {
    m_frontBuffer = nullptr;
    DEBUG_ERR(kSourceFile, hr, "Error: Can't create primary surface");
    if (hr != DDERR_OUTOFVIDEOMEMORY) return D3DFWERR_NOPRIMARY;
    DEBUG_MSG(kSourceFile, "Error: Out of video memory");
    return DDERR_OUTOFVIDEOMEMORY;
  }

  LPDIRECTDRAWCLIPPER clipper = nullptr;
  if (FAILED(m_directDraw->CreateClipper(0, &clipper, nullptr))) {
    DEBUG_MSG(kSourceFile, "Error: Couldn't create clipper");
    return D3DFWERR_NOCLIPPER;
  }
  clipper->SetHWnd(0, m_window);
  m_frontBuffer->SetClipper(clipper);
  clipper->Release();

  D3DKit_InitSurfaceDesc(desc, DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT,
                         DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE);
  desc.dwWidth = m_renderWidth;
  desc.dwHeight = m_renderHeight;
  hr = m_directDraw->CreateSurface(&desc, &m_backBuffer, nullptr);
  if (FAILED(hr)) {
    m_backBuffer = nullptr;
    DEBUG_ERR(kSourceFile, hr, "Error: Couldn't create the backbuffer");
    if (hr != DDERR_OUTOFVIDEOMEMORY) return D3DFWERR_NOBACKBUFFER;
    DEBUG_MSG(kSourceFile, "Error: Out of video memory");
    return DDERR_OUTOFVIDEOMEMORY;
  }
  return S_OK;
}

HRESULT CD3DDisplay::CreateDirect3D(GUID* deviceGuid) {
  if (FAILED(m_directDraw->QueryInterface(IID_IDirect3D7, reinterpret_cast<void**>(&m_direct3D)))) {
    m_direct3D = nullptr;
    DEBUG_MSG(kSourceFile, "Couldn't get the Direct3D interface");
    return D3DFWERR_NODIRECT3D;
  }
  if (FAILED(m_direct3D->CreateDevice(*deviceGuid, m_backBuffer, &m_device))) {
    m_device = nullptr;
    DEBUG_MSG(kSourceFile, "Couldn't create the D3DDevice");
    return D3DFWERR_NO3DDEVICE;
  }
  D3DVIEWPORT7 viewport = {0, 0, m_renderWidth, m_renderHeight, 0.0f, 1.0f};
  if (FAILED(m_device->SetViewport(&viewport))) {
    DEBUG_MSG(kSourceFile, "Error: Couldn't set current viewport to device");
    return D3DFWERR_NOVIEWPORT;
  }
  return S_OK;
}

HRESULT CD3DDisplay::CreateZBuffer(GUID* deviceGuid) {
  D3DDEVICEDESC7 deviceDesc;
  std::memset(&deviceDesc, 0, sizeof(deviceDesc));
  m_device->GetCaps(&deviceDesc);
  // Hidden-surface removal without a z-buffer needs none.
  if (deviceDesc.dpcTriCaps.dwRasterCaps & D3DPRASTERCAPS_ZBUFFERLESSHSR) return S_OK;

  DDSURFACEDESC2 desc;
  D3DKit_InitSurfaceDesc(desc);
  m_backBuffer->GetSurfaceDesc(&desc);
  desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
  desc.ddsCaps.dwCaps = DDSCAPS_ZBUFFER | m_deviceMemoryType;
  desc.ddsCaps.dwCaps2 = 0;
  desc.lPitch = 0;
  desc.lpSurface = nullptr;

  ZBufferSearch search;
  search.format = &desc.ddpfPixelFormat;
  search.wantedDepth = desc.ddpfPixelFormat.dwRGBBitCount;
  search.found = FALSE;
  desc.ddpfPixelFormat.dwSize = 0;
  m_direct3D->EnumZBufferFormats(*deviceGuid, ZBufferFormatSearch, &search);
  if (!search.found) {
    search.wantedDepth = 16;
    m_direct3D->EnumZBufferFormats(*deviceGuid, ZBufferFormatSearch, &search);
    if (!search.found) {
      DEBUG_MSG(kSourceFile, "Device doesn't support requested zbuffer format");
      return D3DFWERR_NOZBUFFER;
    }
  }

  HRESULT hr = m_directDraw->CreateSurface(&desc, &m_zBuffer, nullptr);
  if (FAILED(hr)) {
    m_zBuffer = nullptr;
    DEBUG_ERR(kSourceFile, hr, "Error: Couldn't create a ZBuffer surface");
    if (hr != DDERR_OUTOFVIDEOMEMORY) return D3DFWERR_NOZBUFFER;
    DEBUG_MSG(kSourceFile, "Error: Out of video memory");
    return DDERR_OUTOFVIDEOMEMORY;
  }
  if (FAILED(m_backBuffer->AddAttachedSurface(m_zBuffer))) {
    DEBUG_MSG(kSourceFile, "Error: Couldn't attach zbuffer to render surface");
    return D3DFWERR_NOZBUFFER;
  }
  if (FAILED(m_device->SetRenderTarget(m_backBuffer, 0))) {
    DEBUG_MSG(kSourceFile, "Error: SetRenderTarget() failed after attaching zbuffer!");
    return D3DFWERR_NOZBUFFER;
  }
  return S_OK;
}

HRESULT CD3DDisplay::DestroyObjects() {
  LONG deviceRefs = 0;
  LONG directDrawRefs = 0;
  if (m_directDraw) m_directDraw->SetCooperativeLevel(m_window, DDSCL_NORMAL);
  if (m_device) {
    deviceRefs = static_cast<LONG>(m_device->Release());
    if (deviceRefs > 0) DEBUG_MSG(kSourceFile, "Error: D3DDevice object is still referenced!");
  }
  if (m_backBuffer) m_backBuffer->Release();
  if (m_leftBackBuffer) m_leftBackBuffer->Release();
  if (m_zBuffer) m_zBuffer->Release();
  if (m_frontBuffer) m_frontBuffer->Release();
  if (m_direct3D) m_direct3D->Release();
  if (m_directDraw) {
    directDrawRefs = static_cast<LONG>(m_directDraw->Release());
    if (directDrawRefs > 0) DEBUG_MSG(kSourceFile, "Error: DDraw object is still referenced!");
  }
  m_device = nullptr;
  m_backBuffer = nullptr;
  m_leftBackBuffer = nullptr;
  m_zBuffer = nullptr;
  m_frontBuffer = nullptr;
  m_direct3D = nullptr;
  m_directDraw = nullptr;
  return (deviceRefs > 0 || directDrawRefs > 0) ? D3DFWERR_NONZEROREFCOUNT : S_OK;
}

void CD3DDisplay::Move(INT x, INT y) {
  if (m_fullscreen) return;
  SetRect(&m_screenRect, x, y, x + m_renderWidth, y + m_renderHeight);
}

HRESULT CD3DDisplay::FlipToGDISurface(BOOL drawFrame) {
  if (m_directDraw && m_fullscreen) {
    m_directDraw->FlipToGDISurface();
    if (drawFrame) {
      DrawMenuBar(m_window);
      RedrawWindow(m_window, nullptr, nullptr, RDW_FRAME);
    }
  }
  return S_OK;
}

HRESULT CD3DDisplay::PresentFrame() {
  if (!m_frontBuffer) return D3DFWERR_NOTINITIALIZED;
  if (m_fullscreen) return m_frontBuffer->Flip(nullptr, DDFLIP_WAIT);
  return m_frontBuffer->Blt(&m_screenRect, m_backBuffer, nullptr, DDBLT_WAIT, nullptr);
}

HRESULT CD3DDisplay::RestoreSurfaces() {
  if (m_directDraw) m_directDraw->RestoreAllSurfaces();
  return S_OK;
}
