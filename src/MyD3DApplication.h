// The game's frame subclass: sets the window caption and the frame options,
// accepts or rejects 3D devices, forwards every scene hook to the game core
// and turns Escape and typed characters into key presses for the scenes.
#pragma once

#include "d3dframe/d3dapp.h"

class CMyD3DApplication : public CD3DApplication {
 public:
  CMyD3DApplication();

  HRESULT OneTimeSceneInit() override;
  HRESULT InitDeviceObjects() override;
  HRESULT DeleteDeviceObjects() override;
  HRESULT Render() override;
  HRESULT FrameMove(float time) override;
  LRESULT MsgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

  // Device acceptance: both blend-factor caps of triangles must offer ONE.
  static HRESULT AcceptDevice(DDCAPS* caps, D3DDEVICEDESC7* deviceDesc);
};
