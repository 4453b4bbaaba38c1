#include "ddraw/surface.h"

#include <algorithm>
#include <cstring>

#include "ddraw/clipper_palette.h"
#include "ddraw/directdraw.h"
#include "gdi/surface_dc.h"
#include "testing.h"

namespace platform {

namespace {

// Rows start on 4-byte boundaries, as display drivers lay them out.
int RowPitch(int width, int bytesPerPixel) {
  return (width * bytesPerPixel + 3) & ~3;
}

}  // namespace

Surface::Surface(DirectDraw* owner, const DDSURFACEDESC2& desc, const DDPIXELFORMAT& format)
    : owner_(owner),
      width_(static_cast<int>(desc.dwWidth)),
      height_(static_cast<int>(desc.dwHeight)),
      pitch_(RowPitch(static_cast<int>(desc.dwWidth), DescribeFormat(format).bytes)),
      format_(format),
      info_(DescribeFormat(format)),
      caps_(desc.ddsCaps),
      pixels_(static_cast<size_t>(pitch_) * static_cast<size_t>(height_)) {
  format_.dwSize = sizeof(DDPIXELFORMAT);
  // A surface keeps the DirectDraw object that made it alive.
  owner_->AddRef();
  owner_->Register(this);
}

Surface::~Surface() {
  CompleteDrawing();
  if (dcOut_) DeleteSurfaceDC(dc_);
  for (Surface* attached : attached_) attached->Release();
  if (palette_) palette_->Release();
  if (clipper_) clipper_->Release();
  owner_->Unregister(this);
  owner_->Release();
}

Surface* Surface::From(IDirectDrawSurface7* surface) {
  return dynamic_cast<Surface*>(surface);
}

HRESULT Surface::QueryInterface(REFIID, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG Surface::AddRef() {
  return ++refs_;
}

ULONG Surface::Release() {
  const ULONG left = --refs_;
  if (left == 0) delete this;
  return left;
}

Surface* Surface::AttachedZBuffer() const {
  for (Surface* attached : attached_)
    if (attached->caps_.dwCaps & DDSCAPS_ZBUFFER) return attached;
  return nullptr;
}

const PALETTEENTRY* Surface::PaletteEntries() const {
  return palette_ ? palette_->Entries() : nullptr;
}

HWND Surface::PresentWindow() const {
  if (clipper_ && clipper_->Window()) return clipper_->Window();
  if (owner_->CooperativeWindow()) return owner_->CooperativeWindow();
  return MainWindow();
}

HRESULT Surface::AddAttachedSurface(LPDIRECTDRAWSURFACE7 attached) {
  Surface* z = From(attached);
  if (!z || z == this) return DDERR_INVALIDPARAMS;
  // Only a depth buffer of the same size can be attached to a render surface.
  if (!(z->caps_.dwCaps & DDSCAPS_ZBUFFER) || (caps_.dwCaps & DDSCAPS_ZBUFFER) ||
      z->width_ != width_ || z->height_ != height_)
    return DDERR_CANNOTATTACHSURFACE;
  if (AttachedZBuffer()) return DDERR_SURFACEALREADYATTACHED;
  z->AddRef();
  attached_.push_back(z);
  return DD_OK;
}

bool Surface::ResolveRect(const RECT* rect, RECT* out) const {
  if (!rect) {
    *out = RECT{0, 0, width_, height_};
    return true;
  }
  if (rect->right < rect->left || rect->bottom < rect->top) return false;
  out->left = std::max<LONG>(rect->left, 0);
  out->top = std::max<LONG>(rect->top, 0);
  out->right = std::min<LONG>(rect->right, width_);
  out->bottom = std::min<LONG>(rect->bottom, height_);
  if (out->right < out->left) out->right = out->left;
  if (out->bottom < out->top) out->bottom = out->top;
  return true;
}

HRESULT Surface::ColorFill(const RECT& rect, DWORD color) {
  const int bytes = info_.bytes;
  if (bytes < 4) color &= (1u << (bytes * 8)) - 1;
  for (LONG y = rect.top; y < rect.bottom; ++y) {
    uint8_t* row = Bits() + static_cast<size_t>(y) * pitch_;
    if (bytes == 4) {
      auto* p = reinterpret_cast<uint32_t*>(row) + rect.left;
      std::fill(p, p + (rect.right - rect.left), color);
    } else {
      for (LONG x = rect.left; x < rect.right; ++x) WritePixel(row + x * bytes, bytes, color);
    }
  }
  Touch();
  return DD_OK;
}

HRESULT Surface::StretchFrom(const RECT& dest, Surface& src, const RECT& srcRect, bool useKey) {
  // 64-bit arithmetic: rectangles may hold any 32-bit coordinates.
  const int64_t dw = int64_t{dest.right} - dest.left, dh = int64_t{dest.bottom} - dest.top;
  const int64_t sw = int64_t{srcRect.right} - srcRect.left;
  const int64_t sh = int64_t{srcRect.bottom} - srcRect.top;
  if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0) return DD_OK;
  // Reading from a copy makes overlapping blits within one surface safe.
  std::vector<uint8_t> copy;
  const uint8_t* srcBits = src.Bits();
  if (&src == this) {
    copy.assign(pixels_.data(), pixels_.data() + pixels_.size());
    srcBits = copy.data();
  }
  const FormatInfo& from = src.info_;
  const FormatInfo& to = info_;
  const PALETTEENTRY* fromPalette = src.PaletteEntries();
  const PALETTEENTRY* toPalette = PaletteEntries();
  const bool samePixels =
      from.kind == to.kind && from.kind != PixelKind::Unknown && from.bytes == to.bytes;
  const bool key = useKey && src.hasSourceKey_;
  const uint32_t keyValue = src.sourceKey_ & from.keyMask;

  // Point sampling: each destination pixel takes the source pixel under its
  // centre. Pixels that fall outside either surface are left out.
  const LONG x0 = std::max<LONG>(dest.left, 0), x1 = std::min<LONG>(dest.right, width_);
  const LONG y0 = std::max<LONG>(dest.top, 0), y1 = std::min<LONG>(dest.bottom, height_);
  if (x0 >= x1 || y0 >= y1) return DD_OK;
  std::vector<int64_t> columns(static_cast<size_t>(x1 - x0));
  for (LONG x = x0; x < x1; ++x)
    columns[x - x0] = srcRect.left + ((int64_t{x} - dest.left) * 2 + 1) * sw / (2 * dw);
  const bool straight =
      samePixels && !key && dw == sw && columns.front() >= 0 && columns.back() < src.width_;
  for (LONG y = y0; y < y1; ++y) {
    const int64_t sy = srcRect.top + ((int64_t{y} - dest.top) * 2 + 1) * sh / (2 * dh);
    if (sy < 0 || sy >= src.height_) continue;
    const uint8_t* srcRow = srcBits + static_cast<size_t>(sy) * src.pitch_;
    uint8_t* destRow = Bits() + static_cast<size_t>(y) * pitch_;
    if (straight) {
      std::memcpy(destRow + static_cast<size_t>(x0) * to.bytes,
                  srcRow + static_cast<size_t>(columns[0]) * from.bytes,
                  static_cast<size_t>(x1 - x0) * to.bytes);
      continue;
    }
    for (LONG x = x0; x < x1; ++x) {
      const int64_t sx = columns[x - x0];
      if (sx < 0 || sx >= src.width_) continue;
      uint32_t pixel = ReadPixel(srcRow + static_cast<size_t>(sx) * from.bytes, from.bytes);
      if (key && (pixel & from.keyMask) == keyValue) continue;
      if (!samePixels) {
        if (from.palettized && to.palettized) {
          // Indices stay indices between palettised surfaces.
        } else {
          pixel = ArgbToPixel(to, PixelToArgb(from, pixel, fromPalette), toPalette);
        }
      }
      WritePixel(destRow + static_cast<size_t>(x) * to.bytes, to.bytes, pixel);
    }
  }
  Touch();
  return DD_OK;
}

HRESULT Surface::Blt(LPRECT destRect, LPDIRECTDRAWSURFACE7 src, LPRECT srcRect, DWORD flags,
                     LPDDBLTFX fx) {
  if (lost_) return DDERR_SURFACELOST;
  if (locked_ || dcOut_) return DDERR_SURFACEBUSY;
  if (flags & DDBLT_COLORFILL) {
    if (!fx) return DDERR_INVALIDPARAMS;
    RECT rect;
    if (!ResolveRect(destRect, &rect)) return DDERR_INVALIDRECT;
    return ColorFill(rect, fx->dwFillColor);
  }
  Surface* source = From(src);
  if (!source) return DDERR_INVALIDPARAMS;
  if (source->lost_) return DDERR_SURFACELOST;
  if (source != this && (source->locked_ || source->dcOut_)) return DDERR_SURFACEBUSY;
  const RECT dest = destRect ? *destRect : RECT{0, 0, width_, height_};
  const RECT from = srcRect ? *srcRect : RECT{0, 0, source->width_, source->height_};
  if (dest.right < dest.left || dest.bottom < dest.top || from.right < from.left ||
      from.bottom < from.top)
    return DDERR_INVALIDRECT;
  if (caps_.dwCaps & DDSCAPS_PRIMARYSURFACE) {
    // The primary surface is the window: a blit to it shows the source
    // rectangle there (the window scales it to its client area).
    RECT shown;
    source->ResolveRect(&from, &shown);
    owner_->Present(PresentWindow(), *source, shown);
    return DD_OK;
  }
  return StretchFrom(dest, *source, from, (flags & DDBLT_KEYSRC) != 0);
}

HRESULT Surface::BltFast(DWORD x, DWORD y, LPDIRECTDRAWSURFACE7 src, LPRECT srcRect, DWORD trans) {
  if (lost_) return DDERR_SURFACELOST;
  if (locked_ || dcOut_) return DDERR_SURFACEBUSY;
  Surface* source = From(src);
  if (!source) return DDERR_INVALIDPARAMS;
  if (source->lost_) return DDERR_SURFACELOST;
  if (source != this && (source->locked_ || source->dcOut_)) return DDERR_SURFACEBUSY;
  const RECT from = srcRect ? *srcRect : RECT{0, 0, source->width_, source->height_};
  if (from.right < from.left || from.bottom < from.top || from.left < 0 || from.top < 0 ||
      from.right > source->width_ || from.bottom > source->height_)
    return DDERR_INVALIDRECT;
  if (x >= static_cast<DWORD>(width_) || y >= static_cast<DWORD>(height_)) return DD_OK;
  // The copy is clipped to this surface. Formats are converted, so glyphs of
  // a 32-bit sheet can be copied onto a 16-bit surface.
  const RECT dest{static_cast<LONG>(x), static_cast<LONG>(y),
                  static_cast<LONG>(x) + (from.right - from.left),
                  static_cast<LONG>(y) + (from.bottom - from.top)};
  return StretchFrom(dest, *source, from, (trans & DDBLTFAST_SRCCOLORKEY) != 0);
}

HRESULT Surface::Flip(LPDIRECTDRAWSURFACE7, DWORD) {
  if (!(caps_.dwCaps & DDSCAPS_FRONTBUFFER)) return DDERR_NOTFLIPPABLE;
  Surface* back = nullptr;
  for (Surface* attached : attached_)
    if (attached->caps_.dwCaps & DDSCAPS_BACKBUFFER) back = attached;
  if (!back) return DDERR_NOTFLIPPABLE;
  if (lost_ || back->lost_) return DDERR_SURFACELOST;
  if (locked_ || dcOut_ || back->locked_ || back->dcOut_) return DDERR_SURFACEBUSY;
  owner_->Present(PresentWindow(), *back, RECT{0, 0, back->width_, back->height_});
  return DD_OK;
}

HRESULT Surface::GetAttachedSurface(LPDDSCAPS2 caps, LPDIRECTDRAWSURFACE7* attached) {
  if (!caps || !attached) return DDERR_INVALIDPARAMS;
  *attached = nullptr;
  for (Surface* candidate : attached_) {
    if ((candidate->caps_.dwCaps & caps->dwCaps) == caps->dwCaps &&
        (candidate->caps_.dwCaps2 & caps->dwCaps2) == caps->dwCaps2) {
      candidate->AddRef();
      *attached = candidate;
      return DD_OK;
    }
  }
  return DDERR_NOTFOUND;
}

HRESULT Surface::GetDC(HDC* dc) {
  if (!dc) return DDERR_INVALIDPARAMS;
  *dc = nullptr;
  if (lost_) return DDERR_SURFACELOST;
  if (dcOut_) return DDERR_DCALREADYCREATED;
  if (locked_) return DDERR_SURFACEBUSY;
  dc_ = CreateSurfaceDC(this);
  if (!dc_) return DDERR_GENERIC;
  dcOut_ = true;
  *dc = dc_;
  return DD_OK;
}

HRESULT Surface::ReleaseDC(HDC dc) {
  if (!dcOut_) return DDERR_NODC;
  if (dc != dc_) return DDERR_INVALIDPARAMS;
  DeleteSurfaceDC(dc_);
  dc_ = nullptr;
  dcOut_ = false;
  Touch();
  return DD_OK;
}

HRESULT Surface::GetSurfaceDesc(LPDDSURFACEDESC2 desc) {
  if (!desc) return DDERR_INVALIDPARAMS;
  const DWORD size = desc->dwSize;
  *desc = DDSURFACEDESC2{};
  desc->dwSize = size ? size : static_cast<DWORD>(sizeof(DDSURFACEDESC2));
  desc->dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT;
  desc->dwWidth = static_cast<DWORD>(width_);
  desc->dwHeight = static_cast<DWORD>(height_);
  desc->lPitch = pitch_;
  desc->ddpfPixelFormat = format_;
  desc->ddsCaps = caps_;
  if (backBufferCount_) {
    desc->dwFlags |= DDSD_BACKBUFFERCOUNT;
    desc->dwBackBufferCount = backBufferCount_;
  }
  if (hasSourceKey_) {
    desc->dwFlags |= DDSD_CKSRCBLT;
    desc->ddckCKSrcBlt.dwColorSpaceLowValue = sourceKey_;
    desc->ddckCKSrcBlt.dwColorSpaceHighValue = sourceKey_;
  }
  if (caps_.dwCaps & DDSCAPS_TEXTURE) {
    desc->dwFlags |= DDSD_TEXTURESTAGE;
    desc->dwTextureStage = textureStage_;
  }
  return DD_OK;
}

HRESULT Surface::IsLost() {
  return lost_ ? DDERR_SURFACELOST : DD_OK;
}

HRESULT Surface::Lock(LPRECT destRect, LPDDSURFACEDESC2 desc, DWORD, HANDLE) {
  if (!desc) return DDERR_INVALIDPARAMS;
  if (lost_) return DDERR_SURFACELOST;
  if (locked_ || dcOut_) return DDERR_SURFACEBUSY;
  RECT rect{0, 0, width_, height_};
  if (destRect) {
    rect = *destRect;
    if (rect.left < 0 || rect.top < 0 || rect.right > width_ || rect.bottom > height_ ||
        rect.right <= rect.left || rect.bottom <= rect.top)
      return DDERR_INVALIDPARAMS;
  }
  GetSurfaceDesc(desc);
  desc->dwFlags |= DDSD_LPSURFACE;
  desc->lpSurface = Bits() + static_cast<size_t>(rect.top) * pitch_ +
                    static_cast<size_t>(rect.left) * info_.bytes;
  locked_ = true;
  return DD_OK;
}

HRESULT Surface::Unlock(LPRECT) {
  if (!locked_) return DDERR_NOTLOCKED;
  locked_ = false;
  Touch();
  return DD_OK;
}

HRESULT Surface::Restore() {
  if (lost_) {
    // The content of a restored surface is undefined; it keeps what it had.
    lost_ = false;
    Touch();
  }
  for (Surface* attached : attached_) attached->Restore();
  return DD_OK;
}

HRESULT Surface::SetClipper(LPDIRECTDRAWCLIPPER clipper) {
  Clipper* next = nullptr;
  if (clipper) {
    next = Clipper::From(clipper);
    if (!next) return DDERR_INVALIDPARAMS;
    next->AddRef();
  }
  if (clipper_) clipper_->Release();
  clipper_ = next;
  return DD_OK;
}

HRESULT Surface::SetColorKey(DWORD flags, LPDDCOLORKEY key) {
  if (!(flags & DDCKEY_SRCBLT)) return DDERR_INVALIDPARAMS;
  const bool hadKey = hasSourceKey_;
  const DWORD oldKey = sourceKey_;
  if (!key) {
    hasSourceKey_ = false;
  } else {
    // Only a single key value is supported; a range is refused.
    if (key->dwColorSpaceLowValue != key->dwColorSpaceHighValue) return DDERR_UNSUPPORTED;
    hasSourceKey_ = true;
    sourceKey_ = key->dwColorSpaceLowValue;
  }
  // The game sets the same key on every label every frame; only a real change
  // should make caches of the content (expanded textures) rebuild.
  if (hasSourceKey_ != hadKey || (hasSourceKey_ && sourceKey_ != oldKey)) Touch();
  return DD_OK;
}

HRESULT Surface::SetPalette(LPDIRECTDRAWPALETTE palette) {
  Palette* next = nullptr;
  if (palette) {
    if (!info_.palettized) return DDERR_INVALIDPIXELFORMAT;
    next = Palette::From(palette);
    if (!next) return DDERR_INVALIDPARAMS;
    next->AddRef();
  }
  if (palette_) palette_->Release();
  palette_ = next;
  Touch();
  return DD_OK;
}

HRESULT Surface::GetDDInterface(LPVOID* directDraw) {
  if (!directDraw) return DDERR_INVALIDPARAMS;
  owner_->AddRef();
  *directDraw = static_cast<IDirectDraw7*>(owner_);
  return DD_OK;
}

}  // namespace platform
