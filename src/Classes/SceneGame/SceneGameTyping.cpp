// The typing rules of the game scene: which target a typed key locks, how
// keys reach the locked target, and how targets take and return their
// initial letters.
#include <cassert>
#include <cctype>

#include "Classes/IScene.h"
#include "Classes/SceneGame/SceneGame.h"
#include "Classes/SceneGame/SceneGameImpl.h"
#include "Classes/SceneGame/Sight.h"
#include "Classes/SceneGame/Target.h"
#include "Classes/SceneGame/WordGenerator.h"
#include "ScopeTrace.h"

namespace {

char Lower(char c) {
  return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

}  // namespace

void CSceneGame::ActivateTarget(CTarget* target) {
  CScopeTrace trace("CSceneGame::ActivateTarget()");
  CImpl* impl = m_impl;
  [[maybe_unused]] const char initial = Lower(target->GetInitial());
  assert(impl->m_letterTargets.find(initial) == impl->m_letterTargets.end() && "FALSE");
  // With every letter held there is no word to give: the target is not
  // activated in this frame.
  if (impl->m_freeLetters.empty()) return;
  std::string word = impl->m_wordGenerator->GetWord(impl->m_freeLetters, target->GetWordMin(),
                                                    target->GetWordMax());
  // No free letter has a word (or the word does not start with a free
  // letter): no word is handed out and the target tries again later.
  if (word.empty() || impl->m_freeLetters.count(Lower(word[0])) == 0) return;
  target->SetText(word);
  impl->m_freeLetters.erase(Lower(word[0]));
  impl->m_letterTargets[Lower(target->GetInitial())] = target;
}

void CSceneGame::DeactivateTarget(CTarget* target) {
  CScopeTrace trace("CSceneGame::DeactivateTarget()");
  CImpl* impl = m_impl;
  char initial = Lower(target->GetInitial());
  std::map<char, CTarget*>::iterator found = impl->m_letterTargets.find(initial);
  if (found == impl->m_letterTargets.end()) return;
  // A shot target is deactivated again when its window ends; by then its
  // letter may belong to another target, whose entry must stay.
  if (found->second != target) return;
  if (impl->m_activeTarget == target) {
    impl->m_activeTarget = NULL;
    if (impl->m_sight) impl->m_sight->Hide();
  }
  impl->m_letterTargets.erase(found);
  impl->m_freeLetters.insert(Lower(target->GetText()[0]));
}

void CSceneGame::CatchKey(int key) {
  CScopeTrace trace("CSceneGame::CatchKey()");
  CImpl* impl = m_impl;
  CTarget* prev = impl->m_activeTarget;
  if (key == KeyEscape) {
    impl->m_activeTarget = NULL;
    if (prev) prev->OnUnlock();
    if (impl->m_sight) impl->m_sight->Hide();
    return;
  }
  if (!impl->m_activeTarget) {
    std::map<char, CTarget*>::iterator found =
        impl->m_letterTargets.find(Lower(static_cast<char>(key)));
    if (found != impl->m_letterTargets.end()) {
      impl->m_activeTarget = found->second;
      impl->m_activeTarget->OnLock();
    }
  }
  if (!impl->m_activeTarget) {
    if (impl->m_sight) impl->m_sight->Hide();
    return;
  }
  if (impl->m_sight) impl->m_sight->AimAt(impl->m_activeTarget);
  impl->m_activeTarget->OnKey(static_cast<char>(key));
}
