#include "Classes/SceneGame/WordGenerator.h"

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <utility>
#include <vector>

#include "Random.h"
#include "ScopeTrace.h"
#include "port.h"

namespace {

// Longest line a word list may hold; a longer line is skipped whole.
const std::string::size_type kMaxLineLength = 255;

// The classic rand()-driven shuffle (random_shuffle without a generator, which
// C++17 no longer offers): each element from the second on swaps with one
// drawn from those before it and itself.
void RandomShuffle(std::vector<std::string>& words) {
  for (std::vector<std::string>::size_type i = 1; i < words.size(); ++i) {
    std::vector<std::string>::size_type j = std::rand() % (i + 1);
    if (i != j) std::swap(words[i], words[j]);
  }
}

}  // namespace

class CWordGenerator::CImpl {
 public:
  typedef std::vector<std::string> WordList;

  std::map<char, WordList> m_words;                    // every word under its key
  std::map<char, WordList::const_iterator> m_cursors;  // the word handed out last
};

CWordGenerator::CWordGenerator(const std::string& fileName) : m_impl(new CImpl) {
  CScopeTrace trace("CWordGenerator::CWordGenerator()");

  std::ifstream file(Port_FilePath(fileName.c_str()).c_str());
  // A file that cannot be opened is already failed here and gives no words.
  while (file && !file.eof()) {
    std::string line;
    std::getline(file, line, '\n');
    // A carriage return before the line feed is part of the line end.
    if (!line.empty() && line[line.size() - 1] == '\r') line.erase(line.size() - 1);
    // An over-long line is dropped whole and reading goes on with the next.
    if (line.size() > kMaxLineLength) continue;
    // The word ends at the first NUL byte, as a C string would.
    std::string word(line.c_str());
    char key = static_cast<char>(std::tolower(static_cast<unsigned char>(word.c_str()[0])));
    m_impl->m_words[key].push_back(word);
  }

  for (std::map<char, CImpl::WordList>::iterator it = m_impl->m_words.begin();
       it != m_impl->m_words.end(); ++it) {
    RandomShuffle(it->second);
    m_impl->m_cursors[it->first] = it->second.begin();
  }
}

CWordGenerator::~CWordGenerator() {
  delete m_impl;
}

std::string CWordGenerator::GetWord(const std::set<char>& freeLetters, int minLength,
                                    int maxLength) {
  CScopeTrace trace("CWordGenerator::GetWord()");

  int n = static_cast<int>(freeLetters.size());
  // No free letter: nothing can be handed out without breaking the one-target-
  // per-letter rule.
  if (n == 0) return std::string();

  std::set<char>::const_iterator letter = freeLetters.begin();
  std::advance(letter, Random(n));

  if (minLength == 1 && maxLength == 1) return std::string(1, *letter);

  bool found = false;
  for (int look = 0; look < n; ++look) {
    if (!m_impl->m_words[*letter].empty()) {
      found = true;
      break;
    }
    ++letter;
    if (letter == freeLetters.end()) letter = freeLetters.begin();
  }
  // None of the free letters has a word.
  if (!found) return std::string();

  const CImpl::WordList& words = m_impl->m_words[*letter];
  CImpl::WordList::const_iterator& cursor = m_impl->m_cursors[*letter];
  ++cursor;
  if (cursor == words.end()) cursor = words.begin();
  return *cursor;
}
