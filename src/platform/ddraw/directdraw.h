// The DirectDraw object: one driver of the machine description, its
// cooperative level and display mode, and the surfaces it created.
#pragma once

#include <cstdint>
#include <vector>

#include "ddraw7.h"
#include "testing.h"

namespace platform {

class Surface;

class DirectDraw final : public IDirectDraw7 {
 public:
  explicit DirectDraw(const MachineDriver& driver);
  ~DirectDraw() override;

  // Returns the platform object behind an interface pointer, or null.
  static DirectDraw* From(IDirectDraw7* directDraw);

  // IUnknown
  HRESULT QueryInterface(REFIID riid, void** object) override;
  ULONG AddRef() override;
  ULONG Release() override;

  // IDirectDraw7
  HRESULT CreateClipper(DWORD flags, LPDIRECTDRAWCLIPPER* clipper, IUnknown* outer) override;
  HRESULT CreatePalette(DWORD flags, LPPALETTEENTRY entries, LPDIRECTDRAWPALETTE* palette,
                        IUnknown* outer) override;
  HRESULT CreateSurface(LPDDSURFACEDESC2 desc, LPDIRECTDRAWSURFACE7* surface,
                        IUnknown* outer) override;
  HRESULT EnumDisplayModes(DWORD flags, LPDDSURFACEDESC2 desc, LPVOID context,
                           LPDDENUMMODESCALLBACK2 callback) override;
  HRESULT FlipToGDISurface() override;
  HRESULT GetCaps(LPDDCAPS driverCaps, LPDDCAPS helCaps) override;
  HRESULT GetDisplayMode(LPDDSURFACEDESC2 desc) override;
  HRESULT SetCooperativeLevel(HWND window, DWORD flags) override;
  HRESULT SetDisplayMode(DWORD width, DWORD height, DWORD bpp, DWORD refreshRate,
                         DWORD flags) override;
  HRESULT RestoreAllSurfaces() override;
  HRESULT TestCooperativeLevel() override;

  // The driver of the machine description this object was created for (the
  // Direct3D side enumerates its devices and z formats from it).
  const MachineDriver& Driver() const { return driver_; }
  // The display mode now in effect: the desktop, or the full-screen mode set.
  const DDSURFACEDESC2& CurrentMode() const;
  bool Fullscreen() const { return (coopFlags_ & DDSCL_FULLSCREEN) != 0; }
  // The window given to SetCooperativeLevel, or null.
  HWND CooperativeWindow() const { return window_; }

  // Marks every surface of this object lost, as a lost display does.
  void LoseSurfaces();
  // Every DirectDraw object now alive marks its surfaces lost.
  static void LoseAllSurfaces();

  // Shows `rect` of the surface in the window: handed to the backend as
  // 0xXXRRGGBB, converted first unless the surface holds 32-bit RGB.
  void Present(HWND window, const Surface& surface, const RECT& rect);

  // Pixel memory of surfaces in use beyond which the least recently used
  // textures and off-screen surfaces are parked (see Surface::Park).
  static constexpr size_t kManagedBudget = size_t{128} << 20;
  // Parks surfaces, least recently used first, while the memory of the
  // surfaces in use exceeds the budget. Called once a frame, at Present.
  void ManageMemory(size_t budget = kManagedBudget);
  // Ticks once a frame; surfaces note it when their pixels are used.
  uint64_t UseClock() const { return useClock_; }

 private:
  friend class Surface;
  void Register(Surface* surface);
  void Unregister(Surface* surface);
  HRESULT CreatePrimary(const DDSURFACEDESC2& desc, Surface** out);

  ULONG refs_ = 1;
  MachineDriver driver_;
  DDSURFACEDESC2 desktop_{};
  DDSURFACEDESC2 fullscreenMode_{};
  bool modeSet_ = false;
  DWORD coopFlags_ = 0;
  HWND window_ = nullptr;
  bool windowFullscreen_ = false;
  std::vector<Surface*> surfaces_;  // not owned: each surface unregisters itself
  uint64_t useClock_ = 1;
  std::vector<uint32_t> presentBuffer_;
};

// A mode description as EnumDisplayModes and GetDisplayMode report it.
DDSURFACEDESC2 MakeModeDesc(DWORD width, DWORD height, const DDPIXELFORMAT& format);

}  // namespace platform
