#include "ddraw/clipper_palette.h"

#include <cstring>

namespace platform {

Clipper* Clipper::From(IDirectDrawClipper* clipper) {
  return dynamic_cast<Clipper*>(clipper);
}

HRESULT Clipper::QueryInterface(REFIID, void** object) {
  if (object) *object = nullptr;
  return E_NOINTERFACE;
}

ULONG Clipper::AddRef() {
  return ++refs_;
}

ULONG Clipper::Release() {
  const ULONG left = --refs_;
  if (left == 0) delete this;
  return left;
}

HRESULT Clipper::SetHWnd(DWORD, HWND window) {
  window_ = window;
  return DD_OK;
}

Palette::Palette(const PALETTEENTRY* entries) {
  std::memcpy(entries_, entries, sizeof(entries_));
}

Palette* Palette::From(IDirectDrawPalette* palette) {
  return dynamic_cast<Palette*>(palette);
}

HRESULT Palette::QueryInterface(REFIID, void** object) {
  if (object) *object = nullptr;
  return E_NOINTERFACE;
}

ULONG Palette::AddRef() {
  return ++refs_;
}

ULONG Palette::Release() {
  const ULONG left = --refs_;
  if (left == 0) delete this;
  return left;
}

}  // namespace platform
