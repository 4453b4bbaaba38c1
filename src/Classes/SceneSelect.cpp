#include "Classes/SceneSelect.h"

#include <cctype>

#include "Application.h"
#include "Classes/SceneManager.h"
#include "Classes/ScreenQuad.h"
#include "ScopeTrace.h"
#include "d3dframe/d3dtextr.h"

namespace {

// One row of the difficulty table.
struct Level {
  int key;
  const char* sceneFile;
  const char* pathFile;
  const char* wordList;
  bool keyboard;
};

const Level kLevels[] = {
    {'e', "Data\\scene10e.txt", "Data\\path10.txt", "Data\\easy.txt", true},
    {'n', "Data\\scene10e.txt", "Data\\path10.txt", "Data\\normal.txt", false},
    {'d', "Data\\scene10d.txt", "Data\\path10.txt", "Data\\difficult.txt", false},
};

GameSceneFactory g_gameSceneFactory = CreateGameScene;

// tolower for the key codes the scenes receive: only A-Z change; Escape (256)
// and negative character codes are outside what tolower may be given.
int LowerKey(int key) {
  return (key >= 'A' && key <= 'Z') ? tolower(key) : key;
}

}  // namespace

GameSceneFactory SetGameSceneFactory(GameSceneFactory factory) {
  GameSceneFactory previous = g_gameSceneFactory;
  g_gameSceneFactory = factory;
  return previous;
}

struct CSceneSelect::Impl {
  bool m_alive = true;
  D3DTLVERTEX m_vertices[4];
};

CSceneSelect::CSceneSelect() : m_impl(new Impl) {
  CScopeTrace trace("CSceneSelect::CSceneSelect");
  InitScreenQuad(m_impl->m_vertices);
}

CSceneSelect::~CSceneSelect() {
  delete m_impl;
}

bool CSceneSelect::Draw() {
  CScopeTrace trace("CSceneSelect::Draw");
  LPDIRECT3DDEVICE7 device = CApplication::GetInstance()->GetDevice();
  device->BeginScene();
  DrawScreenQuad(device, m_impl->m_vertices, D3DTextr_GetSurface("LevelSelect.bmp"));
  device->SetRenderState(D3DRENDERSTATE_ZENABLE, TRUE);
  device->EndScene();
  return true;
}

void CSceneSelect::Move(unsigned long /*time*/) {
  CScopeTrace trace("CSceneSelect::Move");
}

void CSceneSelect::CatchKey(int key) {
  if (!m_impl->m_alive) return;
  int lowered = LowerKey(key);
  for (const Level& level : kLevels) {
    if (lowered != level.key) continue;
    // The game scene reads its content files while this key is handled.
    IScene* game = g_gameSceneFactory(std::string(level.sceneFile), std::string(level.pathFile),
                                      std::string(level.wordList), level.keyboard);
    CApplication::GetInstance()->GetSceneManager()->PushScene(game);
    m_impl->m_alive = false;
    return;
  }
}

bool CSceneSelect::IsAlive() {
  return m_impl->m_alive;
}
