#include "d3dframe/d3dapp.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "d3dframe/d3dutil.h"

namespace {

// The one frame object of the process, for the window procedure.
CD3DApplication* g_frameApp = nullptr;

// Process-wide frame state.
LONG g_pauseCount = 0;
BOOL g_windowedApplied = TRUE;
LONG g_savedStyle = 0;
RECT g_savedRect = {0, 0, 0, 0};
FLOAT g_statsLastTime = 0.0f;
DWORD g_statsFrames = 0;
FLOAT g_statsRate = 0.0f;
// An error box has said that the program must exit.
BOOL g_exitAfterError = FALSE;
char g_statsText[80] = "";

LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (g_frameApp) return g_frameApp->MsgProc(window, message, wParam, lParam);
  return DefWindowProcA(window, message, wParam, lParam);
}

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  (void)lParam;
  if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL))
    EndDialog(dialog, TRUE);
  return FALSE;
}

struct ErrorMessage {
  HRESULT hr;
  const char* text;
};

const ErrorMessage kErrorMessages[] = {
    {D3DENUMERR_NODIRECTDRAW, "Could not create DirectDraw!"},
    {D3DENUMERR_ENUMERATIONFAILED,
     "Enumeration failed. Your system may be in an\nunstable state and need to be rebooted"},
    {D3DENUMERR_SUGGESTREFRAST,
     "Could not find any compatible devices.\n\nTry enabling the reference rasterizer using\n"
     "EnableRefRast.reg."},
    {D3DENUMERR_NOCOMPATIBLEDEVICES, "Could not find any compatible Direct3D\ndevices."},
    {D3DFWERR_INITIALIZATIONFAILED,
     "Generic initialization error.\n\nEnable debug output for detailed information."},
    {D3DFWERR_NODIRECTDRAW, "No DirectDraw"},
    {D3DFWERR_COULDNTSETCOOPLEVEL, "Could not set Cooperative Level"},
    {D3DFWERR_NODIRECT3D, "No Direct3D"},
    {D3DFWERR_NO3DDEVICE, "Could not create the Direct3DDevice object."},
    {D3DFWERR_NOZBUFFER, "No ZBuffer"},
    {D3DFWERR_INVALIDZBUFFERDEPTH,
     "Invalid Z-buffer depth. Try switching modes\nfrom 16- to 32-bit (or vice versa)"},
    {D3DFWERR_NOVIEWPORT, "No Viewport"},
    {D3DFWERR_NOPRIMARY, "No primary"},
    {D3DFWERR_NOCLIPPER, "No Clipper"},
    {D3DFWERR_BADDISPLAYMODE, "Bad display mode"},
    {D3DFWERR_NOBACKBUFFER, "No backbuffer"},
    {D3DFWERR_NONZEROREFCOUNT,
     "A DDraw object has a non-zero reference\ncount (meaning it was not properly cleaned up)."},
    {D3DFWERR_NORENDERTARGET, "No render target"},
    {D3DFWERR_INVALIDMODE,
     "This sample requires a 16-bit (or higher) display mode\nto run in a window.\n\nPlease "
     "switch your desktop settings accordingly."},
    {DDERR_OUTOFVIDEOMEMORY, "There was insufficient video memory to use the\nhardware device."},
    {E_OUTOFMEMORY, "Not enough memory!"},
};

}  // namespace

UINT D3DApp_ErrorText(HRESULT hr, DWORD kind, char* text, size_t size) {
  const char* message =
      "Generic application error.\n\nEnable debug output for detailed information.";
  for (const ErrorMessage& entry : kErrorMessages)
    if (entry.hr == hr) message = entry.text;
  std::snprintf(text, size, "%s", message);
  if (kind == MSGERR_APPMUSTEXIT) {
    std::snprintf(text + std::strlen(text), size - std::strlen(text),
                  "\n\nThis sample will now exit.");
    return MB_ICONERROR;
  }
  if (kind == MSGWARN_SWITCHEDTOSOFTWARE) {
    if (hr == D3DFWERR_NO3DDEVICE)
      std::snprintf(text + std::strlen(text), size - std::strlen(text),
                    "\nThe 3D hardware chipset may not support\nrendering in the current "
                    "display mode.");
    std::snprintf(text + std::strlen(text), size - std::strlen(text),
                  "\n\nSwitching to software rasterizer.");
  }
  return MB_ICONWARNING;
}

CD3DApplication::CD3DApplication()
    : m_framework(nullptr),
      m_active(FALSE),
      m_ready(FALSE),
      m_frameMoving(TRUE),
      m_singleStep(FALSE),
      m_baseTime(0),
      m_stopTime(0),
      m_window(nullptr),
      m_deviceInfo(nullptr),
      m_directDraw(nullptr),
      m_direct3D(nullptr),
      m_device(nullptr),
      m_renderTarget(nullptr),
      m_renderTargetDesc(),
      m_title("Direct3D Application"),
      m_useZBuffer(FALSE),
      m_showStats(FALSE),
      m_confirmDevice(nullptr) {
  g_frameApp = this;
  g_pauseCount = 0;
  g_exitAfterError = FALSE;
  g_windowedApplied = TRUE;
  g_statsLastTime = 0.0f;
  g_statsFrames = 0;
  g_statsRate = 0.0f;
  g_statsText[0] = '\0';
}

CD3DApplication::~CD3DApplication() {
  // The window procedure must not reach a frame that is gone.
  if (g_frameApp == this) g_frameApp = nullptr;
  delete m_framework;
  m_framework = nullptr;
}

const char* CD3DApplication::StatisticsText() {
  return g_statsText;
}

HRESULT CD3DApplication::Create(HINSTANCE instance, const char* commandLine) {
  (void)commandLine;
  HRESULT hr = D3DEnum_ListDevices(m_confirmDevice);
  if (FAILED(hr)) {
    ReportError(hr, MSGERR_APPMUSTEXIT);
    return hr;
  }
  hr = D3DEnum_PickDefaultDevice(&m_deviceInfo, 0);
  if (FAILED(hr)) {
    ReportError(hr, MSGERR_APPMUSTEXIT);
    return hr;
  }
  hr = OneTimeSceneInit();
  if (FAILED(hr)) {
    ReportError(hr, MSGERR_APPMUSTEXIT);
    return hr;
  }
  m_framework = new (std::nothrow) CD3DDisplay();
  if (!m_framework) {
    ReportError(E_OUTOFMEMORY, MSGERR_APPMUSTEXIT);
    return E_OUTOFMEMORY;
  }

  WNDCLASSA windowClass;
  windowClass.style = 0;
  windowClass.lpfnWndProc = WndProc;
  windowClass.cbClsExtra = 0;
  windowClass.cbWndExtra = 0;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(101));
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  windowClass.lpszMenuName = nullptr;
  windowClass.lpszClassName = "D3D Window";
  RegisterClassA(&windowClass);

  m_window = CreateWindowExA(0, "D3D Window", m_title, WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                             CW_USEDEFAULT, CW_USEDEFAULT, 640, 480, nullptr,
                             LoadMenuA(instance, MAKEINTRESOURCEA(141)), instance, nullptr);
  UpdateWindow(m_window);

  hr = BuildDisplay();
  if (FAILED(hr)) {
    ReportError(hr, MSGERR_APPMUSTEXIT);
    TearDownDisplay();
    return E_FAIL;
  }
  m_baseTime = timeGetTime();
  m_ready = TRUE;
  return S_OK;
}

INT CD3DApplication::Run() {
  HACCEL accelerators = LoadAcceleratorsA(nullptr, MAKEINTRESOURCEA(113));
  MSG msg;
  std::memset(&msg, 0, sizeof(msg));
  PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
  while (msg.message != WM_QUIT) {
    BOOL gotMessage =
        m_active ? PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE) : GetMessageA(&msg, nullptr, 0, 0);
    if (gotMessage) {
      if (!TranslateAcceleratorA(m_window, accelerators, &msg)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
      }
    } else if (m_active && m_ready) {
      if (FAILED(RenderFrame())) DestroyWindow(m_window);
    }
  }
  return static_cast<INT>(msg.wParam);
}

HRESULT CD3DApplication::RenderFrame() {
  HRESULT hr = m_directDraw->TestCooperativeLevel();
  if (FAILED(hr)) {
    if (hr == DDERR_EXCLUSIVEMODEALREADYSET || hr == DDERR_NOEXCLUSIVEMODE) return S_OK;
    if (hr == DDERR_WRONGMODE && Windowed()) return RebuildDisplay();
    return hr;
  }

  FLOAT appTime = static_cast<DWORD>(timeGetTime() - m_baseTime) * 0.001f;
  if (m_frameMoving || m_singleStep) {
    hr = FrameMove(appTime);
    if (FAILED(hr)) return hr;
    m_singleStep = FALSE;
  }
  hr = Render();
  if (FAILED(hr)) return hr;
  if (m_showStats) DrawStatistics();

  if (m_framework->PresentFrame() == DDERR_SURFACELOST) {
    m_framework->RestoreSurfaces();
    RestoreSurfaces();
  }
  return S_OK;
}

void CD3DApplication::Pause(BOOL pause) {
  g_pauseCount += pause ? 1 : -1;
  m_ready = g_pauseCount == 0 ? TRUE : FALSE;
  if (pause && g_pauseCount == 1) {
    if (m_framework) m_framework->FlipToGDISurface(TRUE);
    if (m_frameMoving) m_stopTime = timeGetTime();
  }
  if (g_pauseCount == 0 && m_frameMoving) m_baseTime += timeGetTime() - m_stopTime;
}

LRESULT CD3DApplication::OnQuerySuspend(DWORD flags) {
  (void)flags;
  Pause(TRUE);
  return TRUE;
}

LRESULT CD3DApplication::OnResumeSuspend(DWORD data) {
  (void)data;
  Pause(FALSE);
  return TRUE;
}

HRESULT CD3DApplication::BuildDisplay() {
  DWORD flags = 0;
  if (!m_deviceInfo->windowed) flags |= D3DFW_FULLSCREEN;
  if (m_useZBuffer) flags |= D3DFW_ZBUFFER;

  HRESULT hr =
      m_framework->Initialize(m_window, m_deviceInfo->driverGuidPtr, m_deviceInfo->deviceGuidPtr,
                              &m_deviceInfo->fullscreenMode, flags);
  if (SUCCEEDED(hr)) {
    m_directDraw = m_framework->GetDirectDraw();
    m_direct3D = m_framework->GetDirect3D();
    m_device = m_framework->GetD3DDevice();
    m_renderTarget = m_framework->GetRenderSurface();
    std::memset(&m_renderTargetDesc, 0, sizeof(m_renderTargetDesc));
    m_renderTargetDesc.dwSize = 124;
    m_renderTarget->GetSurfaceDesc(&m_renderTargetDesc);
    hr = InitDeviceObjects();
    if (SUCCEEDED(hr)) return S_OK;
    DeleteDeviceObjects();
    m_framework->DestroyObjects();
  }

  // A hardware device that fails gives way to the software device.
  if (m_deviceInfo->hardware) {
    ReportError(hr, MSGWARN_SWITCHEDTOSOFTWARE);
    D3DEnum_PickDefaultDevice(&m_deviceInfo, 1);
    return BuildDisplay();
  }
  return hr;
}

HRESULT CD3DApplication::RebuildDisplay() {
  DeleteDeviceObjects();
  HRESULT hr = m_framework->DestroyObjects();
  if (FAILED(hr)) {
    ReportError(hr, MSGERR_APPMUSTEXIT);
    SendMessageA(m_window, WM_CLOSE, 0, 0);
    return hr;
  }

  if (m_deviceInfo->windowed != g_windowedApplied) {
    if (!m_deviceInfo->windowed) {
      g_savedStyle = GetWindowLongA(m_window, GWL_STYLE);
      GetWindowRect(m_window, &g_savedRect);
      SetWindowLongA(m_window, GWL_STYLE, static_cast<LONG>(WS_POPUP | WS_SYSMENU | WS_VISIBLE));
    } else {
      SetWindowLongA(m_window, GWL_STYLE, g_savedStyle);
      SetWindowPos(m_window, HWND_NOTOPMOST, g_savedRect.left, g_savedRect.top,
                   g_savedRect.right - g_savedRect.left, g_savedRect.bottom - g_savedRect.top,
                   SWP_SHOWWINDOW);
    }
    g_windowedApplied = m_deviceInfo->windowed;
  }

  hr = BuildDisplay();
  if (FAILED(hr)) {
    ReportError(hr, MSGERR_APPMUSTEXIT);
    SendMessageA(m_window, WM_CLOSE, 0, 0);
    return hr;
  }

  // With the clock stopped, one frame is still moved to redraw the scene.
  if (!m_frameMoving) {
    m_singleStep = TRUE;
    DWORD now = timeGetTime();
    m_baseTime += now - m_stopTime;
    m_stopTime = now;
  }
  return S_OK;
}

void CD3DApplication::TearDownDisplay() {
  m_active = FALSE;
  m_ready = FALSE;
  if (m_framework) {
    DeleteDeviceObjects();
    delete m_framework;
    m_framework = nullptr;
    // The copies of the framework's interfaces went with it.
    m_directDraw = nullptr;
    m_direct3D = nullptr;
    m_device = nullptr;
    m_renderTarget = nullptr;
    LastCleanup();
  }
  D3DEnum_ReleaseLists();
}

LRESULT CD3DApplication::MsgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      if (m_framework && !m_ready) {
        if (Windowed())
          m_framework->PresentFrame();
        else
          m_framework->FlipToGDISurface(TRUE);
      }
      break;

    case WM_MOVE:
      if (m_framework && m_active && m_ready && Windowed())
        m_framework->Move(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
      break;

    case WM_SIZE:
      m_active = (wParam == SIZE_MAXHIDE || wParam == SIZE_MINIMIZED) ? FALSE : TRUE;
      if (m_active && m_ready && Windowed()) {
        m_ready = FALSE;
        if (FAILED(RebuildDisplay())) return 0;
        m_ready = TRUE;
      }
      break;

    case WM_SETCURSOR:
      if (m_active && m_ready && !Windowed()) {
        SetCursor(nullptr);
        return TRUE;
      }
      break;

    case WM_ENTERSIZEMOVE:
      if (m_frameMoving) m_stopTime = timeGetTime();
      break;

    case WM_EXITSIZEMOVE:
      if (m_frameMoving) m_baseTime += timeGetTime() - m_stopTime;
      break;

    case WM_CONTEXTMENU: {
      HMENU menu = LoadMenuA(nullptr, MAKEINTRESOURCEA(142));
      HMENU popup = GetSubMenu(menu, 0);
      TrackPopupMenuEx(popup, TPM_RIGHTBUTTON, static_cast<short>(LOWORD(lParam)),
                       static_cast<short>(HIWORD(lParam)), window, nullptr);
      break;
    }

    case WM_NCHITTEST:
      if (!Windowed()) return HTCLIENT;
      break;

    case WM_POWERBROADCAST:
      if (wParam == PBT_APMQUERYSUSPEND) return OnQuerySuspend(static_cast<DWORD>(lParam));
      if (wParam == PBT_APMRESUMESUSPEND) return OnResumeSuspend(static_cast<DWORD>(lParam));
      break;

    case WM_SYSCOMMAND:
      // No moving, sizing, maximising or monitor power-down in full-screen.
      if ((wParam == SC_MOVE || wParam == SC_SIZE || wParam == SC_MAXIMIZE ||
           wParam == SC_MONITORPOWER) &&
          !Windowed())
        return 1;
      break;

    case WM_GETMINMAXINFO:
      reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize.x = 100;
      reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize.y = 100;
      break;

    case WM_ENTERMENULOOP:
      Pause(TRUE);
      break;

    case WM_EXITMENULOOP:
      Pause(FALSE);
      break;

    case WM_CLOSE:
      DestroyWindow(window);
      return 0;

    case WM_DESTROY:
      TearDownDisplay();
      // After an error box that ends the program the exit status is a
      // failure, not 0: scripts and launchers see that it did not run.
      PostQuitMessage(g_exitAfterError ? 1 : 0);
      return 0;

    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDM_ABOUT:
          Pause(TRUE);
          DialogBoxParamA(reinterpret_cast<HINSTANCE>(GetModuleHandleA(nullptr)),
                          MAKEINTRESOURCEA(143), window, AboutProc, 0);
          Pause(FALSE);
          return 0;

        case IDM_CHANGEDEVICE:
          if (m_active && m_ready) {
            Pause(TRUE);
            if (SUCCEEDED(D3DEnum_AskUserForDevice(&m_deviceInfo))) {
              if (FAILED(RebuildDisplay())) return 0;
            }
            Pause(FALSE);
          }
          return 0;

        case IDM_TOGGLEFULLSCREEN:
          if (m_active && m_ready) {
            m_ready = FALSE;
            m_deviceInfo->windowed = !m_deviceInfo->windowed;
            if (SUCCEEDED(RebuildDisplay())) m_ready = TRUE;
          }
          return 0;

        case IDM_TOGGLESTART:
          m_frameMoving = !m_frameMoving;
          if (m_frameMoving)
            m_baseTime += timeGetTime() - m_stopTime;
          else
            m_stopTime = timeGetTime();
          break;

        case IDM_SINGLESTEP:
          if (!m_frameMoving) m_baseTime += timeGetTime() - (m_stopTime + 100);
          m_stopTime = timeGetTime();
          m_frameMoving = FALSE;
          m_singleStep = TRUE;
          break;

        case IDM_EXIT:
          SendMessageA(window, WM_CLOSE, 0, 0);
          return 0;
      }
      break;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

void CD3DApplication::DrawStatistics() {
  FLOAT time = timeGetTime() * 0.001f;
  ++g_statsFrames;
  if (time - g_statsLastTime > 1.0f) {
    g_statsRate = g_statsFrames / (time - g_statsLastTime);
    g_statsLastTime = time;
    g_statsFrames = 0;
  }
  std::snprintf(g_statsText, sizeof(g_statsText), "%7.02f fps (%dx%dx%d)", g_statsRate,
                static_cast<int>(m_renderTargetDesc.dwWidth),
                static_cast<int>(m_renderTargetDesc.dwHeight),
                static_cast<int>(m_renderTargetDesc.ddpfPixelFormat.dwRGBBitCount));
  DrawTextAt(0, 0, g_statsText);
}

void CD3DApplication::DrawTextAt(int x, int y, const char* text) {
  if (!m_renderTarget) return;
  HDC dc;
  if (SUCCEEDED(m_renderTarget->GetDC(&dc))) {
    SetTextColor(dc, RGB(255, 255, 0));
    SetBkMode(dc, TRANSPARENT);
    ExtTextOutA(dc, x, y, 0, nullptr, text, static_cast<UINT>(std::strlen(text)), nullptr);
    m_renderTarget->ReleaseDC(dc);
  }
}

void CD3DApplication::ReportError(HRESULT hr, DWORD kind) {
  char text[512];
  UINT type = D3DApp_ErrorText(hr, kind, text, sizeof(text));
  if (kind == MSGERR_APPMUSTEXIT) g_exitAfterError = TRUE;
  MessageBoxA(nullptr, text, m_title, type);
}
