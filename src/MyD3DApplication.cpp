#include "MyD3DApplication.h"

#include "Application.h"
#include "Classes/SceneManager.h"
#include "ScopeTrace.h"
#include "d3dframe/d3dframe.h"

namespace {

const char kKeyDownTrace[] =
    "TD3DAppForm1::FormKeyDown(TObject *Sender, WORD &Key,TShiftState Shift)";
const char kKeyPressTrace[] = "TD3DAppForm1::FormKeyPress(TObject *Sender, char &Key)";

}  // namespace

CMyD3DApplication::CMyD3DApplication() {
  m_title = "Voskar -Night Harrow Typing Game.-";
  m_useZBuffer = TRUE;
  m_showStats = TRUE;
  m_confirmDevice = AcceptDevice;
}

HRESULT CMyD3DApplication::OneTimeSceneInit() {
  return CApplication::GetInstance()->OneTimeSceneInit();
}

HRESULT CMyD3DApplication::InitDeviceObjects() {
  return CApplication::GetInstance()->InitDeviceObjects(
      m_directDraw, m_direct3D, m_device, m_renderTarget, m_renderTargetDesc,
      m_framework->GetFrontBuffer(), m_framework->GetBackBuffer(), 640, 480);
}

HRESULT CMyD3DApplication::DeleteDeviceObjects() {
  return CApplication::GetInstance()->DeleteDeviceObjects();
}

HRESULT CMyD3DApplication::Render() {
  return CApplication::GetInstance()->Render();
}

HRESULT CMyD3DApplication::FrameMove(float time) {
  return CApplication::GetInstance()->FrameMove(time);
}

LRESULT CMyD3DApplication::MsgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_KEYDOWN) {
    if (wParam != VK_ESCAPE) {
      // Other keys reach the scenes as WM_CHAR; the frame never sees their key-down.
      CScopeTrace trace(kKeyDownTrace);
      return 0;
    }
    CScopeTrace trace(kKeyDownTrace);
    CApplication::GetInstance()->GetSceneManager()->CatchKey(KeyEscape);
  } else if (message == WM_CHAR) {
    CScopeTrace trace(kKeyPressTrace);
    // The character byte as a signed 8-bit value: bytes 0x80-0xFF arrive negative.
    int key = static_cast<signed char>(static_cast<unsigned char>(wParam & 0xFF));
    CApplication::GetInstance()->GetSceneManager()->CatchKey(key);
  }
  return CD3DApplication::MsgProc(window, message, wParam, lParam);
}

HRESULT CMyD3DApplication::AcceptDevice(DDCAPS* /*caps*/, D3DDEVICEDESC7* deviceDesc) {
  if ((deviceDesc->dpcTriCaps.dwSrcBlendCaps & D3DPBLENDCAPS_ONE) &&
      (deviceDesc->dpcTriCaps.dwDestBlendCaps & D3DPBLENDCAPS_ONE))
    return S_OK;
  return E_FAIL;
}
