#include "support/Device.h"

#include "Application.h"
#include "d3dframe/d3dutil.h"

namespace support {

namespace {

LPDIRECTDRAW7 g_directDraw = nullptr;
LPDIRECTDRAWSURFACE7 g_target = nullptr;
LPDIRECTDRAWSURFACE7 g_zBuffer = nullptr;
LPDIRECT3D7 g_direct3D = nullptr;
LPDIRECT3DDEVICE7 g_device = nullptr;

std::string CreateObjects(DWORD width, DWORD height) {
  if (FAILED(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&g_directDraw), IID_IDirectDraw7,
                                nullptr)))
    return "DirectDrawCreateEx";
  if (FAILED(g_directDraw->SetCooperativeLevel(nullptr, DDSCL_NORMAL)))
    return "SetCooperativeLevel";
  DDSURFACEDESC2 desc;
  D3DKit_InitSurfaceDesc(desc, DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT,
                         DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE);
  desc.dwWidth = width;
  desc.dwHeight = height;
  if (FAILED(g_directDraw->CreateSurface(&desc, &g_target, nullptr))) return "render target";
  DDSURFACEDESC2 zDesc;
  D3DKit_InitSurfaceDesc(zDesc, DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT,
                         DDSCAPS_ZBUFFER);
  zDesc.dwWidth = width;
  zDesc.dwHeight = height;
  zDesc.ddpfPixelFormat.dwSize = sizeof(DDPIXELFORMAT);
  zDesc.ddpfPixelFormat.dwFlags = DDPF_ZBUFFER;
  zDesc.ddpfPixelFormat.dwZBufferBitDepth = 16;
  zDesc.ddpfPixelFormat.dwZBitMask = 0xFFFF;
  if (FAILED(g_directDraw->CreateSurface(&zDesc, &g_zBuffer, nullptr))) return "z-buffer";
  if (FAILED(g_target->AddAttachedSurface(g_zBuffer))) return "attach z-buffer";
  if (FAILED(g_directDraw->QueryInterface(IID_IDirect3D7, reinterpret_cast<void**>(&g_direct3D))))
    return "IDirect3D7";
  if (FAILED(g_direct3D->CreateDevice(IID_IDirect3DRGBDevice, g_target, &g_device)))
    return "CreateDevice";
  return "";
}

}  // namespace

std::string GiveCoreADevice(DWORD width, DWORD height) {
  if (g_device) {
    CApplication::GetInstance()->DeleteDeviceObjects();
  } else {
    const std::string failed = CreateObjects(width, height);
    if (!failed.empty()) return failed;
  }
  DDSURFACEDESC2 targetDesc;
  D3DKit_InitSurfaceDesc(targetDesc);
  g_target->GetSurfaceDesc(&targetDesc);
  if (FAILED(CApplication::GetInstance()->InitDeviceObjects(g_directDraw, g_direct3D, g_device,
                                                            g_target, targetDesc, g_target,
                                                            g_target, width, height)))
    return "InitDeviceObjects";
  return "";
}

}  // namespace support
