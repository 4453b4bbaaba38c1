#include "Typist.h"

#include <cctype>
#include <string>

#include "Classes/IScene.h"
#include "Classes/SceneGame/Target.h"
#include "support/StageInspector.h"
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

bool Typist::Chance(double p) {
  return p > 0 && std::uniform_real_distribution<double>(0.0, 1.0)(m_random) < p;
}

int Typist::OddKey() {
  static const UINT kKeyDowns[] = {VK_TAB, VK_RETURN, VK_BACK, VK_SPACE, VK_F1, VK_LEFT};
  static const char kOdd[] = "0123456789 !\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}~";
  switch (std::uniform_int_distribution<int>(0, 3)(m_random)) {
    case 0: {
      const UINT key = kKeyDowns[std::uniform_int_distribution<int>(0, 5)(m_random)];
      return key == VK_TAB      ? 9
             : key == VK_RETURN ? 13
             : key == VK_BACK   ? 8
             : key == VK_SPACE  ? ' '
                                : kKeyDownOnly + key;
    }
    case 1:
      return std::uniform_int_distribution<int>(0x80, 0xFF)(m_random);
    default:
      return kOdd[std::uniform_int_distribution<int>(0, sizeof kOdd - 2)(m_random)];
  }
}

int Typist::Look(CSceneGame& stage, uint32_t nowMs) {
  CSceneGame::CImpl& impl = CSceneGameInspector::Impl(stage);
  for (const auto& entry : impl.m_letterTargets) m_firstSeen.emplace(entry.second, nowMs);
  int kills = 0;
  for (const auto& seen : m_firstSeen)
    if (seen.first->IsDead()) ++kills;
  if (m_style.stopAfterKills >= 0 && kills >= m_style.stopAfterKills) return 0;
  if (nowMs < m_nextKeyMs) return 0;

  const uint32_t interval = static_cast<uint32_t>(1000.0 / m_style.charsPerSecond);
  int key = 0;
  if (CTarget* locked = impl.m_activeTarget) {
    const std::string rest = locked->GetRemainingText();
    if (rest.empty()) return 0;
    // A bullet that would arrive before this word is finished is worth
    // breaking off for: the word can be typed again afterwards.
    if (!IsBullet(locked)) {
      const int stageTime = static_cast<int>(impl.m_time);
      for (const auto& entry : impl.m_letterTargets) {
        CTarget* other = entry.second;
        if (!IsBullet(other) || nowMs - m_firstSeen[other] < m_style.reactionMs) continue;
        if (other->GetEnd() - stageTime < static_cast<int>((rest.size() + 2) * interval)) {
          key = kEscapeKey;
          ++m_ledger.bulletEscapes;
          break;
        }
      }
    }
    if (!key && Chance(m_style.escapeRate)) key = kEscapeKey;
    if (!key) key = static_cast<unsigned char>(rest[0]);
  } else if (CTarget* target = Choose(stage, nowMs)) {
    char initial = target->GetText()[0];
    if (Chance(m_style.shiftRate)) initial = Upper(initial);
    key = static_cast<unsigned char>(initial);
  }
  if (!key) return 0;
  if (key != kEscapeKey && Chance(m_style.oddKeyRate)) {
    key = OddKey();
    ++m_ledger.wrongKeys;
  } else if (key != kEscapeKey && Chance(m_style.errorRate)) {
    char wrong;
    do {
      wrong = static_cast<char>('a' + std::uniform_int_distribution<int>(0, 25)(m_random));
    } while (wrong == Lower(static_cast<char>(key)));
    key = static_cast<unsigned char>(wrong);
    ++m_ledger.wrongKeys;
  }
  Note(stage, key);
  m_nextKeyMs = nowMs + interval;
  return key;
}

CTarget* Typist::Choose(CSceneGame& stage, uint32_t nowMs) {
  CTarget* best = nullptr;
  for (const auto& entry : CSceneGameInspector::Impl(stage).m_letterTargets) {
    CTarget* target = entry.second;
    if (nowMs - m_firstSeen[target] < m_style.reactionMs) continue;
    if (!best ||
        (IsBullet(target) != IsBullet(best) ? IsBullet(target) : target->GetEnd() < best->GetEnd()))
      best = target;
  }
  return best;
}

void Typist::Note(CSceneGame& stage, int key) {
  CSceneGame::CImpl& impl = CSceneGameInspector::Impl(stage);
  ++m_ledger.keys;
  if (key == kEscapeKey) {
    ++m_ledger.escapes;
    return;
  }
  if (key >= kKeyDownOnly) return;
  CTarget* target = impl.m_activeTarget;
  const unsigned typed = target ? target->GetTyped() : 0;
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
  if (key == kEscapeKey) return platform::InjectKeyDown(window, VK_ESCAPE);
  if (key >= kKeyDownOnly) return platform::InjectKeyDown(window, key - kKeyDownOnly);
  if (key == 8 || key == 9 || key == 13)
    return platform::InjectKeyDown(window, key == 8 ? VK_BACK : key == 9 ? VK_TAB : VK_RETURN);
  std::string text;
  if (key >= 0x80) {
    text += static_cast<char>(0xC0 | (key >> 6));
    text += static_cast<char>(0x80 | (key & 0x3F));
  } else {
    text += static_cast<char>(key);
  }
  if (std::isalpha(key)) platform::InjectKeyDown(window, static_cast<UINT>(Upper(text[0])));
  platform::InjectText(window, text.c_str());
}

int SceneKey(int key) {
  if (key == kEscapeKey) return KeyEscape;
  if (key >= kKeyDownOnly) return 0;
  return static_cast<signed char>(key);
}

}  // namespace replay
