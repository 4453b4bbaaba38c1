// IDirect3D7 of a DirectDraw object: enumerates the devices of its driver
// (the software device and any devices of the machine description), their
// z-buffer formats, and creates devices on a render target surface.
#include <cstring>
#include <string>
#include <vector>

#include "d3d/device.h"
#include "d3d/factory.h"
#include "d3d/recorder.h"
#include "ddraw/directdraw.h"
#include "ddraw/pixelformat.h"
#include "ddraw/surface.h"
#include "testing.h"

namespace platform {

D3DDEVICEDESC7 SoftwareDeviceDesc() {
  D3DDEVICEDESC7 d{};
  d.dwDevCaps = 0;  // neither hardware rasterisation nor hardware transform
  D3DPRIMCAPS caps{};
  caps.dwSize = sizeof(D3DPRIMCAPS);
  caps.dwRasterCaps = D3DPRASTERCAPS_DITHER | D3DPRASTERCAPS_ZTEST;
  caps.dwZCmpCaps = D3DPCMPCAPS_LESSEQUAL;
  caps.dwSrcBlendCaps = D3DPBLENDCAPS_ZERO | D3DPBLENDCAPS_ONE | D3DPBLENDCAPS_SRCALPHA |
                        D3DPBLENDCAPS_INVSRCALPHA | D3DPBLENDCAPS_BOTHSRCALPHA;
  caps.dwDestBlendCaps =
      D3DPBLENDCAPS_ZERO | D3DPBLENDCAPS_ONE | D3DPBLENDCAPS_SRCALPHA | D3DPBLENDCAPS_INVSRCALPHA;
  caps.dwAlphaCmpCaps = D3DPCMPCAPS_LESSEQUAL;
  caps.dwShadeCaps = D3DPSHADECAPS_COLORGOURAUDRGB;
  caps.dwTextureCaps = D3DPTEXTURECAPS_PERSPECTIVE | D3DPTEXTURECAPS_ALPHA;
  caps.dwTextureFilterCaps = D3DPTFILTERCAPS_NEAREST | D3DPTFILTERCAPS_LINEAR;
  caps.dwTextureAddressCaps = D3DPTADDRESSCAPS_WRAP;
  d.dpcTriCaps = caps;
  d.dpcLineCaps = caps;
  d.dwDeviceRenderBitDepth = DDBD_16 | DDBD_32;
  d.dwDeviceZBufferBitDepth = DDBD_16 | DDBD_24 | DDBD_32;
  d.dwMinTextureWidth = d.dwMinTextureHeight = 1;
  d.dwMaxTextureWidth = d.dwMaxTextureHeight = 2048;
  d.dwMaxTextureRepeat = 2048;
  d.dwMaxTextureAspectRatio = 2048;
  d.dvGuardBandLeft = -2048.0f;
  d.dvGuardBandTop = -2048.0f;
  d.dvGuardBandRight = 2048.0f;
  d.dvGuardBandBottom = 2048.0f;
  d.wMaxTextureBlendStages = 1;
  d.wMaxSimultaneousTextures = 1;
  d.dwMaxActiveLights = d3d::kLightCount;
  d.dvMaxVertexW = 1.0e10f;
  d.deviceGUID = IID_IDirect3DRGBDevice;
  return d;
}

namespace {

const char kSoftwareDescription[] = "Software rasteriser with RGB colour";
const char kSoftwareName[] = "RGB Emulation";

struct OfferedDevice {
  std::string description;
  std::string name;
  D3DDEVICEDESC7 desc;
};

class Direct3D final : public IDirect3D7 {
 public:
  explicit Direct3D(DirectDraw* directDraw) : directDraw_(directDraw) { directDraw_->AddRef(); }
  ~Direct3D() override { directDraw_->Release(); }

  HRESULT QueryInterface(REFIID riid, void** object) override {
    if (!object) return DDERR_INVALIDPARAMS;
    if (riid == IID_IDirect3D7) {
      AddRef();
      *object = static_cast<IDirect3D7*>(this);
      return DD_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

  HRESULT EnumDevices(LPD3DENUMDEVICESCALLBACK7 callback, void* context) override {
    if (!callback) return DDERR_INVALIDPARAMS;
    for (OfferedDevice& d : Devices()) {
      std::vector<char> description(d.description.begin(), d.description.end());
      std::vector<char> name(d.name.begin(), d.name.end());
      description.push_back('\0');
      name.push_back('\0');
      if (callback(description.data(), name.data(), &d.desc, context) == DDENUMRET_CANCEL) break;
    }
    return DD_OK;
  }

  HRESULT CreateDevice(REFCLSID guid, IDirectDrawSurface7* surface,
                       IDirect3DDevice7** device) override {
    if (!device) return DDERR_INVALIDPARAMS;
    *device = nullptr;
    const OfferedDevice* offered = Find(guid);
    if (!offered) return DDERR_INVALIDPARAMS;
    Surface* target = surface ? Surface::From(surface) : nullptr;
    if (!target) return DDERR_INVALIDPARAMS;
    const int bytes = target->BytesPerPixel();
    if (!(target->Format().dwFlags & DDPF_RGB) || (bytes != 2 && bytes != 4))
      return DDERR_INVALIDPIXELFORMAT;
    IDirect3DDevice7* created = new d3d::Device(this, target, offered->desc);
    *device = d3d::WrapIfRecording(created);
    return DD_OK;
  }

  HRESULT EnumZBufferFormats(REFCLSID guid, LPD3DENUMPIXELFORMATSCALLBACK callback,
                             void* context) override {
    if (!callback) return DDERR_INVALIDPARAMS;
    if (!Find(guid)) return DDERR_INVALIDPARAMS;
    std::vector<DDPIXELFORMAT> formats = directDraw_->Driver().zFormats;
    if (formats.empty())
      formats = {MakePixelFormat(PixelKind::Z16), MakePixelFormat(PixelKind::Z24),
                 MakePixelFormat(PixelKind::Z32)};
    for (DDPIXELFORMAT& f : formats)
      if (callback(&f, context) == DDENUMRET_CANCEL) break;
    return DD_OK;
  }

 private:
  std::vector<OfferedDevice> Devices() const {
    const MachineDriver& driver = directDraw_->Driver();
    std::vector<OfferedDevice> out;
    if (driver.offerSoftwareDevice)
      out.push_back({kSoftwareDescription, kSoftwareName, SoftwareDeviceDesc()});
    for (const MachineDevice& d : driver.devices) out.push_back({d.description, d.name, d.desc});
    return out;
  }

  const OfferedDevice* Find(REFCLSID guid) {
    offered_ = Devices();
    for (const OfferedDevice& d : offered_)
      if (d.desc.deviceGUID == guid) return &d;
    return nullptr;
  }

  ULONG refs_ = 1;
  DirectDraw* directDraw_;
  std::vector<OfferedDevice> offered_;
};

}  // namespace

IDirect3D7* CreateDirect3D(DirectDraw* directDraw) {
  if (!directDraw) return nullptr;
  return new Direct3D(directDraw);
}

}  // namespace platform
