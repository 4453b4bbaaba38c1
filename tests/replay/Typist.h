// A simulated player. It looks only at what the stage shows (the words of the
// active targets and which one is locked, as the game scene's letter map
// holds them), waits a reaction time after a word appears, picks a target —
// bullets first, then the word that will leave soonest — and types at a
// steady speed. A careless style adds wrong letters, Escape, keys no word
// asks for (Tab, Enter, Backspace, F1, digits, punctuation, bytes above
// 0x7F) and Shift.
//
// For every key it sends it also notes, from the same picture, whether the
// key reaches a locked target and whether it is the right letter: the counts
// the score screen must show.
#pragma once

#include <cstdint>
#include <map>
#include <random>

#include "Classes/SceneGame/SceneGame.h"
#include "win32.h"

class CTarget;

namespace replay {

// What Look returns besides a character byte (1-255) and 0 (no key).
const int kEscapeKey = 256;     // the Escape key
const int kKeyDownOnly = 4096;  // + a virtual-key code: a key that types no character

struct TypistStyle {
  double charsPerSecond = 5.0;
  // From a word's appearance to the first key aimed at it.
  uint32_t reactionMs = 400;
  // Chances, for each key, of a wrong letter instead of the intended one, of
  // Escape while a word is locked, and of a key no word asks for.
  double errorRate = 0.0;
  double escapeRate = 0.0;
  double oddKeyRate = 0.0;
  // Chance of typing an initial in upper case.
  double shiftRate = 0.0;
  // Words shot down before the typist stops touching the keyboard (-1: never).
  int stopAfterKills = -1;
  uint32_t seed = 1;
};

struct TypistLedger {
  int keys = 0;           // keys sent, Escape included
  int escapes = 0;        // Escape presses
  int shots = 0;          // keys that reached a locked target
  int hits = 0;           // of those, the right next letter
  int wrongKeys = 0;      // wrong letters and odd keys typed on purpose
  int bulletEscapes = 0;  // Escapes to turn to an incoming bullet
};

class Typist {
 public:
  explicit Typist(const TypistStyle& style);

  // Looks at the stage after a frame was drawn (nowMs: any clock in
  // milliseconds) and returns the key to press now, or 0.
  int Look(CSceneGame& stage, uint32_t nowMs);

  const TypistLedger& Ledger() const { return m_ledger; }

 private:
  CTarget* Choose(CSceneGame& stage, uint32_t nowMs);
  int OddKey();
  bool Chance(double p);
  void Note(CSceneGame& stage, int key);

  TypistStyle m_style;
  std::mt19937 m_random;
  std::map<CTarget*, uint32_t> m_firstSeen;
  uint32_t m_nextKeyMs = 0;
  TypistLedger m_ledger;
};

// Sends a key from Look through the window's message queue the way the
// keyboard does: Escape, Tab, Enter, Backspace and key-down-only keys as key
// presses, letters as a key press and their text, other bytes as text
// (bytes above 0x7F as the Latin-1 character's UTF-8).
void PressKey(HWND window, int key);
// The key as the game scene receives it from the frame (CatchKey), or 0 for
// a key that reaches no scene.
int SceneKey(int key);

}  // namespace replay
