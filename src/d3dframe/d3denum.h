// Enumeration of the machine's DirectDraw drivers, their Direct3D devices and
// the display modes each device can render to, and the choice of a default.
#pragma once

#include "d3d7.h"

#define D3DENUMERR_NODIRECTDRAW ((HRESULT)0x81000001)
#define D3DENUMERR_ENUMERATIONFAILED ((HRESULT)0x81000002)
#define D3DENUMERR_SUGGESTREFRAST ((HRESULT)0x81000003)
#define D3DENUMERR_NOCOMPATIBLEDEVICES ((HRESULT)0x81000004)

// The table holds at most this many accepted devices.
const DWORD kMaxEnumDevices = 20;

struct D3DEnum_Device {
  char description[40];
  GUID* deviceGuidPtr;
  D3DDEVICEDESC7 deviceDesc;
  BOOL hardware;
  GUID* driverGuidPtr;
  DDCAPS driverCaps;
  DDCAPS helCaps;
  DDSURFACEDESC2 fullscreenMode;
  BOOL windowed;
  BOOL stereo;
  GUID deviceGuid;
  GUID driverGuid;
  DDSURFACEDESC2* modes;
  DWORD modeCount;
  DWORD currentMode;
  BOOL desktopCompatible;
  BOOL stereoCompatible;
};

typedef HRESULT (*D3DEnum_DeviceTest)(DDCAPS* driverCaps, D3DDEVICEDESC7* deviceDesc);

HRESULT D3DEnum_ListDevices(D3DEnum_DeviceTest deviceTest);
HRESULT D3DEnum_PickDefaultDevice(D3DEnum_Device** device, DWORD flags);
HRESULT D3DEnum_AskUserForDevice(D3DEnum_Device** device);
void D3DEnum_ReleaseLists();
// The table of accepted devices and their count.
void D3DEnum_GetDevices(D3DEnum_Device** devices, DWORD* count);
