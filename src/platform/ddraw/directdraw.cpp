#include "ddraw/directdraw.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <new>

#include "backend/present.h"
#include "d3d/factory.h"
#include "ddraw/clipper_palette.h"
#include "ddraw/pixelformat.h"
#include "ddraw/surface.h"

namespace platform {

namespace {

// Every DirectDraw object alive, so that a lost display reaches them all.
std::vector<DirectDraw*>& LiveObjects() {
  static std::vector<DirectDraw*> objects;
  return objects;
}

bool SameMode(const DDSURFACEDESC2& a, const DDSURFACEDESC2& b) {
  return a.dwWidth == b.dwWidth && a.dwHeight == b.dwHeight &&
         a.ddpfPixelFormat.dwRGBBitCount == b.ddpfPixelFormat.dwRGBBitCount;
}

}  // namespace

DDSURFACEDESC2 MakeModeDesc(DWORD width, DWORD height, const DDPIXELFORMAT& format) {
  DDSURFACEDESC2 d{};
  d.dwSize = sizeof(DDSURFACEDESC2);
  d.dwFlags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT | DDSD_REFRESHRATE;
  d.dwWidth = width;
  d.dwHeight = height;
  d.lPitch = static_cast<LONG>(width * (format.dwRGBBitCount / 8));
  d.dwRefreshRate = 60;
  d.ddpfPixelFormat = format;
  return d;
}

DirectDraw::DirectDraw(const MachineDriver& driver) : driver_(driver) {
  desktop_ = driver.desktopMode;
  if (desktop_.dwWidth == 0) {
    int w = 640, h = 480;
    DesktopSize(&w, &h);
    desktop_ = MakeModeDesc(static_cast<DWORD>(w), static_cast<DWORD>(h),
                            MakePixelFormat(PixelKind::X8R8G8B8));
  }
  LiveObjects().push_back(this);
}

DirectDraw::~DirectDraw() {
  if (windowFullscreen_) SetWindowFullscreen(window_, false);
  auto& live = LiveObjects();
  live.erase(std::remove(live.begin(), live.end(), this), live.end());
}

DirectDraw* DirectDraw::From(IDirectDraw7* directDraw) {
  return dynamic_cast<DirectDraw*>(directDraw);
}

HRESULT DirectDraw::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (riid == IID_IDirectDraw7) {
    AddRef();
    *object = static_cast<IDirectDraw7*>(this);
    return S_OK;
  }
  if (riid == IID_IDirect3D7) {
    IDirect3D7* d3d = CreateDirect3D(this);
    if (!d3d) return E_NOINTERFACE;
    *object = d3d;
    return S_OK;
  }
  return E_NOINTERFACE;
}

ULONG DirectDraw::AddRef() {
  return ++refs_;
}

ULONG DirectDraw::Release() {
  const ULONG left = --refs_;
  if (left == 0) delete this;
  return left;
}

HRESULT DirectDraw::CreateClipper(DWORD, LPDIRECTDRAWCLIPPER* clipper, IUnknown* outer) {
  if (!clipper || outer) return DDERR_INVALIDPARAMS;
  *clipper = new (std::nothrow) Clipper();
  return *clipper ? DD_OK : DDERR_OUTOFMEMORY;
}

HRESULT DirectDraw::CreatePalette(DWORD flags, LPPALETTEENTRY entries, LPDIRECTDRAWPALETTE* palette,
                                  IUnknown* outer) {
  if (!palette) return DDERR_INVALIDPARAMS;
  *palette = nullptr;
  // Only the 256-entry palettes of 8-bit surfaces exist here.
  if (!entries || outer || !(flags & DDPCAPS_8BIT)) return DDERR_INVALIDPARAMS;
  *palette = new (std::nothrow) Palette(entries);
  return *palette ? DD_OK : DDERR_OUTOFMEMORY;
}

const DDSURFACEDESC2& DirectDraw::CurrentMode() const {
  return (Fullscreen() && modeSet_) ? fullscreenMode_ : desktop_;
}

HRESULT DirectDraw::EnumDisplayModes(DWORD, LPDDSURFACEDESC2 filter, LPVOID context,
                                     LPDDENUMMODESCALLBACK2 callback) {
  if (!callback) return DDERR_INVALIDPARAMS;
  std::vector<DDSURFACEDESC2> modes = driver_.modes;
  for (DDSURFACEDESC2& mode : modes) {
    if (filter) {
      if ((filter->dwFlags & DDSD_WIDTH) && filter->dwWidth != mode.dwWidth) continue;
      if ((filter->dwFlags & DDSD_HEIGHT) && filter->dwHeight != mode.dwHeight) continue;
      if ((filter->dwFlags & DDSD_PIXELFORMAT) &&
          filter->ddpfPixelFormat.dwRGBBitCount != mode.ddpfPixelFormat.dwRGBBitCount)
        continue;
    }
    if (callback(&mode, context) == DDENUMRET_CANCEL) break;
  }
  return DD_OK;
}

HRESULT DirectDraw::FlipToGDISurface() {
  // The picture of the window system is always the one shown: nothing to do.
  return DD_OK;
}

HRESULT DirectDraw::GetCaps(LPDDCAPS driverCaps, LPDDCAPS helCaps) {
  if (!driverCaps && !helCaps) return DDERR_INVALIDPARAMS;
  for (DDCAPS* caps : {driverCaps, helCaps}) {
    if (!caps) continue;
    const DWORD size = caps->dwSize;
    *caps = driver_.caps;
    caps->dwSize = size;
  }
  return DD_OK;
}

HRESULT DirectDraw::GetDisplayMode(LPDDSURFACEDESC2 desc) {
  if (!desc) return DDERR_INVALIDPARAMS;
  const DWORD size = desc->dwSize;
  *desc = CurrentMode();
  desc->dwSize = size ? size : static_cast<DWORD>(sizeof(DDSURFACEDESC2));
  return DD_OK;
}

HRESULT DirectDraw::SetCooperativeLevel(HWND window, DWORD flags) {
  const bool fullscreen = (flags & DDSCL_FULLSCREEN) != 0;
  const bool exclusive = (flags & DDSCL_EXCLUSIVE) != 0;
  const bool normal = (flags & DDSCL_NORMAL) != 0;
  if (fullscreen != exclusive || normal == fullscreen) return DDERR_INVALIDPARAMS;
  if (exclusive && !window) return DDERR_INVALIDPARAMS;
  coopFlags_ = flags;
  if (window) window_ = window;
  if (fullscreen && !windowFullscreen_) {
    SetWindowFullscreen(window_, true);
    windowFullscreen_ = true;
  } else if (!fullscreen) {
    if (windowFullscreen_) SetWindowFullscreen(window_, false);
    windowFullscreen_ = false;
    if (modeSet_ && !SameMode(fullscreenMode_, desktop_)) LoseSurfaces();
    modeSet_ = false;
  }
  return DD_OK;
}

HRESULT DirectDraw::SetDisplayMode(DWORD width, DWORD height, DWORD bpp, DWORD, DWORD) {
  if (!Fullscreen()) return DDERR_NOEXCLUSIVEMODE;
  for (const DDSURFACEDESC2& mode : driver_.modes) {
    if (mode.dwWidth == width && mode.dwHeight == height &&
        mode.ddpfPixelFormat.dwRGBBitCount == bpp) {
      // The monitor keeps its mode; the window shows the picture scaled.
      // Surfaces made for another mode are lost, as on a real mode change.
      if (!SameMode(CurrentMode(), mode)) LoseSurfaces();
      fullscreenMode_ = mode;
      modeSet_ = true;
      return DD_OK;
    }
  }
  return DDERR_INVALIDPARAMS;
}

HRESULT DirectDraw::RestoreAllSurfaces() {
  for (Surface* surface : surfaces_) surface->Restore();
  return DD_OK;
}

HRESULT DirectDraw::TestCooperativeLevel() {
  return DD_OK;
}

void DirectDraw::LoseSurfaces() {
  for (Surface* surface : surfaces_) surface->MarkLost();
}

void DirectDraw::LoseAllSurfaces() {
  for (DirectDraw* directDraw : LiveObjects()) directDraw->LoseSurfaces();
}

// Each surface knows its place in the list, so that a stage of thousands
// of surfaces is torn down without searching it each time.
void DirectDraw::Register(Surface* surface) {
  surface->registryIndex_ = surfaces_.size();
  surfaces_.push_back(surface);
}

void DirectDraw::Unregister(Surface* surface) {
  const size_t index = surface->registryIndex_;
  if (index >= surfaces_.size() || surfaces_[index] != surface) return;
  surfaces_[index] = surfaces_.back();
  surfaces_[index]->registryIndex_ = index;
  surfaces_.pop_back();
}

void DirectDraw::Present(HWND window, const Surface& surface, const RECT& rect) {
  ManageMemory();
  ++useClock_;
  const int w = rect.right - rect.left;
  const int h = rect.bottom - rect.top;
  if (w <= 0 || h <= 0) return;
  const FormatInfo info = DescribeFormat(surface.Format());
  const uint8_t* bits = surface.Bits();
  if ((info.kind == PixelKind::X8R8G8B8 || info.kind == PixelKind::A8R8G8B8) &&
      surface.Pitch() % 4 == 0) {
    // Already the picture's layout (the alpha byte is not read): handed
    // over in place.
    const auto* at =
        reinterpret_cast<const uint32_t*>(bits + static_cast<size_t>(rect.top) * surface.Pitch() +
                                          4 * static_cast<size_t>(rect.left));
    PresentPicture(window, at, w, h, surface.Pitch() / 4);
    return;
  }
  presentBuffer_.resize(static_cast<size_t>(w) * static_cast<size_t>(h));
  const PALETTEENTRY* palette = surface.GetPalette() ? surface.GetPalette()->Entries() : nullptr;
  for (int y = 0; y < h; ++y) {
    const uint8_t* row = bits + static_cast<size_t>(rect.top + y) * surface.Pitch() +
                         static_cast<size_t>(rect.left) * info.bytes;
    uint32_t* out = presentBuffer_.data() + static_cast<size_t>(y) * w;
    if (info.kind == PixelKind::R5G6B5) {
      // The 16-bit display mode is shown every frame: one table look-up each.
      static const std::vector<uint32_t> table = [] {
        std::vector<uint32_t> t(65536);
        const FormatInfo r565 = DescribeFormat(MakePixelFormat(PixelKind::R5G6B5));
        for (uint32_t p = 0; p < 65536; ++p) t[p] = PixelToArgb(r565, p) & 0x00FFFFFF;
        return t;
      }();
      for (int x = 0; x < w; ++x) out[x] = table[ReadPixel(row + x * 2, 2)];
    } else {
      for (int x = 0; x < w; ++x)
        out[x] =
            PixelToArgb(info, ReadPixel(row + x * info.bytes, info.bytes), palette) & 0x00FFFFFF;
    }
  }
  PresentPicture(window, presentBuffer_.data(), w, h, w);
}

// ------------------------------------------------------------------ machine

namespace {

MachineDescription& Machine() {
  static MachineDescription machine;
  return machine;
}

bool& MachineSet() {
  static bool set = false;
  return set;
}

}  // namespace

MachineDescription DefaultMachine() {
  MachineDriver driver;
  driver.primary = true;
  driver.description = "Primary Display Driver";
  driver.name = "display";
  driver.caps.dwSize = sizeof(DDCAPS);
  driver.caps.dwCaps = DDCAPS_3D | DDCAPS_BLT | DDCAPS_BLTCOLORFILL | DDCAPS_BLTSTRETCH;
  driver.caps.dwCaps2 = DDCAPS2_CANRENDERWINDOWED;
  driver.caps.dwVidMemTotal = 64u << 20;
  driver.caps.dwVidMemFree = 64u << 20;
  int w = 640, h = 480;
  DesktopSize(&w, &h);
  const DDPIXELFORMAT x8 = MakePixelFormat(PixelKind::X8R8G8B8);
  driver.modes.push_back(MakeModeDesc(640, 480, MakePixelFormat(PixelKind::R5G6B5)));
  driver.modes.push_back(MakeModeDesc(640, 480, x8));
  if (w != 640 || h != 480)
    driver.modes.push_back(MakeModeDesc(static_cast<DWORD>(w), static_cast<DWORD>(h), x8));
  driver.desktopMode = MakeModeDesc(static_cast<DWORD>(w), static_cast<DWORD>(h), x8);
  MachineDescription machine;
  machine.drivers.push_back(driver);
  return machine;
}

void SetMachine(const MachineDescription& machine) {
  Machine() = machine;
  MachineSet() = true;
}

void ResetMachine() {
  MachineSet() = false;
}

const MachineDescription& CurrentMachine() {
  if (!MachineSet()) {
    Machine() = DefaultMachine();
    MachineSet() = true;
  }
  return Machine();
}

void LoseAllSurfaces() {
  DirectDraw::LoseAllSurfaces();
}

}  // namespace platform

// ------------------------------------------------------------------ entry points

HRESULT WINAPI DirectDrawEnumerateExA(LPDDENUMCALLBACKEXA callback, LPVOID context, DWORD flags) {
  if (!callback) return DDERR_INVALIDPARAMS;
  // Copies: the callback may hold on to the machine while it is replaced.
  const std::vector<platform::MachineDriver> drivers = platform::CurrentMachine().drivers;
  const DWORD secondary =
      DDENUM_ATTACHEDSECONDARYDEVICES | DDENUM_DETACHEDSECONDARYDEVICES | DDENUM_NONDISPLAYDEVICES;
  for (const platform::MachineDriver& driver : drivers) {
    if (!driver.primary && !(flags & secondary)) continue;
    GUID guid = driver.guid;
    std::vector<char> description(driver.description.begin(), driver.description.end());
    description.push_back('\0');
    std::vector<char> name(driver.name.begin(), driver.name.end());
    name.push_back('\0');
    if (!callback(driver.primary ? nullptr : &guid, description.data(), name.data(), context,
                  nullptr))
      break;
  }
  return DD_OK;
}

HRESULT WINAPI DirectDrawCreateEx(GUID* guid, LPVOID* directDraw, REFIID iid, IUnknown* outer) {
  if (!directDraw) return DDERR_INVALIDPARAMS;
  *directDraw = nullptr;
  if (iid != IID_IDirectDraw7 || outer) return DDERR_INVALIDPARAMS;
  const platform::MachineDriver* chosen = nullptr;
  for (const platform::MachineDriver& driver : platform::CurrentMachine().drivers) {
    if (guid ? (!driver.primary && driver.guid == *guid) : driver.primary) {
      chosen = &driver;
      break;
    }
  }
  if (!chosen) return DDERR_INVALIDPARAMS;
  auto* object = new (std::nothrow) platform::DirectDraw(*chosen);
  if (!object) return DDERR_OUTOFMEMORY;
  *directDraw = static_cast<IDirectDraw7*>(object);
  return DD_OK;
}
