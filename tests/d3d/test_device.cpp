// The Direct3D objects through their COM interfaces on DirectDraw surfaces:
// enumeration, device creation, defaults, validation, Clear, drawing into
// the surface, the texture cache and the call recorder.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "ddraw/pixelformat.h"
#include "testing.h"

namespace {

using platform::PixelKind;

DDSURFACEDESC2 SurfaceDesc(DWORD caps, DWORD width, DWORD height, const DDPIXELFORMAT* format) {
  DDSURFACEDESC2 d{};
  d.dwSize = sizeof(d);
  d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | (format ? DDSD_PIXELFORMAT : 0);
  d.dwWidth = width;
  d.dwHeight = height;
  d.ddsCaps.dwCaps = caps;
  if (format) d.ddpfPixelFormat = *format;
  return d;
}

class DeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::ResetMachine();
    ASSERT_EQ(
        DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&dd_), IID_IDirectDraw7, nullptr),
        DD_OK);
    ASSERT_EQ(dd_->SetCooperativeLevel(nullptr, DDSCL_NORMAL), DD_OK);
    ASSERT_EQ(dd_->QueryInterface(IID_IDirect3D7, reinterpret_cast<void**>(&d3d_)), DD_OK);
  }
  void TearDown() override {
    if (device_) device_->Release();
    for (IDirectDrawSurface7* s : surfaces_) s->Release();
    if (d3d_) d3d_->Release();
    if (dd_) dd_->Release();
    platform::SetDeviceRecorder(nullptr);
    platform::ResetMachine();
  }

  IDirectDrawSurface7* Make(DWORD caps, DWORD w, DWORD h, PixelKind kind) {
    DDPIXELFORMAT f = platform::MakePixelFormat(kind);
    DDSURFACEDESC2 d = SurfaceDesc(caps, w, h, &f);
    IDirectDrawSurface7* s = nullptr;
    EXPECT_EQ(dd_->CreateSurface(&d, &s, nullptr), DD_OK);
    if (s) surfaces_.push_back(s);
    return s;
  }

  // A render target with an attached z-buffer and a device on it.
  void MakeDevice(DWORD w = 64, DWORD h = 48, PixelKind color = PixelKind::X8R8G8B8,
                  PixelKind z = PixelKind::Z16) {
    target_ = Make(DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE, w, h, color);
    ASSERT_NE(target_, nullptr);
    if (z != PixelKind::Unknown) {
      IDirectDrawSurface7* zbuf = Make(DDSCAPS_ZBUFFER, w, h, z);
      ASSERT_EQ(target_->AddAttachedSurface(zbuf), DD_OK);
    }
    ASSERT_EQ(d3d_->CreateDevice(IID_IDirect3DRGBDevice, target_, &device_), DD_OK);
    // A new z-buffer holds zeros (nearest): start from the far plane.
    if (z != PixelKind::Unknown) {
      ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0), DD_OK);
    }
  }

  uint32_t Pixel(IDirectDrawSurface7* s, int x, int y) {
    DDSURFACEDESC2 d{};
    d.dwSize = sizeof(d);
    EXPECT_EQ(s->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DD_OK);
    const int bytes = static_cast<int>(d.ddpfPixelFormat.dwRGBBitCount / 8);
    uint32_t v = 0;
    std::memcpy(&v, static_cast<uint8_t*>(d.lpSurface) + y * d.lPitch + x * bytes, bytes);
    s->Unlock(nullptr);
    return bytes == 4 ? v & 0xFFFFFF : v;
  }

  void Fill(IDirectDrawSurface7* s, uint32_t raw) {
    DDBLTFX fx{};
    fx.dwSize = sizeof(fx);
    fx.dwFillColor = raw;
    ASSERT_EQ(s->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx), DD_OK);
  }

  static D3DTLVERTEX Tl(float x, float y, D3DCOLOR c, float u = 0, float v = 0) {
    D3DTLVERTEX t{};
    t.sx = x;
    t.sy = y;
    t.sz = 0.5f;
    t.rhw = 1.0f;
    t.color = c;
    t.tu = u;
    t.tv = v;
    return t;
  }

  HRESULT DrawQuad(float x0, float y0, float x1, float y1, D3DCOLOR c) {
    D3DTLVERTEX q[] = {Tl(x0, y1, c, 0, 1), Tl(x0, y0, c, 0, 0), Tl(x1, y1, c, 1, 1),
                       Tl(x1, y0, c, 1, 0)};
    return device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_TLVERTEX, q, 4, 0);
  }

  IDirectDraw7* dd_ = nullptr;
  IDirect3D7* d3d_ = nullptr;
  IDirect3DDevice7* device_ = nullptr;
  IDirectDrawSurface7* target_ = nullptr;
  std::vector<IDirectDrawSurface7*> surfaces_;
};

struct Enumerated {
  std::vector<std::string> names;
  std::vector<D3DDEVICEDESC7> descs;
};

HRESULT CALLBACK CollectDevice(char*, char* name, D3DDEVICEDESC7* desc, void* context) {
  auto* e = static_cast<Enumerated*>(context);
  e->names.push_back(name);
  e->descs.push_back(*desc);
  return DDENUMRET_OK;
}

HRESULT CALLBACK CollectFormat(DDPIXELFORMAT* format, void* context) {
  static_cast<std::vector<DDPIXELFORMAT>*>(context)->push_back(*format);
  return DDENUMRET_OK;
}

TEST_F(DeviceTest, EnumeratesTheSoftwareDevice) {
  Enumerated e;
  ASSERT_EQ(d3d_->EnumDevices(CollectDevice, &e), DD_OK);
  ASSERT_EQ(e.descs.size(), 1u);
  const D3DDEVICEDESC7& d = e.descs[0];
  EXPECT_TRUE(d.deviceGUID == IID_IDirect3DRGBDevice);
  EXPECT_EQ(d.dwDevCaps & D3DDEVCAPS_HWRASTERIZATION, 0u);
  EXPECT_EQ(d.dwDeviceRenderBitDepth, static_cast<DWORD>(DDBD_16 | DDBD_32));
  EXPECT_TRUE(d.dpcTriCaps.dwSrcBlendCaps & D3DPBLENDCAPS_ONE);
  EXPECT_TRUE(d.dpcTriCaps.dwDestBlendCaps & D3DPBLENDCAPS_ONE);
  EXPECT_EQ(d.dpcTriCaps.dwTextureCaps & (D3DPTEXTURECAPS_POW2 | D3DPTEXTURECAPS_SQUAREONLY), 0u);
  EXPECT_EQ(d.dwMaxTextureWidth, 2048u);
  EXPECT_EQ(d.dwMaxTextureHeight, 2048u);

  std::vector<DDPIXELFORMAT> z;
  ASSERT_EQ(d3d_->EnumZBufferFormats(IID_IDirect3DRGBDevice, CollectFormat, &z), DD_OK);
  ASSERT_EQ(z.size(), 3u);
  EXPECT_EQ(z[0].dwZBufferBitDepth, 16u);
  EXPECT_EQ(z[1].dwZBitMask & 0xFFFFFF, 0xFFFFFFu);
  EXPECT_EQ(z[2].dwZBitMask, 0xFFFFFFFFu);
  EXPECT_NE(d3d_->EnumZBufferFormats(IID_IDirect3DHALDevice, CollectFormat, &z), DD_OK);
}

TEST_F(DeviceTest, MachineDescriptionAddsAndRemovesDevices) {
  platform::MachineDescription m = platform::DefaultMachine();
  platform::MachineDevice hal;
  hal.name = "HAL";
  hal.description = "Hardware";
  hal.desc = platform::SoftwareDeviceDesc();
  hal.desc.deviceGUID = IID_IDirect3DHALDevice;
  hal.desc.dwDevCaps = D3DDEVCAPS_HWRASTERIZATION;
  m.drivers[0].devices.push_back(hal);
  m.drivers[0].offerSoftwareDevice = false;
  m.drivers[0].zFormats = {platform::MakePixelFormat(PixelKind::Z32)};
  platform::SetMachine(m);
  IDirectDraw7* dd = nullptr;
  ASSERT_EQ(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&dd), IID_IDirectDraw7, nullptr),
            DD_OK);
  IDirect3D7* d3d = nullptr;
  ASSERT_EQ(dd->QueryInterface(IID_IDirect3D7, reinterpret_cast<void**>(&d3d)), DD_OK);
  Enumerated e;
  d3d->EnumDevices(CollectDevice, &e);
  ASSERT_EQ(e.names.size(), 1u);
  EXPECT_EQ(e.names[0], "HAL");
  std::vector<DDPIXELFORMAT> z;
  d3d->EnumZBufferFormats(IID_IDirect3DHALDevice, CollectFormat, &z);
  ASSERT_EQ(z.size(), 1u);
  EXPECT_EQ(z[0].dwZBitMask, 0xFFFFFFFFu);

  DDPIXELFORMAT f = platform::MakePixelFormat(PixelKind::X8R8G8B8);
  DDSURFACEDESC2 d = SurfaceDesc(DDSCAPS_3DDEVICE, 16, 16, &f);
  IDirectDrawSurface7* target = nullptr;
  ASSERT_EQ(dd->CreateSurface(&d, &target, nullptr), DD_OK);
  IDirect3DDevice7* device = nullptr;
  EXPECT_NE(d3d->CreateDevice(IID_IDirect3DRGBDevice, target, &device), DD_OK);
  EXPECT_EQ(device, nullptr);
  ASSERT_EQ(d3d->CreateDevice(IID_IDirect3DHALDevice, target, &device), DD_OK);
  D3DDEVICEDESC7 caps{};
  device->GetCaps(&caps);
  EXPECT_EQ(caps.dwDevCaps, static_cast<DWORD>(D3DDEVCAPS_HWRASTERIZATION));
  device->Release();
  target->Release();
  d3d->Release();
  dd->Release();
}

TEST_F(DeviceTest, CreateDeviceRejectsUnofferedGuidsAndNonTargets) {
  target_ = Make(DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE, 16, 16, PixelKind::X8R8G8B8);
  IDirect3DDevice7* device = nullptr;
  EXPECT_NE(d3d_->CreateDevice(IID_IDirect3DTnLHalDevice, target_, &device), DD_OK);
  EXPECT_NE(d3d_->CreateDevice(IID_IDirect3DRGBDevice, nullptr, &device), DD_OK);
  EXPECT_EQ(device, nullptr);
}

TEST_F(DeviceTest, TextureFormatsInOrder) {
  MakeDevice();
  std::vector<DDPIXELFORMAT> f;
  ASSERT_EQ(device_->EnumTextureFormats(CollectFormat, &f), DD_OK);
  const PixelKind expected[] = {PixelKind::R5G6B5,   PixelKind::X1R5G5B5, PixelKind::A1R5G5B5,
                                PixelKind::A4R4G4B4, PixelKind::R8G8B8,   PixelKind::X8R8G8B8,
                                PixelKind::A8R8G8B8};
  ASSERT_EQ(f.size(), 7u);
  for (size_t i = 0; i < f.size(); ++i)
    EXPECT_EQ(platform::ClassifyPixelFormat(f[i]), expected[i]) << i;
}

TEST_F(DeviceTest, DefaultsReadBack) {
  MakeDevice(64, 48);
  struct Default {
    D3DRENDERSTATETYPE state;
    DWORD value;
  };
  const Default defaults[] = {
      {D3DRENDERSTATE_ZENABLE, TRUE},
      {D3DRENDERSTATE_ZWRITEENABLE, TRUE},
      {D3DRENDERSTATE_ZFUNC, D3DCMP_LESSEQUAL},
      {D3DRENDERSTATE_ALPHABLENDENABLE, FALSE},
      {D3DRENDERSTATE_SRCBLEND, D3DBLEND_ONE},
      {D3DRENDERSTATE_DESTBLEND, D3DBLEND_ZERO},
      {D3DRENDERSTATE_ALPHATESTENABLE, FALSE},
      {D3DRENDERSTATE_ALPHAFUNC, D3DCMP_ALWAYS},
      {D3DRENDERSTATE_ALPHAREF, 0},
      {D3DRENDERSTATE_COLORKEYENABLE, FALSE},
      {D3DRENDERSTATE_TEXTUREPERSPECTIVE, TRUE},
      {D3DRENDERSTATE_CULLMODE, D3DCULL_CCW},
      {D3DRENDERSTATE_LIGHTING, TRUE},
      {D3DRENDERSTATE_AMBIENT, 0},
      {D3DRENDERSTATE_SPECULARENABLE, FALSE},
      {D3DRENDERSTATE_COLORVERTEX, TRUE},
      {D3DRENDERSTATE_NORMALIZENORMALS, FALSE},
      {D3DRENDERSTATE_DITHERENABLE, FALSE},
      {D3DRENDERSTATE_SHADEMODE, D3DSHADE_GOURAUD},
      {D3DRENDERSTATE_FILLMODE, D3DFILL_SOLID},
      {D3DRENDERSTATE_CLIPPING, TRUE},
      {D3DRENDERSTATE_FOGENABLE, FALSE},
      {D3DRENDERSTATE_DIFFUSEMATERIALSOURCE, D3DMCS_COLOR1},
      {D3DRENDERSTATE_AMBIENTMATERIALSOURCE, D3DMCS_MATERIAL},
      {D3DRENDERSTATE_EMISSIVEMATERIALSOURCE, D3DMCS_MATERIAL},
  };
  for (const Default& d : defaults) {
    DWORD v = 0xDEADBEEF;
    ASSERT_EQ(device_->GetRenderState(d.state, &v), DD_OK) << d.state;
    EXPECT_EQ(v, d.value) << "state " << d.state;
  }
  D3DVIEWPORT7 vp{};
  ASSERT_EQ(device_->GetViewport(&vp), DD_OK);
  EXPECT_EQ(vp.dwX, 0u);
  EXPECT_EQ(vp.dwY, 0u);
  EXPECT_EQ(vp.dwWidth, 64u);
  EXPECT_EQ(vp.dwHeight, 48u);
  EXPECT_EQ(vp.dvMinZ, 0.0f);
  EXPECT_EQ(vp.dvMaxZ, 1.0f);
  D3DMATRIX m{};
  ASSERT_EQ(device_->GetTransform(D3DTRANSFORMSTATE_VIEW, &m), DD_OK);
  EXPECT_EQ(m._11, 1.0f);
  EXPECT_EQ(m._44, 1.0f);
  EXPECT_EQ(m._41, 0.0f);
  DWORD v;
  EXPECT_NE(device_->GetRenderState(static_cast<D3DRENDERSTATETYPE>(999), &v), DD_OK);

  // Without a z-buffer, depth testing starts off.
  IDirectDrawSurface7* bare = Make(DDSCAPS_3DDEVICE, 8, 8, PixelKind::R5G6B5);
  IDirect3DDevice7* device = nullptr;
  ASSERT_EQ(d3d_->CreateDevice(IID_IDirect3DRGBDevice, bare, &device), DD_OK);
  ASSERT_EQ(device->GetRenderState(D3DRENDERSTATE_ZENABLE, &v), DD_OK);
  EXPECT_EQ(v, static_cast<DWORD>(FALSE));
  device->Release();
}

TEST_F(DeviceTest, OversizeViewportFailsAndKeepsTheOld) {
  MakeDevice(64, 48);
  D3DVIEWPORT7 small = {4, 4, 20, 10, 0.0f, 1.0f};
  ASSERT_EQ(device_->SetViewport(&small), DD_OK);
  D3DVIEWPORT7 wide = {10, 0, 60, 48, 0.0f, 1.0f};  // 10 + 60 > 64
  EXPECT_EQ(device_->SetViewport(&wide), DDERR_INVALIDPARAMS);
  D3DVIEWPORT7 tall = {0, 1, 64, 48, 0.0f, 1.0f};  // 1 + 48 > 48
  EXPECT_EQ(device_->SetViewport(&tall), E_INVALIDARG);
  EXPECT_EQ(device_->SetViewport(nullptr), E_INVALIDARG);
  D3DVIEWPORT7 now{};
  device_->GetViewport(&now);
  EXPECT_EQ(std::memcmp(&now, &small, sizeof now), 0);
  D3DVIEWPORT7 exact = {0, 0, 64, 48, 0.0f, 1.0f};
  EXPECT_EQ(device_->SetViewport(&exact), DD_OK);
}

TEST_F(DeviceTest, DrawingOutsideASceneFailsAndDrawsNothing) {
  MakeDevice(16, 16);
  EXPECT_NE(DrawQuad(0, 0, 16, 16, 0xFFFFFFFF), DD_OK);
  EXPECT_EQ(Pixel(target_, 8, 8), 0u);
  EXPECT_EQ(device_->EndScene(), D3DERR_SCENE_NOT_IN_SCENE);
  ASSERT_EQ(device_->BeginScene(), DD_OK);
  EXPECT_EQ(device_->BeginScene(), D3DERR_SCENE_IN_SCENE);
  device_->SetTexture(0, nullptr);
  EXPECT_EQ(DrawQuad(0, 0, 16, 16, 0xFF00FF00), DD_OK);
  D3DTLVERTEX dummy[3] = {};
  EXPECT_NE(device_->DrawPrimitive(D3DPT_TRIANGLELIST, 0x102, dummy, 3, 0), DD_OK);
  EXPECT_NE(device_->DrawPrimitive(static_cast<D3DPRIMITIVETYPE>(1), D3DFVF_TLVERTEX, dummy, 3, 0),
            DD_OK);
  EXPECT_NE(device_->DrawPrimitive(D3DPT_TRIANGLELIST, D3DFVF_TLVERTEX, nullptr, 3, 0), DD_OK);
  EXPECT_EQ(device_->EndScene(), DD_OK);
  EXPECT_EQ(Pixel(target_, 8, 8), 0x00FF00u);
}

TEST_F(DeviceTest, ClearIsClippedToTheViewport) {
  MakeDevice(32, 32);
  D3DVIEWPORT7 vp = {8, 8, 16, 16, 0.0f, 1.0f};
  ASSERT_EQ(device_->SetViewport(&vp), DD_OK);
  ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFF0000, 1.0f, 0), DD_OK);
  EXPECT_EQ(Pixel(target_, 8, 8), 0xFF0000u);
  EXPECT_EQ(Pixel(target_, 23, 23), 0xFF0000u);
  EXPECT_EQ(Pixel(target_, 7, 8), 0u);
  EXPECT_EQ(Pixel(target_, 24, 23), 0u);
  // A rectangle reaching out of the viewport is cut at its edge.
  D3DRECT r = {{0}, {0}, {12}, {40}};
  ASSERT_EQ(device_->Clear(1, &r, D3DCLEAR_TARGET, 0xFF0000FF, 1.0f, 0), DD_OK);
  EXPECT_EQ(Pixel(target_, 8, 20), 0x0000FFu);
  EXPECT_EQ(Pixel(target_, 11, 23), 0x0000FFu);
  EXPECT_EQ(Pixel(target_, 12, 20), 0xFF0000u);
  EXPECT_EQ(Pixel(target_, 4, 4), 0u);
  EXPECT_EQ(Pixel(target_, 8, 24), 0u);
  EXPECT_NE(device_->Clear(1, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0), DD_OK);
}

TEST_F(DeviceTest, ClearAndDepthDecideWhatIsDrawn) {
  MakeDevice(16, 16, PixelKind::R5G6B5, PixelKind::Z24);
  // Depth 0.25 everywhere: a quad at 0.5 stays hidden, one at 0.25 shows.
  ASSERT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 0.25f, 0),
            DD_OK);
  device_->BeginScene();
  DrawQuad(0, 0, 16, 16, 0xFFFFFFFF);
  EXPECT_EQ(Pixel(target_, 5, 5), 0u);
  D3DTLVERTEX q[] = {Tl(0, 16, 0xFF0000FF), Tl(0, 0, 0xFF0000FF), Tl(16, 16, 0xFF0000FF)};
  for (D3DTLVERTEX& v : q) v.sz = 0.25f;
  device_->DrawPrimitive(D3DPT_TRIANGLELIST, D3DFVF_TLVERTEX, q, 3, 0);
  device_->EndScene();
  EXPECT_EQ(Pixel(target_, 2, 12), 0x001Fu);  // blue in R5G6B5
}

TEST_F(DeviceTest, TextureChangesAreSeenAndReleasedTexturesFreed) {
  MakeDevice(8, 8);
  device_->SetRenderState(D3DRENDERSTATE_ZENABLE, FALSE);
  IDirectDrawSurface7* tex = Make(DDSCAPS_TEXTURE, 4, 4, PixelKind::R5G6B5);
  surfaces_.pop_back();  // released by hand below
  Fill(tex, 0xF800);
  device_->SetTexture(0, tex);
  device_->BeginScene();
  DrawQuad(0, 0, 8, 8, 0xFFFFFFFF);
  device_->EndScene();
  EXPECT_EQ(Pixel(target_, 4, 4), 0xFF0000u);
  // New pixels in the same texture must not come from a stale cache.
  Fill(tex, 0x07E0);
  device_->BeginScene();
  DrawQuad(0, 0, 8, 8, 0xFFFFFFFF);
  device_->EndScene();
  EXPECT_EQ(Pixel(target_, 4, 4), 0x00FF00u);
  // Unbound and released by the caller: the device lets it go (the leak
  // checker of the sanitizer build sees the rest).
  device_->SetTexture(0, nullptr);
  EXPECT_EQ(tex->Release(), 1u);  // the cache still holds it until the scene ends
  device_->BeginScene();
  DrawQuad(0, 0, 8, 8, 0xFF0000FF);
  device_->EndScene();
  EXPECT_EQ(Pixel(target_, 4, 4), 0x0000FFu);
}

// Triangles wait in a queue until the scene ends; whatever reads or
// changes the pixels in between must see them drawn, and a texture changed
// between two draws of one scene must give each draw its own texels.
TEST_F(DeviceTest, QueuedDrawingIsCompleteWheneverPixelsAreUsed) {
  MakeDevice(16, 16);
  device_->SetRenderState(D3DRENDERSTATE_ZENABLE, FALSE);
  IDirectDrawSurface7* tex = Make(DDSCAPS_TEXTURE, 4, 4, PixelKind::R5G6B5);
  IDirectDrawSurface7* copy = Make(DDSCAPS_OFFSCREENPLAIN, 16, 16, PixelKind::X8R8G8B8);
  Fill(tex, 0xF800);
  device_->SetTexture(0, tex);
  device_->BeginScene();
  DrawQuad(0, 0, 8, 16, 0xFFFFFFFF);
  // A blit from the target mid-scene copies the queued quad.
  ASSERT_EQ(copy->Blt(nullptr, target_, nullptr, DDBLT_WAIT, nullptr), DD_OK);
  EXPECT_EQ(Pixel(copy, 3, 3), 0xFF0000u);
  Fill(tex, 0x07E0);
  DrawQuad(8, 0, 16, 16, 0xFFFFFFFF);
  // A colour fill of the target lands after the draws queued before it.
  DDBLTFX fx{};
  fx.dwSize = sizeof(fx);
  fx.dwFillColor = 0x0000FF;
  RECT corner{0, 0, 2, 2};
  ASSERT_EQ(target_->Blt(&corner, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx), DD_OK);
  device_->EndScene();
  EXPECT_EQ(Pixel(target_, 4, 8), 0xFF0000u);
  EXPECT_EQ(Pixel(target_, 12, 8), 0x00FF00u);
  EXPECT_EQ(Pixel(target_, 1, 1), 0x0000FFu);

  // Text through a DC, a switch of target, and the device going away each
  // complete the queue first.
  device_->SetTexture(0, nullptr);
  device_->BeginScene();
  DrawQuad(0, 0, 16, 16, 0xFFFFFF00);
  HDC dc = nullptr;
  ASSERT_EQ(target_->GetDC(&dc), DD_OK);
  // An opaque text box over the top-left corner: drawn over the quad.
  ASSERT_TRUE(ExtTextOutA(dc, 0, 0, 0, nullptr, "W", 1, nullptr));
  target_->ReleaseDC(dc);
  EXPECT_NE(Pixel(target_, 0, 0), 0xFFFF00u);
  EXPECT_EQ(Pixel(target_, 15, 15), 0xFFFF00u);
  DrawQuad(0, 0, 4, 4, 0xFF00FFFF);
  IDirectDrawSurface7* other = Make(DDSCAPS_3DDEVICE, 8, 8, PixelKind::X8R8G8B8);
  ASSERT_EQ(device_->SetRenderTarget(other, 0), DD_OK);
  EXPECT_EQ(Pixel(target_, 1, 1), 0x00FFFFu);
  DrawQuad(0, 0, 8, 8, 0xFFFF00FF);
  device_->Release();
  device_ = nullptr;
  EXPECT_EQ(Pixel(other, 4, 4), 0xFF00FFu);
}

TEST_F(DeviceTest, TexturesNotDrawnForManyScenesLeaveTheCache) {
  MakeDevice(8, 8);
  device_->SetRenderState(D3DRENDERSTATE_ZENABLE, FALSE);
  IDirectDrawSurface7* idle = Make(DDSCAPS_TEXTURE, 4, 4, PixelKind::R5G6B5);
  IDirectDrawSurface7* busy = Make(DDSCAPS_TEXTURE, 4, 4, PixelKind::R5G6B5);
  Fill(idle, 0xF800);
  Fill(busy, 0x001F);
  // Release answers the count left: ours, and the cache's while cached.
  auto refs = [](IDirectDrawSurface7* s) {
    s->AddRef();
    return s->Release();
  };
  auto scene = [&](IDirectDrawSurface7* tex) {
    device_->BeginScene();
    device_->SetTexture(0, tex);
    DrawQuad(0, 0, 8, 8, 0xFFFFFFFF);
    device_->SetTexture(0, nullptr);
    device_->EndScene();
  };
  scene(idle);
  EXPECT_EQ(refs(idle), 2u);
  for (int i = 0; i < 119; ++i) scene(busy);
  EXPECT_EQ(refs(idle), 2u);  // still cached
  scene(busy);
  EXPECT_EQ(refs(idle), 1u);  // 120 scenes without it: dropped
  EXPECT_EQ(refs(busy), 2u);  // drawn in every scene: kept
  // Changed while out of the cache, then drawn again: rebuilt, current.
  Fill(idle, 0x07E0);
  scene(idle);
  EXPECT_EQ(refs(idle), 2u);
  EXPECT_EQ(Pixel(target_, 4, 4), 0x00FF00u);
}

TEST_F(DeviceTest, RecorderLogsEveryCallOfNewDevices) {
  std::vector<std::string> lines;
  platform::SetDeviceRecorder([&](const std::string& line) { lines.push_back(line); });
  MakeDevice(16, 16);
  device_->SetRenderState(D3DRENDERSTATE_ZENABLE, 1);
  device_->BeginScene();
  DrawQuad(0, 0, 4, 4, 0xFFFFFFFF);
  device_->EndScene();
  device_->EndScene();
  const std::vector<std::string> expected = {"Clear(0, [], 2, 0x00000000, 1, 0) = 0",
                                             "SetRenderState(7, 1) = 0",
                                             "BeginScene() = 0",
                                             "DrawPrimitive(5, 0x1C4, 4, 0) = 0",
                                             "EndScene() = 0",
                                             "EndScene() = 0x88760" + std::string("2F9")};
  EXPECT_EQ(lines, expected);
  // The decorated device still draws.
  EXPECT_EQ(Pixel(target_, 1, 1), 0xFFFFFFu);

  std::vector<std::string> wrapped;
  IDirect3DDevice7* w = platform::WrapRecordingDevice(
      device_, [&](const std::string& line) { wrapped.push_back(line); });
  D3DVIEWPORT7 vp = {0, 0, 99, 16, 0, 1};
  w->SetViewport(&vp);
  w->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTFG_LINEAR);
  w->Release();
  ASSERT_EQ(wrapped.size(), 2u);
  EXPECT_EQ(wrapped[0], "SetViewport(0, 0, 99, 16, 0, 1) = 0x80070057");
  EXPECT_EQ(wrapped[1], "SetTextureStageState(0, 16, 2) = 0");
}

}  // namespace

namespace {

TEST_F(DeviceTest, RenderTargetCanBeSwitched) {
  MakeDevice(16, 16);
  IDirectDrawSurface7* other = Make(DDSCAPS_3DDEVICE, 8, 4, PixelKind::R5G6B5);
  ASSERT_EQ(device_->SetRenderTarget(other, 0), DD_OK);
  IDirectDrawSurface7* current = nullptr;
  ASSERT_EQ(device_->GetRenderTarget(&current), DD_OK);
  EXPECT_EQ(current, other);
  current->Release();
  D3DVIEWPORT7 vp{};
  device_->GetViewport(&vp);
  EXPECT_EQ(vp.dwWidth, 8u);
  EXPECT_EQ(vp.dwHeight, 4u);
  // The new target has no z-buffer of its own.
  device_->SetRenderState(D3DRENDERSTATE_ZENABLE, FALSE);
  device_->BeginScene();
  EXPECT_EQ(DrawQuad(0, 0, 8, 4, 0xFFFF0000), DD_OK);
  device_->EndScene();
  EXPECT_EQ(Pixel(other, 7, 3), 0xF800u);
  EXPECT_EQ(Pixel(target_, 7, 3), 0u);
  EXPECT_NE(device_->SetRenderTarget(nullptr, 0), DD_OK);
}

}  // namespace

namespace {

TEST_F(DeviceTest, TransformsMaterialAndLightsReachTheDrawing) {
  MakeDevice(32, 32);
  device_->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
  // An orthographic-like projection: clip = world, so the quad at
  // x, y in [-0.25, 0.25] covers the middle of the target.
  D3DMATRIX world{};
  world._11 = world._22 = world._33 = world._44 = 1.0f;
  world._41 = 0.5f;  // moved right by a quarter of the target
  ASSERT_EQ(device_->SetTransform(D3DTRANSFORMSTATE_WORLD, &world), DD_OK);
  D3DMATRIX back{};
  ASSERT_EQ(device_->GetTransform(D3DTRANSFORMSTATE_WORLD, &back), DD_OK);
  EXPECT_EQ(back._41, 0.5f);
  D3DMATERIAL7 m{};
  m.diffuse = {{1.0f}, {1.0f}, {1.0f}, {1.0f}};
  m.ambient = {{0.0f}, {0.5f}, {0.0f}, {1.0f}};
  ASSERT_EQ(device_->SetMaterial(&m), DD_OK);
  device_->SetRenderState(D3DRENDERSTATE_AMBIENT, 0xFFFFFFFF);
  D3DLIGHT7 l{};
  l.dltType = D3DLIGHT_DIRECTIONAL;
  l.dcvDiffuse = {{0.0f}, {0.0f}, {1.0f}, {1.0f}};
  l.dvDirection.z = 1.0f;
  ASSERT_EQ(device_->SetLight(0, &l), DD_OK);
  ASSERT_EQ(device_->LightEnable(0, TRUE), DD_OK);
  EXPECT_NE(device_->SetLight(99, &l), DD_OK);

  D3DVERTEX quad[4] = {};
  const float xy[4][2] = {{-0.25f, -0.25f}, {-0.25f, 0.25f}, {0.25f, -0.25f}, {0.25f, 0.25f}};
  for (int i = 0; i < 4; ++i) {
    quad[i].x = xy[i][0];
    quad[i].y = xy[i][1];
    quad[i].z = 0.5f;
    quad[i].nz = -1.0f;
  }
  device_->BeginScene();
  ASSERT_EQ(device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_VERTEX, quad, 4, 0), DD_OK);
  device_->EndScene();
  // Ambient gives half green, the light full blue; the quad sits right of
  // the centre.
  const uint32_t p = Pixel(target_, 24, 16);
  EXPECT_EQ(p >> 16, 0u);
  EXPECT_NEAR(static_cast<int>((p >> 8) & 0xFF), 128, 1);
  EXPECT_EQ(p & 0xFF, 0xFFu);
  EXPECT_EQ(Pixel(target_, 8, 16), 0u);

  // With the light off only the ambient part is left.
  device_->LightEnable(0, FALSE);
  device_->BeginScene();
  device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_VERTEX, quad, 4, 0);
  device_->EndScene();
  EXPECT_EQ(Pixel(target_, 24, 16) & 0xFF, 0u);
}

}  // namespace
