// The two small DirectDraw objects: a clipper that names the window a
// primary surface belongs to, and a 256-entry palette for 8-bit surfaces.
#pragma once

#include "ddraw7.h"

namespace platform {

class Clipper final : public IDirectDrawClipper {
 public:
  static Clipper* From(IDirectDrawClipper* clipper);

  HRESULT QueryInterface(REFIID riid, void** object) override;
  ULONG AddRef() override;
  ULONG Release() override;
  HRESULT SetHWnd(DWORD flags, HWND window) override;

  HWND Window() const { return window_; }

 private:
  ULONG refs_ = 1;
  HWND window_ = nullptr;
};

class Palette final : public IDirectDrawPalette {
 public:
  explicit Palette(const PALETTEENTRY* entries);
  static Palette* From(IDirectDrawPalette* palette);

  HRESULT QueryInterface(REFIID riid, void** object) override;
  ULONG AddRef() override;
  ULONG Release() override;

  const PALETTEENTRY* Entries() const { return entries_; }

 private:
  ULONG refs_ = 1;
  PALETTEENTRY entries_[256];
};

}  // namespace platform
