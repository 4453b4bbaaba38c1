// The game core: a process-wide singleton between the application frame and
// the game. It keeps the current DirectDraw / Direct3D objects, registers the
// shared textures, sets the fixed device state, owns the scene manager and the
// player status, and per frame clears the screen, draws the sky and lets the
// scene manager move and draw the current scene.
#pragma once

#include "Classes/SceneGame/NHClasses.h"
#include "d3d7.h"

class CSceneManager;

class CApplication {
 public:
  // The singleton, created with new on the first call and never destroyed.
  static CApplication* GetInstance();

  HRESULT OneTimeSceneInit();
  HRESULT InitDeviceObjects(LPDIRECTDRAW7 directDraw, LPDIRECT3D7 direct3D,
                            LPDIRECT3DDEVICE7 device, LPDIRECTDRAWSURFACE7 renderTarget,
                            DDSURFACEDESC2 renderTargetDesc, LPDIRECTDRAWSURFACE7 frontBuffer,
                            LPDIRECTDRAWSURFACE7 backBuffer, DWORD width, DWORD height);
  HRESULT DeleteDeviceObjects();
  HRESULT Render();
  HRESULT FrameMove(float time);
  HRESULT DrawBackground();
  void ResetGame();

  LPDIRECT3DDEVICE7 GetDevice() { return m_device; }
  LPDIRECTDRAW7 GetDirectDraw() { return m_directDraw; }
  CSceneManager* GetSceneManager() { return m_sceneManager; }
  CPlayerStatus* GetPlayerStatus() { return &m_playerStatus; }

 private:
  CApplication();
  CApplication(const CApplication&) = delete;
  CApplication& operator=(const CApplication&) = delete;

  LPDIRECTDRAW7 m_directDraw;
  LPDIRECT3D7 m_direct3D;
  LPDIRECT3DDEVICE7 m_device;
  LPDIRECTDRAWSURFACE7 m_renderTarget;
  DDSURFACEDESC2 m_renderTargetDesc;
  D3DTLVERTEX m_skyVertices[4];
  LPDIRECTDRAWSURFACE7 m_frontBuffer;
  LPDIRECTDRAWSURFACE7 m_backBuffer;
  DWORD m_width;
  DWORD m_height;
  CSceneManager* m_sceneManager;
  CPlayerStatus m_playerStatus;
};
