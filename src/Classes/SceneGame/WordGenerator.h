// The word generator: the words of a word list grouped by initial letter and
// shuffled once, handed out for whichever initial letters are free, so that no
// two active targets start with the same letter.
#pragma once

#include <set>
#include <string>

class CWordGenerator {
 public:
  // Loads the word list (one word per line). A missing file gives a generator
  // without words.
  explicit CWordGenerator(const std::string& fileName);
  ~CWordGenerator();

  // A word beginning with one of freeLetters. minLength 1 with maxLength 1
  // asks for a single letter instead; every other pair asks for a whole word.
  // Empty when there is nothing to give (no free letter, or no free letter
  // with words).
  std::string GetWord(const std::set<char>& freeLetters, int minLength, int maxLength);

 private:
  CWordGenerator(const CWordGenerator&) = delete;
  CWordGenerator& operator=(const CWordGenerator&) = delete;

  class CImpl;
  CImpl* m_impl;
};
