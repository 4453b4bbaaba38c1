// A simulated player. It looks only at what the stage shows (the words of the
// active targets and which one is locked, as the game scene's letter map
// holds them), waits a reaction time after a word appears, picks a target —
// bullets first, then the word that will leave soonest — and types at a
// steady speed with some wrong keys. It presses Escape to break off a long
// word when a bullet is about to arrive, and now and then for no reason.
//
// For every key it sends it also notes, from the same picture, whether the
// key reaches a locked target and whether it is the right letter: the
// counts the score screen must show.
#pragma once

#include <cstdint>
#include <map>
#include <random>
#include <set>

#include "Classes/SceneGame/SceneGame.h"

class CTarget;

namespace replay {

struct TypistStyle {
  double charsPerSecond = 5.0;
  // Share of keys that are a wrong letter instead of the intended one.
  double errorRate = 0.0;
  // From a word's appearance to the first key aimed at it.
  uint32_t reactionMs = 400;
  // Chance, for each key while a word is locked, of pressing Escape instead.
  double escapeRate = 0.0;
  // Words shot down before the typist stops touching the keyboard (-1: never
  // stops).
  int stopAfterKills = -1;
  uint32_t seed = 1;
};

struct TypistLedger {
  int keys = 0;           // keys sent, Escape included
  int escapes = 0;        // Escape presses
  int shots = 0;          // keys that reached a locked target
  int hits = 0;           // of those, the right next letter
  int wrongKeys = 0;      // keys typed wrong on purpose
  int bulletEscapes = 0;  // Escapes to turn to an incoming bullet
};

class Typist {
 public:
  explicit Typist(const TypistStyle& style);

  // Looks at the stage after a frame was drawn (nowMs: application time) and
  // returns the key to press now: a character, 256 for Escape, or 0.
  int Look(CSceneGame& stage, uint32_t nowMs);

  const TypistLedger& Ledger() const { return m_ledger; }
  int Kills() const { return m_kills; }

 private:
  CTarget* Choose(CSceneGame& stage, uint32_t nowMs);
  char Mistype(char intended);
  void Note(CSceneGame& stage, int key);

  TypistStyle m_style;
  std::mt19937 m_random;
  std::map<CTarget*, uint32_t> m_firstSeen;
  std::set<CTarget*> m_lockedBefore;
  uint32_t m_nextKeyMs = 0;
  int m_kills = 0;
  CTarget* m_aim = nullptr;
  TypistLedger m_ledger;
};

// Sends one key through the window's message queue the way the keyboard
// does: Escape as a key press, characters as text.
void PressKey(HWND window, int key);

}  // namespace replay
