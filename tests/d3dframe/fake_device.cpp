#include "fake_device.h"

#include <cstring>

namespace testdev {

DDPIXELFORMAT RgbFormat(DWORD bits, DWORD r, DWORD g, DWORD b, DWORD a) {
  DDPIXELFORMAT f{};
  f.dwSize = 32;
  f.dwFlags = DDPF_RGB | (a ? DDPF_ALPHAPIXELS : 0);
  f.dwRGBBitCount = bits;
  f.dwRBitMask = r;
  f.dwGBitMask = g;
  f.dwBBitMask = b;
  f.dwRGBAlphaBitMask = a;
  return f;
}

DDPIXELFORMAT Palette8Format() {
  DDPIXELFORMAT f{};
  f.dwSize = 32;
  f.dwFlags = DDPF_RGB | DDPF_PALETTEINDEXED8;
  f.dwRGBBitCount = 8;
  return f;
}

std::vector<DDPIXELFORMAT> SoftwareFormats() {
  return {RgbFormat(16, 0xF800, 0x07E0, 0x001F, 0),
          RgbFormat(16, 0x7C00, 0x03E0, 0x001F, 0),
          RgbFormat(16, 0x7C00, 0x03E0, 0x001F, 0x8000),
          RgbFormat(16, 0x0F00, 0x00F0, 0x000F, 0xF000),
          RgbFormat(24, 0xFF0000, 0x00FF00, 0x0000FF, 0),
          RgbFormat(32, 0xFF0000, 0x00FF00, 0x0000FF, 0),
          RgbFormat(32, 0xFF0000, 0x00FF00, 0x0000FF, 0xFF000000)};
}

FakeDevice::FakeDevice(LPDIRECTDRAW7 directDraw, LPDIRECTDRAWSURFACE7 target)
    : m_directDraw(directDraw), m_target(target) {
  caps.deviceGUID = IID_IDirect3DRGBDevice;
  caps.dwMaxTextureWidth = 2048;
  caps.dwMaxTextureHeight = 2048;
  formats = SoftwareFormats();
}

FakeDevice::~FakeDevice() = default;

HRESULT FakeDevice::GetCaps(D3DDEVICEDESC7* desc) {
  if (failCaps || !desc) return E_FAIL;
  *desc = caps;
  return S_OK;
}

HRESULT FakeDevice::EnumTextureFormats(LPD3DENUMPIXELFORMATSCALLBACK callback, void* context) {
  ++enumCalls;
  for (DDPIXELFORMAT f : formats)
    if (callback(&f, context) == DDENUMRET_CANCEL) break;
  return S_OK;
}

HRESULT FakeDevice::GetRenderTarget(IDirectDrawSurface7** surface) {
  m_target->AddRef();
  *surface = m_target;
  return S_OK;
}

DeviceFixture::DeviceFixture() {
  DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&m_directDraw), IID_IDirectDraw7, nullptr);
  DDSURFACEDESC2 desc{};
  desc.dwSize = 124;
  desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
  desc.dwWidth = 64;
  desc.dwHeight = 64;
  desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE;
  if (m_directDraw) m_directDraw->CreateSurface(&desc, &m_target, nullptr);
  m_device = new FakeDevice(m_directDraw, m_target);
}

DeviceFixture::~DeviceFixture() {
  delete m_device;
  if (m_target) m_target->Release();
  if (m_directDraw) m_directDraw->Release();
}

DDSURFACEDESC2 Describe(LPDIRECTDRAWSURFACE7 surface) {
  DDSURFACEDESC2 desc{};
  desc.dwSize = 124;
  desc.ddpfPixelFormat.dwSize = 32;
  surface->GetSurfaceDesc(&desc);
  return desc;
}

DWORD ReadTexel(LPDIRECTDRAWSURFACE7 surface, DWORD x, DWORD y) {
  DDSURFACEDESC2 desc{};
  desc.dwSize = 124;
  if (FAILED(surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr))) return 0xDEADBEEF;
  const BYTE* row = static_cast<const BYTE*>(desc.lpSurface) + y * desc.lPitch;
  DWORD texel = 0;
  if (desc.ddpfPixelFormat.dwRGBBitCount == 16)
    texel = reinterpret_cast<const WORD*>(row)[x];
  else if (desc.ddpfPixelFormat.dwRGBBitCount == 32)
    texel = reinterpret_cast<const DWORD*>(row)[x];
  else if (desc.ddpfPixelFormat.dwRGBBitCount == 24)
    texel = row[x * 3] | (row[x * 3 + 1] << 8) | (row[x * 3 + 2] << 16);
  surface->Unlock(nullptr);
  return texel;
}

}  // namespace testdev
