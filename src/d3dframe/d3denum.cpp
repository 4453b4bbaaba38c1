#include "d3dframe/d3denum.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "d3dframe/d3dutil.h"

namespace {

const char* const kSourceFile = "src\\d3dframe\\d3denum";
const DWORD kCapsSize = 380;

D3DEnum_Device g_devices[kMaxEnumDevices];
DWORD g_deviceCount = 0;
DWORD g_devicesSeen = 0;
D3DEnum_DeviceTest g_deviceTest = nullptr;

// The driver being enumerated: its description, GUID, caps and modes.
struct DriverRecord {
  D3DEnum_Device info;
  DDSURFACEDESC2* modes;
  DWORD modeCount;
  DWORD modeCapacity;
};

void CopyDescription(char* dest, const char* src) {
  // At most 38 characters and the terminator.
  lstrcpynA(dest, src ? src : "", 39);
}

HRESULT WINAPI OnModeFound(LPDDSURFACEDESC2 desc, LPVOID context) {
  DriverRecord* driver = static_cast<DriverRecord*>(context);
  if (driver->modeCount == driver->modeCapacity) {
    DWORD capacity = driver->modeCapacity ? driver->modeCapacity * 2 : 16;
    DDSURFACEDESC2* grown = new (std::nothrow) DDSURFACEDESC2[capacity];
    if (!grown) return DDENUMRET_CANCEL;
    if (driver->modeCount)
      std::memcpy(grown, driver->modes, driver->modeCount * sizeof(DDSURFACEDESC2));
    delete[] driver->modes;
    driver->modes = grown;
    driver->modeCapacity = capacity;
  }
  driver->modes[driver->modeCount++] = *desc;
  return DDENUMRET_OK;
}

int CompareModes(const void* first, const void* second) {
  const DDSURFACEDESC2* a = static_cast<const DDSURFACEDESC2*>(first);
  const DDSURFACEDESC2* b = static_cast<const DDSURFACEDESC2*>(second);
  if (a->dwWidth != b->dwWidth) return a->dwWidth < b->dwWidth ? -1 : 1;
  if (a->dwHeight != b->dwHeight) return a->dwHeight < b->dwHeight ? -1 : 1;
  if (a->ddpfPixelFormat.dwRGBBitCount != b->ddpfPixelFormat.dwRGBBitCount)
    return a->ddpfPixelFormat.dwRGBBitCount < b->ddpfPixelFormat.dwRGBBitCount ? -1 : 1;
  return 0;
}

HRESULT CALLBACK OnDeviceFound(char* description, char* name, D3DDEVICEDESC7* deviceDesc,
                               void* context) {
  (void)description;
  DriverRecord* driver = static_cast<DriverRecord*>(context);
  ++g_devicesSeen;
  // Devices beyond the table's capacity are dropped.
  if (g_deviceCount >= kMaxEnumDevices) return DDENUMRET_OK;

  D3DEnum_Device* device = &g_devices[g_deviceCount];
  std::memset(device, 0, sizeof(*device));
  device->hardware = (deviceDesc->dwDevCaps & D3DDEVCAPS_HWRASTERIZATION) ? TRUE : FALSE;
  std::memcpy(&device->deviceDesc, deviceDesc, sizeof(D3DDEVICEDESC7));
  device->desktopCompatible = driver->info.desktopCompatible;
  device->driverCaps = driver->info.driverCaps;
  device->helCaps = driver->info.helCaps;
  device->deviceGuid = deviceDesc->deviceGUID;
  device->deviceGuidPtr = &device->deviceGuid;
  device->modes = new (std::nothrow) DDSURFACEDESC2[driver->modeCount ? driver->modeCount : 1];
  if (!device->modes) return DDENUMRET_OK;

  if (driver->info.driverGuidPtr == nullptr) {
    device->driverGuidPtr = nullptr;
    CopyDescription(device->description, name);
  } else {
    device->driverGuid = driver->info.driverGuid;
    device->driverGuidPtr = &device->driverGuid;
    CopyDescription(device->description, driver->info.description);
  }

  bool dropped = false;
  if (device->driverGuidPtr && !device->hardware) dropped = true;
  if (!dropped && g_deviceTest && FAILED(g_deviceTest(&device->driverCaps, deviceDesc)))
    dropped = true;

  if (!dropped) {
    DWORD depths = deviceDesc->dwDeviceRenderBitDepth;
    for (DWORD i = 0; i < driver->modeCount; ++i) {
      const DDSURFACEDESC2& mode = driver->modes[i];
      DWORD bits = mode.ddpfPixelFormat.dwRGBBitCount;
      bool renders = (bits == 32 && (depths & DDBD_32)) || (bits == 24 && (depths & DDBD_24)) ||
                     (bits == 16 && (depths & DDBD_16));
      if (!renders) continue;
      device->modes[device->modeCount++] = mode;
      if (mode.ddsCaps.dwCaps2 & DDSCAPS2_STEREOSURFACELEFT) device->stereoCompatible = TRUE;
    }
    if (device->modeCount == 0) dropped = true;
  }
  if (dropped) {
    delete[] device->modes;
    std::memset(device, 0, sizeof(*device));
    return DDENUMRET_OK;
  }

  for (DWORD i = 0; i < device->modeCount; ++i) {
    const DDSURFACEDESC2& mode = device->modes[i];
    if (mode.dwWidth == 640 && mode.dwHeight == 480 && mode.ddpfPixelFormat.dwRGBBitCount == 16) {
      device->fullscreenMode = mode;
      device->currentMode = i;
    }
  }
  device->windowed = device->desktopCompatible;
  ++g_deviceCount;
  return DDENUMRET_OK;
}

BOOL WINAPI OnDriverFound(GUID* driverGuid, LPSTR description, LPSTR name, LPVOID context,
                          HMONITOR monitor) {
  (void)name;
  (void)context;
  (void)monitor;
  LPDIRECTDRAW7 directDraw = nullptr;
  if (FAILED(DirectDrawCreateEx(driverGuid, reinterpret_cast<void**>(&directDraw), IID_IDirectDraw7,
                                nullptr))) {
    DEBUG_MSG(kSourceFile, "Can't create DDraw during enumeration!");
    return DDENUMRET_OK;
  }
  LPDIRECT3D7 direct3D = nullptr;
  if (FAILED(directDraw->QueryInterface(IID_IDirect3D7, reinterpret_cast<void**>(&direct3D)))) {
    directDraw->Release();
    DEBUG_MSG(kSourceFile, "Can't query IDirect3D7 during enumeration!");
    return DDENUMRET_OK;
  }

  DriverRecord driver;
  std::memset(&driver, 0, sizeof(driver));
  CopyDescription(driver.info.description, description);
  driver.info.driverCaps.dwSize = kCapsSize;
  driver.info.helCaps.dwSize = kCapsSize;
  directDraw->GetCaps(&driver.info.driverCaps, &driver.info.helCaps);
  if (driverGuid) {
    driver.info.driverGuid = *driverGuid;
    driver.info.driverGuidPtr = &driver.info.driverGuid;
  }
  driver.info.desktopCompatible =
      ((driver.info.driverCaps.dwCaps2 & DDCAPS2_CANRENDERWINDOWED) && !driverGuid) ? TRUE : FALSE;

  directDraw->EnumDisplayModes(0, nullptr, &driver, OnModeFound);
  if (driver.modeCount)
    std::qsort(driver.modes, driver.modeCount, sizeof(DDSURFACEDESC2), CompareModes);
  direct3D->EnumDevices(OnDeviceFound, &driver);

  delete[] driver.modes;
  direct3D->Release();
  directDraw->Release();
  return DDENUMRET_OK;
}

// Without a dialog template this never runs; it only closes the dialog.
INT_PTR CALLBACK ChangeDeviceProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  (void)lParam;
  if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
    EndDialog(dialog, IDCANCEL);
    return TRUE;
  }
  return FALSE;
}

BOOL IsGuid(const GUID& a, const GUID& b) {
  return IsEqualGUID(a, b);
}

}  // namespace

HRESULT D3DEnum_ListDevices(D3DEnum_DeviceTest deviceTest) {
  // A new enumeration starts from an empty table.
  D3DEnum_ReleaseLists();
  g_devicesSeen = 0;
  g_deviceTest = deviceTest;
  DirectDrawEnumerateExA(
      OnDriverFound, nullptr,
      DDENUM_ATTACHEDSECONDARYDEVICES | DDENUM_DETACHEDSECONDARYDEVICES | DDENUM_NONDISPLAYDEVICES);
  if (g_devicesSeen == 0) {
    DEBUG_MSG(kSourceFile, "No devices and/or modes were enumerated!");
    return D3DENUMERR_ENUMERATIONFAILED;
  }
  if (g_deviceCount == 0) {
    DEBUG_MSG(kSourceFile, "No enumerated devices were accepted!");
    DEBUG_MSG(kSourceFile, "Try enabling the D3D Reference Rasterizer.");
    return D3DENUMERR_SUGGESTREFRAST;
  }
  return S_OK;
}

HRESULT D3DEnum_PickDefaultDevice(D3DEnum_Device** device, DWORD flags) {
  if (!device) return E_INVALIDARG;
  D3DEnum_Device* tnlHardware = nullptr;
  D3DEnum_Device* hardware = nullptr;
  D3DEnum_Device* reference = nullptr;
  D3DEnum_Device* software = nullptr;
  for (DWORD i = 0; i < g_deviceCount; ++i) {
    D3DEnum_Device* candidate = &g_devices[i];
    if (!candidate->desktopCompatible) continue;
    if (candidate->hardware) {
      if (IsGuid(candidate->deviceGuid, IID_IDirect3DTnLHalDevice))
        tnlHardware = candidate;
      else
        hardware = candidate;
    } else {
      if (IsGuid(candidate->deviceGuid, IID_IDirect3DRefDevice))
        reference = candidate;
      else
        software = candidate;
    }
  }
  D3DEnum_Device* chosen = nullptr;
  if (!(flags & 0x1)) chosen = tnlHardware ? tnlHardware : hardware;
  if (!chosen) chosen = software;
  if (!chosen) chosen = reference;
  if (!chosen) return D3DENUMERR_NOCOMPATIBLEDEVICES;
  chosen->windowed = TRUE;
  *device = chosen;
  return S_OK;
}

HRESULT D3DEnum_AskUserForDevice(D3DEnum_Device** device) {
  (void)device;
  // The program carries no device-change dialog template, so the dialog
  // never opens and nothing changes.
  INT_PTR result =
      DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(144), GetForegroundWindow(),
                      ChangeDeviceProc, reinterpret_cast<LPARAM>(device));
  return result == IDOK ? S_OK : E_FAIL;
}

void D3DEnum_ReleaseLists() {
  for (DWORD i = 0; i < g_deviceCount; ++i) {
    delete[] g_devices[i].modes;
    g_devices[i].modes = nullptr;
    g_devices[i].modeCount = 0;
  }
  g_deviceCount = 0;
}

void D3DEnum_GetDevices(D3DEnum_Device** devices, DWORD* count) {
  if (devices) *devices = g_devices;
  if (count) *count = g_deviceCount;
}
