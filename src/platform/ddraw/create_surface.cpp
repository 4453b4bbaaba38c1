// IDirectDraw7::CreateSurface: the primary surface (alone or with a flipping
// chain of one back buffer), off-screen render surfaces, textures, system
// memory surfaces and z-buffers.
#include <new>

#include "ddraw/directdraw.h"
#include "ddraw/pixelformat.h"
#include "ddraw/surface.h"

namespace platform {

namespace {

// The largest surface side accepted; larger requests fail instead of
// allocating gigabytes.
constexpr DWORD kMaxSide = 16384;

Surface* NewSurface(DirectDraw* owner, const DDSURFACEDESC2& desc, const DDPIXELFORMAT& format) {
  try {
    return new Surface(owner, desc, format);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

DWORD WithMemoryCaps(DWORD caps) {
  if (!(caps & (DDSCAPS_SYSTEMMEMORY | DDSCAPS_VIDEOMEMORY)))
    caps |= DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM;
  return caps;
}

}  // namespace

HRESULT DirectDraw::CreatePrimary(const DDSURFACEDESC2& request, Surface** out) {
  const DWORD caps = request.ddsCaps.dwCaps;
  const bool flipping = (caps & DDSCAPS_FLIP) != 0;
  if (flipping) {
    if (!(caps & DDSCAPS_COMPLEX) || !(request.dwFlags & DDSD_BACKBUFFERCOUNT) ||
        request.dwBackBufferCount == 0)
      return DDERR_INVALIDPARAMS;
    // One back buffer is all the presentation needs.
    if (request.dwBackBufferCount > 1) return DDERR_UNSUPPORTED;
    if (!(coopFlags_ & DDSCL_EXCLUSIVE)) return DDERR_NOEXCLUSIVEMODE;
  }
  const DDSURFACEDESC2& mode = CurrentMode();
  DDSURFACEDESC2 desc{};
  desc.dwWidth = mode.dwWidth;
  desc.dwHeight = mode.dwHeight;
  desc.ddsCaps = request.ddsCaps;
  desc.ddsCaps.dwCaps = WithMemoryCaps(caps) | (flipping ? DDSCAPS_FRONTBUFFER : 0);
  Surface* primary = NewSurface(this, desc, mode.ddpfPixelFormat);
  if (!primary) return DDERR_OUTOFMEMORY;
  if (flipping) {
    desc.ddsCaps.dwCaps = (WithMemoryCaps(caps) & ~DDSCAPS_PRIMARYSURFACE) | DDSCAPS_BACKBUFFER;
    Surface* back = NewSurface(this, desc, mode.ddpfPixelFormat);
    if (!back) {
      primary->Release();
      return DDERR_OUTOFMEMORY;
    }
    // The chain's reference on the back buffer; released with the primary.
    primary->attached_.push_back(back);
    primary->backBufferCount_ = 1;
  }
  *out = primary;
  return DD_OK;
}

HRESULT DirectDraw::CreateSurface(LPDDSURFACEDESC2 request, LPDIRECTDRAWSURFACE7* surface,
                                  IUnknown* outer) {
  if (!surface) return DDERR_INVALIDPARAMS;
  *surface = nullptr;
  if (!request || outer) return DDERR_INVALIDPARAMS;
  const DDSURFACEDESC2& d = *request;
  DWORD caps = (d.dwFlags & DDSD_CAPS) ? d.ddsCaps.dwCaps : 0;

  Surface* created = nullptr;
  if (caps & DDSCAPS_PRIMARYSURFACE) {
    if (d.dwFlags & (DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT)) return DDERR_INVALIDPARAMS;
    const HRESULT hr = CreatePrimary(d, &created);
    if (hr != DD_OK) return hr;
  } else {
    if (!(d.dwFlags & DDSD_WIDTH) || !(d.dwFlags & DDSD_HEIGHT) || d.dwWidth == 0 ||
        d.dwHeight == 0 || d.dwWidth > kMaxSide || d.dwHeight > kMaxSide)
      return DDERR_INVALIDPARAMS;
    if (caps & (DDSCAPS_FLIP | DDSCAPS_FRONTBUFFER | DDSCAPS_BACKBUFFER)) return DDERR_INVALIDCAPS;
    DDPIXELFORMAT format = CurrentMode().ddpfPixelFormat;
    if (caps & DDSCAPS_ZBUFFER) {
      if (!(d.dwFlags & DDSD_PIXELFORMAT) || !(d.ddpfPixelFormat.dwFlags & DDPF_ZBUFFER))
        return DDERR_INVALIDPIXELFORMAT;
      if (caps & (DDSCAPS_TEXTURE | DDSCAPS_3DDEVICE)) return DDERR_INVALIDCAPS;
      format = d.ddpfPixelFormat;
    } else if (d.dwFlags & DDSD_PIXELFORMAT) {
      format = d.ddpfPixelFormat;
      if (format.dwFlags & DDPF_ZBUFFER) return DDERR_INVALIDPIXELFORMAT;
    }
    if (ClassifyPixelFormat(format) == PixelKind::Unknown) return DDERR_INVALIDPIXELFORMAT;
    if (!(caps & (DDSCAPS_TEXTURE | DDSCAPS_ZBUFFER | DDSCAPS_OFFSCREENPLAIN)))
      caps |= DDSCAPS_OFFSCREENPLAIN;
    DDSURFACEDESC2 desc{};
    desc.dwWidth = d.dwWidth;
    desc.dwHeight = d.dwHeight;
    if (d.dwFlags & DDSD_CAPS) desc.ddsCaps = d.ddsCaps;
    desc.ddsCaps.dwCaps = WithMemoryCaps(caps);
    created = NewSurface(this, desc, format);
    if (!created) return DDERR_OUTOFMEMORY;
    if (d.dwFlags & DDSD_TEXTURESTAGE) created->textureStage_ = d.dwTextureStage;
  }
  if (d.dwFlags & DDSD_CKSRCBLT) {
    created->hasSourceKey_ = true;
    created->sourceKey_ = d.ddckCKSrcBlt.dwColorSpaceLowValue;
  }
  *surface = created;
  return DD_OK;
}

}  // namespace platform
