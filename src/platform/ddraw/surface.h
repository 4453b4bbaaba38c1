// The one DirectDraw surface class: owns its pixels in any supported format,
// with pitch, colour key, palette, attached surfaces and the lost flag. The
// software device renders into these pixels directly.
#pragma once

#include <cstdint>
#include <vector>

#include "backend/paged_memory.h"
#include "ddraw/pixelformat.h"
#include "ddraw7.h"

namespace platform {

class DirectDraw;
class Palette;
class Clipper;

// Drawing a device has queued on a surface but not yet put into its
// pixels (the software device rasterises a scene's triangles together).
// Whoever touches the pixels completes it first.
class DeferredDrawing {
 public:
  // Puts every queued triangle into the pixels and stops deferring on the
  // surfaces it marked.
  virtual void Complete() = 0;

 protected:
  ~DeferredDrawing() = default;
};

class Surface final : public IDirectDrawSurface7 {
 public:
  // Creates a surface of the given size and format, filled with zero.
  Surface(DirectDraw* owner, const DDSURFACEDESC2& desc, const DDPIXELFORMAT& format);
  ~Surface() override;

  // Returns the platform surface behind an interface pointer, or null.
  static Surface* From(IDirectDrawSurface7* surface);

  // IUnknown
  HRESULT QueryInterface(REFIID riid, void** object) override;
  ULONG AddRef() override;
  ULONG Release() override;

  // IDirectDrawSurface7
  HRESULT AddAttachedSurface(LPDIRECTDRAWSURFACE7 attached) override;
  HRESULT Blt(LPRECT destRect, LPDIRECTDRAWSURFACE7 src, LPRECT srcRect, DWORD flags,
              LPDDBLTFX fx) override;
  HRESULT BltFast(DWORD x, DWORD y, LPDIRECTDRAWSURFACE7 src, LPRECT srcRect, DWORD trans) override;
  HRESULT Flip(LPDIRECTDRAWSURFACE7 targetOverride, DWORD flags) override;
  HRESULT GetAttachedSurface(LPDDSCAPS2 caps, LPDIRECTDRAWSURFACE7* attached) override;
  HRESULT GetDC(HDC* dc) override;
  HRESULT GetSurfaceDesc(LPDDSURFACEDESC2 desc) override;
  HRESULT IsLost() override;
  HRESULT Lock(LPRECT destRect, LPDDSURFACEDESC2 desc, DWORD flags, HANDLE event) override;
  HRESULT ReleaseDC(HDC dc) override;
  HRESULT Restore() override;
  HRESULT SetClipper(LPDIRECTDRAWCLIPPER clipper) override;
  HRESULT SetColorKey(DWORD flags, LPDDCOLORKEY key) override;
  HRESULT SetPalette(LPDIRECTDRAWPALETTE palette) override;
  HRESULT Unlock(LPRECT rect) override;
  HRESULT GetDDInterface(LPVOID* directDraw) override;

  // Direct access for the platform (the rasteriser, GDI, presentation).
  int Width() const { return width_; }
  int Height() const { return height_; }
  int Pitch() const { return pitch_; }
  // Bytes per pixel in memory (24-bit depth is kept in 32-bit words).
  int BytesPerPixel() const { return info_.bytes; }
  // The pixels, with any drawing deferred on them completed.
  uint8_t* Bits() {
    CompleteDrawing();
    return Use();
  }
  const uint8_t* Bits() const {
    CompleteDrawing();
    return Use();
  }
  // For the device that defers: the pixels as they are, queue untouched.
  uint8_t* DrawingBits() { return Use(); }

  // Managed memory. A texture or off-screen surface not used for a while
  // can be parked: its pixels are kept as runs of equal 32-bit words and
  // its pages given back; the next use of its pixels brings them back.
  // Returns the bytes given back (0 when the surface cannot be parked: it
  // is drawn into, locked, was never written, or does not shrink).
  size_t Park();
  // Bytes of pixel memory the surface holds now (pages never written to
  // hold none).
  size_t BytesInUse() const { return used_ && !parked_ ? pixels_.size() : 0; }
  uint64_t LastUse() const { return lastUse_; }
  bool Parked() const { return parked_; }
  // Marks the surface as having drawing queued by `by` (null: none).
  void SetDeferredDrawing(DeferredDrawing* by) { deferred_ = by; }
  void CompleteDrawing() const {
    if (deferred_) deferred_->Complete();
  }
  const DDPIXELFORMAT& Format() const { return format_; }
  const FormatInfo& Info() const { return info_; }
  // The palette's 256 entries, or null without a palette.
  const PALETTEENTRY* PaletteEntries() const;
  DWORD Caps() const { return caps_.dwCaps; }
  bool HasSourceColorKey() const { return hasSourceKey_; }
  DWORD SourceColorKey() const { return sourceKey_; }
  Surface* AttachedZBuffer() const;
  Palette* GetPalette() const { return palette_; }
  bool Lost() const { return lost_; }
  void MarkLost() { lost_ = true; }
  // The window a picture blitted to this (primary) surface goes to.
  HWND PresentWindow() const;
  // Bumped on every change of pixels or colour key, so caches of the content
  // (the rasteriser's expanded textures) know when to rebuild.
  uint64_t Generation() const { return generation_; }
  void Touch() { ++generation_; }

 private:
  friend class DirectDraw;

  // Clips a rectangle (null: the whole surface) to the surface; false when
  // the rectangle is malformed.
  bool ResolveRect(const RECT* rect, RECT* out) const;
  // Notes a use of the pixels (unparking them) and returns them.
  uint8_t* Use() const;
  void Unpark() const;
  HRESULT ColorFill(const RECT& rect, DWORD color);
  HRESULT StretchFrom(const RECT& dest, Surface& src, const RECT& srcRect, bool useKey);

  ULONG refs_ = 1;
  DirectDraw* owner_;
  int width_;
  int height_;
  int pitch_;
  DDPIXELFORMAT format_;
  FormatInfo info_;
  DWORD backBufferCount_ = 0;
  DDSCAPS2 caps_;
  DWORD textureStage_ = 0;
  // Committed page by page as the surface is first drawn on.
  mutable ZeroedPages pixels_;
  mutable bool used_ = false;
  mutable bool parked_ = false;
  mutable uint64_t lastUse_ = 0;
  mutable std::vector<uint32_t> runs_;  // parked pixels: (count, word) pairs
  size_t registryIndex_ = 0;            // place in the owner's list
  bool hasSourceKey_ = false;
  DWORD sourceKey_ = 0;
  bool locked_ = false;
  bool dcOut_ = false;
  HDC dc_ = nullptr;
  bool lost_ = false;
  uint64_t generation_ = 0;
  DeferredDrawing* deferred_ = nullptr;
  Palette* palette_ = nullptr;
  Clipper* clipper_ = nullptr;
  // Attached surfaces (back buffer of a flipping chain, z-buffer), one
  // reference held on each.
  std::vector<Surface*> attached_;
};

}  // namespace platform
