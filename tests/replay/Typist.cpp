#include "Typist.h"

#include <cctype>
#include <string>

#include "Classes/IScene.h"
#include "Classes/SceneGame/Target.h"
#include "ReplayGame.h"
#include "testing.h"

namespace replay {
namespace {

char Upper(char c) {
  return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

char Lower(char c) {
  return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool IsBullet(CTarget* target) {
  return target->GetText().size() == 1;
}

}  // namespace

Typist::Typist(const TypistStyle& style) : m_style(style), m_random(style.seed) {}

int Typist::Look(CSceneGame& stage, uint32_t nowMs) {
  CSceneGame::CImpl& impl = CSceneGameInspector::Impl(stage);
  for (const auto& entry : impl.m_letterTargets) m_firstSeen.emplace(entry.second, nowMs);
  m_kills = 0;
  for (const auto& seen : m_firstSeen)
    if (seen.first->IsDead()) ++m_kills;
  if (m_style.stopAfterKills >= 0 && m_kills >= m_style.stopAfterKills) return 0;
  if (nowMs < m_nextKeyMs) return 0;

  const uint32_t interval = static_cast<uint32_t>(1000.0 / m_style.charsPerSecond);
  std::uniform_real_distribution<double> chance(0.0, 1.0);
  int key = 0;
  if (CTarget* locked = impl.m_activeTarget) {
    std::string rest = locked->GetRemainingText();
    if (rest.empty()) return 0;
    // A bullet that would arrive before this word is finished is worth
    // breaking off for: the word can be typed again afterwards.
    if (!IsBullet(locked)) {
      int stageTime = static_cast<int>(impl.m_time);
      for (const auto& entry : impl.m_letterTargets) {
        CTarget* other = entry.second;
        if (!IsBullet(other) || nowMs - m_firstSeen[other] < m_style.reactionMs) continue;
        int left = other->GetEnd() - stageTime;
        int needed = static_cast<int>((rest.size() + 2) * interval);
        if (left < needed) {
          key = KeyEscape;
          ++m_ledger.bulletEscapes;
          break;
        }
      }
    }
    if (!key && chance(m_random) < m_style.escapeRate) key = KeyEscape;
    if (!key) key = static_cast<unsigned char>(rest[0]);
  } else if (CTarget* target = Choose(stage, nowMs)) {
    key = static_cast<unsigned char>(target->GetText()[0]);
  }
  if (!key) return 0;
  if (key != KeyEscape && chance(m_random) < m_style.errorRate) {
    key = static_cast<unsigned char>(Mistype(static_cast<char>(key)));
    ++m_ledger.wrongKeys;
  }
  Note(stage, key);
  m_nextKeyMs = nowMs + interval;
  return key;
}

CTarget* Typist::Choose(CSceneGame& stage, uint32_t nowMs) {
  CSceneGame::CImpl& impl = CSceneGameInspector::Impl(stage);
  CTarget* best = nullptr;
  for (const auto& entry : impl.m_letterTargets) {
    CTarget* target = entry.second;
    if (nowMs - m_firstSeen[target] < m_style.reactionMs) continue;
    if (!best) {
      best = target;
    } else if (IsBullet(target) != IsBullet(best)) {
      if (IsBullet(target)) best = target;
    } else if (target->GetEnd() < best->GetEnd()) {
      best = target;
    }
  }
  return best;
}

char Typist::Mistype(char intended) {
  std::uniform_int_distribution<int> letter(0, 25);
  char wrong;
  do {
    wrong = static_cast<char>('a' + letter(m_random));
  } while (wrong == Lower(intended));
  return wrong;
}

void Typist::Note(CSceneGame& stage, int key) {
  CSceneGame::CImpl& impl = CSceneGameInspector::Impl(stage);
  ++m_ledger.keys;
  if (key == KeyEscape) {
    ++m_ledger.escapes;
    return;
  }
  CTarget* target = impl.m_activeTarget;
  unsigned typed = target ? target->GetTyped() : 0;
  if (!target) {
    auto found = impl.m_letterTargets.find(Lower(static_cast<char>(key)));
    if (found == impl.m_letterTargets.end()) return;
    target = found->second;
  }
  ++m_ledger.shots;
  const std::string& text = target->GetText();
  if (typed < text.size() && Upper(text[typed]) == Upper(static_cast<char>(key))) ++m_ledger.hits;
}

void PressKey(HWND window, int key) {
  if (key == KeyEscape) {
    platform::InjectKeyDown(window, VK_ESCAPE);
    return;
  }
  char text[2] = {static_cast<char>(key), 0};
  if (std::isalpha(static_cast<unsigned char>(key)))
    platform::InjectKeyDown(window, static_cast<UINT>(Upper(text[0])));
  platform::InjectText(window, text);
}

}  // namespace replay
