#include "Classes/SceneGame/SceneGame.h"

#include <cctype>
#include <cstdio>
#include <string>
#include <typeinfo>

#include "Application.h"
#include "Classes/SceneGame/NHClasses.h"
#include "Classes/SceneGame/SceneGameImpl.h"
#include "Classes/SceneGame/Sight.h"
#include "Classes/SceneGame/Target.h"
#include "Classes/SceneGame/WordGenerator.h"
#include "Classes/SceneManager.h"
#include "Classes/SceneScore.h"
#include "Classes/SceneSelect.h"
#include "FileInterpreter.h"
#include "ScopeTrace.h"
#include "d3dframe/d3dutil.h"

namespace {

// Writes the stage's drawing order to the debugger output as the renderers'
// class names, repeats counted ("CGroundRenderer x49, CBuildingRenderer, ...").
// Written once per stage, at its first frame, so that the order can be
// compared between builds.
void ReportDrawingOrder(const std::set<IRenderer*, RendererCreationOrder>& renderers) {
  std::string text = "CSceneGame: drawing order:";
  std::string last;
  int repeats = 0;
  auto flush = [&] {
    if (!repeats) return;
    text += (text.back() == ':' ? " " : ", ") + last;
    if (repeats > 1) text += " x" + std::to_string(repeats);
  };
  for (IRenderer* renderer : renderers) {
    // The compiler's name of a class outside any namespace is its length
    // followed by the name.
    std::string name = typeid(*renderer).name();
    size_t digits = 0;
    while (digits < name.size() && std::isdigit(static_cast<unsigned char>(name[digits]))) ++digits;
    if (digits < name.size()) name.erase(0, digits);
    if (name != last) {
      flush();
      last = name;
      repeats = 0;
    }
    ++repeats;
  }
  flush();
  text += "\n";
  OutputDebugStringA(text.c_str());
}

}  // namespace

CSceneGame::CImpl::CImpl(CSceneGame* owner)
    : m_time(0),
      m_activeTarget(NULL),
      m_owner(owner),
      m_eye(MakeVector(0.0f, 1.0f, -5.0f)),
      m_worldUp(MakeVector(0.0f, 1.0f, 0.0f)),
      m_lookAt(MakeVector(0.0f, 1.0f, 0.0f)),
      m_cameraPath(new CCameraPath()),
      m_startTime(0),
      m_started(false),
      m_alive(true),
      m_sight(NULL),
      m_wordGenerator(NULL),
      m_showKeyboard(false),
      m_orderReported(false) {}

CSceneGame::CImpl::~CImpl() {
  delete m_wordGenerator;
  delete m_cameraPath;
}

CSceneGame::CSceneGame(const std::string& sceneFile, const std::string& pathFile,
                       const std::string& wordFile, bool showKeyboard)
    : m_impl(new CImpl(this)) {
  CScopeTrace trace("CSceneGame::CSceneGame()");
  m_impl->m_sight = NULL;
  m_impl->m_time = 0;
  m_impl->m_eye = MakeVector(0.0f, 1.0f, -5.0f);
  m_impl->m_started = false;
  m_impl->m_showKeyboard = showKeyboard;
  m_impl->m_alive = true;
  LoadFromFile(sceneFile, pathFile);
  m_impl->m_wordGenerator = new CWordGenerator(wordFile);
  for (const char* c = "abcdefghijklmnopqrstuvwxyz"; *c; ++c) m_impl->m_freeLetters.insert(*c);
}

CSceneGame::~CSceneGame() {
  {
    CScopeTrace trace("CSceneGame::~CSceneGame");
    for (CObject* object : m_impl->m_objects) delete object;
    m_impl->m_objects.clear();
  }
  delete m_impl;
}

void CSceneGame::LoadFromFile(const std::string& sceneFile, const std::string& pathFile) {
  CScopeTrace trace("CSceneGame::LoadFromFile()");
  Clear();
  CFileInterpreter::InterpretScene(this, sceneFile);
  CFileInterpreter::InterpretPath(this, pathFile);
  m_impl->m_started = false;
  m_impl->m_time = 0;
  m_impl->m_activeTarget = NULL;
  m_impl->m_sight = new CSight(this);
  AddObject(m_impl->m_sight);
}

void CSceneGame::AddObject(CObject* object) {
  CScopeTrace trace("CSceneGame::AddObject()");
  m_impl->m_objects.push_back(object);
  IVisibleObject* visible = dynamic_cast<IVisibleObject*>(object);
  if (visible) m_impl->m_renderers.insert(visible->GetRenderer());
}

void CSceneGame::Move(unsigned long timeMs) {
  CScopeTrace trace("CSceneGame::Move()");
  if (!m_impl->m_started) {
    m_impl->m_startTime = static_cast<DWORD>(timeMs);
    m_impl->m_started = true;
  }
  m_impl->m_time = static_cast<DWORD>(timeMs) - m_impl->m_startTime;
  m_impl->m_cameraPath->Step(*this);

  D3DMATRIX view;
  D3DKit_SetIdentityMatrix(view);
  D3DKit_SetViewMatrix(view, m_impl->m_eye, m_impl->m_lookAt, m_impl->m_worldUp);
  LPDIRECT3DDEVICE7 device = CApplication::GetInstance()->GetDevice();
  if (device) device->SetTransform(D3DTRANSFORMSTATE_VIEW, &view);

  // A bullet fired during the walk is appended to the list and reached in
  // this same walk, with the same time.
  for (CObject* object : m_impl->m_objects) {
    if (m_impl->m_invalidated.count(object)) continue;
    object->Move(static_cast<int>(m_impl->m_time));
  }
}

bool CSceneGame::Draw() {
  CScopeTrace trace("CSceneGame::Draw()");
  LPDIRECT3DDEVICE7 device = CApplication::GetInstance()->GetDevice();
  if (device) device->BeginScene();
  if (!m_impl->m_orderReported) {
    ReportDrawingOrder(m_impl->m_renderers);
    m_impl->m_orderReported = true;
  }
  int calls = 0;
  for (IRenderer* renderer : m_impl->m_renderers) {
    renderer->RenderOpaque();
    ++calls;
  }
  for (IRenderer* renderer : m_impl->m_renderers) {
    renderer->RenderTransparent();
    ++calls;
  }
  if (m_impl->m_showKeyboard) m_impl->DrawKeyboard();
  if (device) device->EndScene();
  char line[64];
  std::snprintf(line, sizeof line, "visible object:%d", calls);
  Message(line);
  return true;
}

bool CSceneGame::IsAlive() {
  return m_impl->m_alive;
}

void CSceneGame::Die(CObject* object) {
  CScopeTrace trace("CSceneGame::Die()");
  m_impl->m_activeTarget = NULL;
  if (m_impl->m_sight) m_impl->m_sight->Hide();
  CTarget* target = dynamic_cast<CTarget*>(object);
  if (target) DeactivateTarget(target);
}

void CSceneGame::Invalidate(CObject* object) {
  CScopeTrace trace("CSceneGame::Invalidate()");
  // A shot target keeps being moved and shows its last explosion frame; a
  // target that was not shot (a bullet that has passed the camera) leaves the
  // stage: it is no longer moved, and its renderer is already inactive.
  CTarget* target = dynamic_cast<CTarget*>(object);
  if (target && !target->IsDead() && !target->IsActive()) m_impl->m_invalidated.insert(object);
}

void CSceneGame::StageClear() {
  CScopeTrace trace("CSceneGame::StageClear()");
  m_impl->m_alive = false;
  Clear();
  CSceneManager* manager = CApplication::GetInstance()->GetSceneManager();
  if (manager) manager->PushScene(new CSceneScore());
}

void CSceneGame::Clear() {
  for (CObject* object : m_impl->m_objects) delete object;
  m_impl->m_objects.clear();
  m_impl->m_invalidated.clear();
  m_impl->m_cameraPath->ClearKeys();
  // The renderers belonged to the deleted objects; the set must not keep
  // pointers to them, nor the scene to a deleted sight or target.
  m_impl->m_renderers.clear();
  m_impl->m_sight = NULL;
  m_impl->m_activeTarget = NULL;
  for (const auto& entry : m_impl->m_letterTargets) m_impl->m_freeLetters.insert(entry.first);
  m_impl->m_letterTargets.clear();
}

DWORD CSceneGame::GetTime() {
  return m_impl->m_time;
}

void CSceneGame::GetCamera(D3DVECTOR& eye, D3DVECTOR& lookAt, D3DVECTOR& worldUp) {
  eye = m_impl->m_eye;
  lookAt = m_impl->m_lookAt;
  worldUp = m_impl->m_worldUp;
}

void CSceneGame::SetCamera(const D3DVECTOR& eye, const D3DVECTOR& lookAt,
                           const D3DVECTOR& worldUp) {
  m_impl->m_eye = eye;
  m_impl->m_lookAt = lookAt;
  m_impl->m_worldUp = worldUp;
}

void CSceneGame::AddCameraKey(CameraKey* key) {
  m_impl->m_cameraPath->Add(key);
}

// The stage the level select scene hands over to.
IScene* CreateGameScene(const std::string& sceneFile, const std::string& pathFile,
                        const std::string& wordList, bool keyboard) {
  return new CSceneGame(sceneFile, pathFile, wordList, keyboard);
}
