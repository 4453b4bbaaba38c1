// The game scene seen from outside: read access to its private state, and the
// check of its letter books (every letter a-z is either free or held by
// exactly one active target whose word begins with it, and the locked target
// is one of the holders).
#pragma once

#include <cctype>
#include <set>
#include <string>

#include "Classes/SceneGame/SceneGame.h"
#include "Classes/SceneGame/SceneGameImpl.h"
#include "Classes/SceneGame/Target.h"

// Friend of CSceneGame: read access to its private state.
class CSceneGameInspector {
 public:
  static CSceneGame::CImpl& Impl(CSceneGame& scene) { return *scene.m_impl; }
};

namespace support {

// Empty when the letter books are consistent, else what is wrong.
inline std::string LetterBooksProblem(CSceneGame& scene) {
  CSceneGame::CImpl& impl = CSceneGameInspector::Impl(scene);
  std::set<CTarget*> holders;
  for (char c = 'a'; c <= 'z'; ++c) {
    const bool isFree = impl.m_freeLetters.count(c) != 0;
    const auto held = impl.m_letterTargets.find(c);
    const bool isHeld = held != impl.m_letterTargets.end();
    if (isFree == isHeld)
      return std::string("letter ") + c + (isFree ? " is both free and held" : " is lost");
    if (!isHeld) continue;
    CTarget* target = held->second;
    if (!target) return std::string("letter ") + c + " is held by nothing";
    if (!holders.insert(target).second) return "a target holds two letters";
    if (!target->IsActive() || target->IsDead())
      return std::string("letter ") + c + " is held by a finished target";
    const std::string& word = target->GetText();
    if (word.empty() || std::tolower(static_cast<unsigned char>(word[0])) != c)
      return std::string("letter ") + c + " is held by the word \"" + word + "\"";
  }
  if (impl.m_freeLetters.size() + impl.m_letterTargets.size() != 26)
    return "characters other than a-z in the letter books";
  if (impl.m_activeTarget && !holders.count(impl.m_activeTarget))
    return "the locked target holds no letter";
  return std::string();
}

}  // namespace support
