// The application frame: picks a display device, creates the window, builds
// and rebuilds the 3D environment, runs the message loop with the application
// clock, pauses, draws the statistics line and reports framework errors. The
// program's subclass overrides the scene hooks and the message hook.
#pragma once

#include "d3d7.h"
#include "d3dframe/d3denum.h"
#include "d3dframe/d3dframe.h"

// Window menu commands the frame understands.
#define IDM_ABOUT 40001
#define IDM_CHANGEDEVICE 40002
#define IDM_TOGGLEFULLSCREEN 40003
#define IDM_TOGGLESTART 40004
#define IDM_SINGLESTEP 40005
#define IDM_EXIT 40006

// The kinds of error message: the program exits, or it switches to software.
#define MSGERR_APPMUSTEXIT 1
#define MSGWARN_SWITCHEDTOSOFTWARE 2

// Builds the message box text for a framework error code and returns the
// message box type (MB_ICONERROR for kind 1, MB_ICONWARNING otherwise).
UINT D3DApp_ErrorText(HRESULT hr, DWORD kind, char* text, size_t size);

class CD3DApplication {
 public:
  CD3DApplication();
  virtual ~CD3DApplication();

  virtual HRESULT OneTimeSceneInit() { return S_OK; }
  virtual HRESULT InitDeviceObjects() { return S_OK; }
  virtual HRESULT DeleteDeviceObjects() { return S_OK; }
  virtual HRESULT Render() { return S_OK; }
  virtual HRESULT FrameMove(FLOAT appTimeSeconds) {
    (void)appTimeSeconds;
    return S_OK;
  }
  virtual HRESULT RestoreSurfaces() { return S_OK; }
  virtual HRESULT LastCleanup() { return S_OK; }
  virtual LRESULT OnQuerySuspend(DWORD flags);
  virtual LRESULT OnResumeSuspend(DWORD data);
  virtual HRESULT Create(HINSTANCE instance, const char* commandLine);
  virtual INT Run();
  virtual LRESULT MsgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  virtual void Pause(BOOL pause);

  // The statistics line last drawn (empty before the first).
  static const char* StatisticsText();

  CD3DApplication(const CD3DApplication&) = delete;
  CD3DApplication& operator=(const CD3DApplication&) = delete;

 protected:
  HRESULT RenderFrame();
  HRESULT BuildDisplay();
  HRESULT RebuildDisplay();
  void TearDownDisplay();
  void DrawStatistics();
  void DrawTextAt(int x, int y, const char* text);
  void ReportError(HRESULT hr, DWORD kind);
  // The chosen device's windowed flag; messages that arrive before a device
  // is chosen see a window.
  BOOL Windowed() const { return m_deviceInfo ? m_deviceInfo->windowed : TRUE; }

  CD3DDisplay* m_framework;
  BOOL m_active;
  BOOL m_ready;
  BOOL m_frameMoving;
  BOOL m_singleStep;
  DWORD m_baseTime;
  DWORD m_stopTime;
  HWND m_window;
  D3DEnum_Device* m_deviceInfo;
  LPDIRECTDRAW7 m_directDraw;
  LPDIRECT3D7 m_direct3D;
  LPDIRECT3DDEVICE7 m_device;
  LPDIRECTDRAWSURFACE7 m_renderTarget;
  DDSURFACEDESC2 m_renderTargetDesc;
  const char* m_title;
  BOOL m_useZBuffer;
  BOOL m_showStats;
  HRESULT (*m_confirmDevice)(DDCAPS* caps, D3DDEVICEDESC7* deviceDesc);
};
