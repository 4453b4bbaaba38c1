// The game scene's private state, shared by the scene's own sources (the
// scene, the typing rules and the on-screen keyboard).
#pragma once

#include <list>
#include <map>
#include <set>
#include <utility>
#include <vector>

#include "Classes/SceneGame/CameraPath.h"
#include "Classes/SceneGame/NHClasses.h"
#include "Classes/SceneGame/SceneGame.h"
#include "d3d7.h"

class CObject;
class CSight;
class CTarget;
class CWordGenerator;

class CSceneGame::CImpl {
 public:
  explicit CImpl(CSceneGame* owner);
  ~CImpl();

  void DrawKeyboard();

  DWORD m_time;
  CTarget* m_activeTarget;
  CSceneGame* m_owner;
  std::map<char, CTarget*> m_letterTargets;
  std::list<CObject*> m_objects;
  std::set<char> m_freeLetters;
  // Every distinct renderer of the visible objects, in the order they were
  // made (the drawing order).
  std::set<IRenderer*, RendererCreationOrder> m_renderers;
  D3DVECTOR m_eye;
  D3DVECTOR m_worldUp;
  D3DVECTOR m_lookAt;
  CCameraPath* m_cameraPath;
  DWORD m_startTime;
  bool m_started;
  bool m_alive;
  CSight* m_sight;
  CWordGenerator* m_wordGenerator;
  bool m_showKeyboard;
  // Objects that asked to leave the stage (a bullet that has passed the
  // camera): they are no longer moved; their renderers are already inactive.
  std::set<CObject*> m_invalidated;
  // Whether the drawing order went to the debugger output (first frame).
  bool m_orderReported;
};

// The keys of the on-screen keyboard: 30 grid rows of 64 cells over the lower
// half of the viewport, each holding the code of the key drawn there (0: none).
int KeyboardCode(int row, int column);

// The cells (column, row) lit for a set of key codes, in drawing order
// (column by column, top to bottom within a column).
std::vector<std::pair<int, int>> KeyboardLitCells(const std::set<int>& codes);
