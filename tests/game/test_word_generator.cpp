// The word generator: words grouped by initial letter with their case kept,
// each letter's fixed cycle after the shuffle, the search past letters without
// words, single letters on request, and the reader's treatment of blank,
// non-letter, carriage-return and over-long lines and of a missing file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>

#include "Classes/SceneGame/WordGenerator.h"
#include "Random.h"
#include "game_test_support.h"

namespace {

using gametest::Lines;
typedef std::set<std::string> WordSet;

std::set<char> Free(const std::string& letters) {
  return std::set<char>(letters.begin(), letters.end());
}

Lines Draw(CWordGenerator& generator, const std::string& freeLetters, int count) {
  Lines words;
  for (int i = 0; i < count; ++i) words.push_back(generator.GetWord(Free(freeLetters), 1, -1));
  return words;
}

WordSet Distinct(const Lines& words) {
  return WordSet(words.begin(), words.end());
}

TEST(WordGenerator, GroupsWordsByLowerCasedInitialAndKeepsTheirCase) {
  gametest::WriteData("fruit.txt", "apple\nAnt\nbee\n");
  CWordGenerator generator("Data\\fruit.txt");
  Lines a = Draw(generator, "a", 4);
  EXPECT_EQ(Distinct(a), (WordSet{"apple", "Ant"}));
  EXPECT_EQ(a[0], a[2]);  // alternating
  for (const std::string& word : Draw(generator, "ab", 40))
    EXPECT_TRUE(word[0] == 'b' ? word == "bee" : (word == "apple" || word == "Ant")) << word;
}

TEST(WordGenerator, EachLetterRepeatsOneShuffledCycleStartingAtItsSecondWord) {
  gametest::WriteData("w.txt", "w1\nw2\nw3\n");
  WordSet firstWords;
  for (unsigned seed = 1; seed <= 40; ++seed) {
    std::srand(seed);
    CWordGenerator generator("Data\\w.txt");
    Lines words = Draw(generator, "w", 9);
    EXPECT_EQ(Distinct(Lines(words.begin(), words.begin() + 3)), (WordSet{"w1", "w2", "w3"}));
    for (int i = 3; i < 9; ++i) EXPECT_EQ(words[i], words[i - 3]) << "seed " << seed;
    firstWords.insert(words[0]);
  }
  EXPECT_EQ(firstWords.size(), 3u);  // the shuffle, driven by rand(), really moves words

  // Two words: the shuffle's one draw swaps them (0) or not (1); the cycle
  // begins with the second word of the shuffled list.
  gametest::WriteData("pair.txt", "pa\npb\n");
  std::srand(3);
  int swapDraw = std::rand() % 2;
  std::srand(3);
  CWordGenerator pair("Data\\pair.txt");
  EXPECT_EQ(Draw(pair, "p", 2), swapDraw == 0 ? (Lines{"pa", "pb"}) : (Lines{"pb", "pa"}));
}

TEST(WordGenerator, ADrawnLetterWithoutWordsPassesToTheNextFreeLetterGoingRound) {
  gametest::WriteData("xy.txt", "xeno\nyak\ndingo\n");
  CWordGenerator generator("Data\\xy.txt");
  for (const std::string& word : Draw(generator, "cd", 10)) EXPECT_EQ(word, "dingo");

  // Replaying the seed tells which letter each call draws: z goes round to x.
  std::srand(99);
  Lines expected;
  for (int i = 0; i < 30; ++i) expected.push_back(Random(3) == 1 ? "yak" : "xeno");
  std::srand(99);
  EXPECT_EQ(Draw(generator, "xyz", 30), expected);
}

TEST(WordGenerator, SingleLettersComeFromTheFreeSetWithoutMovingTheCycles) {
  gametest::WriteData("s.txt", "s1\ns2\ns3\n");
  std::srand(11);
  CWordGenerator twin("Data\\s.txt");
  Lines reference = Draw(twin, "s", 4);
  std::srand(11);
  CWordGenerator generator("Data\\s.txt");
  EXPECT_EQ(generator.GetWord(Free("q"), 1, 1), "q");  // needs no q words
  Lines mixed;
  for (int i = 0; i < 4; ++i) {
    mixed.push_back(generator.GetWord(Free("s"), 1, -1));
    std::string letter = generator.GetWord(Free("km"), 1, 1);
    EXPECT_TRUE(letter == "k" || letter == "m") << letter;
  }
  EXPECT_EQ(mixed, reference);
  EXPECT_EQ(generator.GetWord(Free("s"), 1, 2).size(), 2u);  // only (1, 1) asks for a letter
}

TEST(WordGenerator, OnlyWholeLinesThatStartWithALetterAreHandedOut) {
  // Blank lines, lines starting with a digit, a sign, a non-ASCII byte or a
  // space; carriage returns before line feeds; a last line without line end.
  gametest::WriteData("mixed.txt",
                      "\n7up\n-dash\n\xe9t\xe9\r\nkiwi\r\n\r\n  spaced\nlime juice\n\nfig");
  CWordGenerator generator("Data\\mixed.txt");
  EXPECT_EQ(Distinct(Draw(generator, "abcdefghijklmnopqrstuvwxyz", 300)),
            (WordSet{"kiwi", "lime juice", "fig"}));
}

TEST(WordGenerator, AnOverLongLineIsSkippedWholeAndReadingGoesOn) {
  const std::string longest(255, 'o');
  gametest::WriteData("long.txt", std::string(300, 'a') + "\navocado\n" + std::string(256, 'o') +
                                      "\r\n" + longest + "\r\nzebra\n");
  CWordGenerator generator("Data\\long.txt");
  EXPECT_EQ(Distinct(Draw(generator, "a", 3)), WordSet{"avocado"});
  EXPECT_EQ(Distinct(Draw(generator, "o", 3)), WordSet{longest});
  EXPECT_EQ(generator.GetWord(Free("z"), 1, -1), "zebra");
}

TEST(WordGenerator, NothingToGiveYieldsAnEmptyWord) {
  CWordGenerator missing("Data\\no-such-list.txt");
  EXPECT_EQ(missing.GetWord(Free("abcxyz"), 1, -1), "");
  EXPECT_EQ(missing.GetWord(Free("q"), 1, 1), "q");

  gametest::WriteData("few.txt", "gnu\n");
  CWordGenerator few("Data\\few.txt");
  EXPECT_EQ(few.GetWord(Free("abc"), 1, -1), "");
  EXPECT_EQ(few.GetWord(Free(""), 1, -1), "");
  EXPECT_EQ(few.GetWord(Free(""), 1, 1), "");
  EXPECT_EQ(Draw(few, "g", 2), (Lines{"gnu", "gnu"}));
}

}  // namespace
