#include "Classes/SceneManager.h"

#include <stack>

#include "Classes/SceneGame/SceneGame.h"
#include "Classes/SceneTitle.h"
#include "DebugReport.h"

bool CSceneNull::Draw() {
  return true;
}

void CSceneNull::Move(unsigned long) {}

void CSceneNull::CatchKey(int) {}

bool CSceneNull::IsAlive() {
  return false;
}

class CSceneManager::CImpl {
 public:
  IScene* m_current;            // owned; never null
  std::stack<IScene*> m_stack;  // owned; pushed and not yet current
};

CSceneManager::CSceneManager() : m_impl(new CImpl) {
  m_impl->m_current = new CSceneNull;
}

CSceneManager::~CSceneManager() {
  while (!m_impl->m_stack.empty()) {
    delete m_impl->m_stack.top();
    m_impl->m_stack.pop();
  }
  delete m_impl->m_current;
  delete m_impl;
}

void CSceneManager::PushScene(IScene* scene) {
  DebugReport("CSceneManager::PushScene");
  m_impl->m_stack.push(scene);
}

void CSceneManager::Move(unsigned long time) {
  m_impl->m_current->Move(time);
  if (m_impl->m_current->IsAlive()) return;

  DebugReport("CSceneManager::Move drive to next scene.");
  if (m_impl->m_stack.empty()) {
    // The finished scene stays current and is moved and drawn until something
    // is pushed.
    DebugReport("Stack under run.");
    return;
  }
  delete m_impl->m_current;
  m_impl->m_current = m_impl->m_stack.top();
  m_impl->m_stack.pop();

  if (dynamic_cast<CSceneGame*>(m_impl->m_current)) DebugReport("next is CSceneGame");
  if (dynamic_cast<CSceneTitle*>(m_impl->m_current)) DebugReport("next is CSceneTitle");
  if (dynamic_cast<CSceneNull*>(m_impl->m_current)) DebugReport("next is CSceneNull");
}

bool CSceneManager::Draw() {
  return m_impl->m_current->Draw();
}

void CSceneManager::CatchKey(int key) {
  m_impl->m_current->CatchKey(key);
}
