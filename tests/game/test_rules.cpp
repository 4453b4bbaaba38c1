// The player status and the word generator: the automatic reload on the sixth
// shot, the refill of lives with its penalty, the cries drawn by Random; words
// grouped by initial letter, each letter's shuffled cycle, the search past
// letters without words, single letters on request, and the list reader's
// treatment of blank, non-letter, carriage-return and over-long lines.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <memory>
#include <set>
#include <string>

#include "Classes/SceneGame/NHClasses.h"
#include "Classes/SceneGame/WordGenerator.h"
#include "Random.h"
#include "support/Folder.h"
#include "support/Recorders.h"

namespace {

using support::Lines;

// Every test of this program runs in a private folder: its own Data/ files
// and its own "log.txt".
class WorkingFolder : public ::testing::Environment {
 public:
  void SetUp() override {
    ASSERT_TRUE(support::EnterTemporaryFolder("voskar-game"));
    mkdir("Data", 0755);
  }
};
::testing::Environment* const g_folder = ::testing::AddGlobalTestEnvironment(new WorkingFolder);

// ------------------------------------------------------------ player status

TEST(PlayerStatus, TheSixthShotReloadsAtOnceAndShotsCountAcrossMagazines) {
  support::SoundRecorder sounds;
  CPlayerStatus status;
  status.Reset();
  for (int shot = 1; shot <= 5; ++shot) {
    status.Fire();
    EXPECT_EQ(status.GetAmmo(), 6 - shot);
    EXPECT_EQ(sounds.Take(), Lines{"GunFire"});
  }
  status.Fire();
  EXPECT_EQ(sounds.Take(), (Lines{"GunFire", "Reload"}));
  EXPECT_EQ(status.GetAmmo(), 6);  // the magazine is never seen empty
  for (int shot = 0; shot < 8; ++shot) status.Fire();
  EXPECT_EQ(status.GetAmmo(), 4);
  EXPECT_EQ(status.GetShotCount(), 14);
  status.AddHit();
  EXPECT_EQ(status.GetHitCount(), 1);  // hits are counted apart from shots
  status.Reset();
  EXPECT_EQ(status.GetShotCount() + status.GetHitCount() + status.GetScore(), 0);
  EXPECT_EQ(status.GetLife(), 5);
  EXPECT_EQ(status.GetAmmo(), 6);
}

TEST(PlayerStatus, LosingTheLastLifeCostsAThousandPointsAndRefillsToSix) {
  support::SoundRecorder sounds;
  CPlayerStatus status;
  const int cases[][2] = {{600, 0}, {2500, 1500}, {1000, 0}};
  for (const auto& c : cases) {
    status.Reset();
    status.AddScore(c[0]);
    for (int i = 0; i < 4; ++i) status.Damage();
    EXPECT_EQ(status.GetLife(), 1);
    EXPECT_EQ(status.GetScore(), c[0]);  // lives above the last cost nothing
    status.Damage();
    EXPECT_EQ(status.GetLife(), 6);
    EXPECT_EQ(status.GetScore(), c[1]) << "from " << c[0];
  }
  for (int i = 0; i < 5; ++i) status.Damage();  // refilled lives run down from 6
  EXPECT_EQ(status.GetLife(), 1);
  // Points themselves are not clamped below 0.
  status.Reset();
  status.AddScore(-50);
  EXPECT_EQ(status.GetScore(), -50);
}

TEST(PlayerStatus, EachHitRequestsTheCryDrawnByRandom) {
  const char* const cries[3] = {"Konoyarou", "Kuso", "Yariyagattana"};
  support::SoundRecorder sounds;
  CPlayerStatus status;
  // Replaying the seed tells which cry each hit must request.
  std::srand(20261206);
  Lines expected;
  for (int i = 0; i < 30; ++i) expected.push_back(cries[Random(3)]);
  std::srand(20261206);
  for (int i = 0; i < 30; ++i) status.Damage();
  EXPECT_EQ(sounds.Take(), expected);
  EXPECT_EQ(std::set<std::string>(expected.begin(), expected.end()).size(), 3u);
  EXPECT_EQ(Random(0), 0);  // nothing to draw from: no division by zero
}

// ------------------------------------------------------------ word generator

std::set<char> Free(const std::string& letters) {
  return std::set<char>(letters.begin(), letters.end());
}

Lines Draw(CWordGenerator& generator, const std::string& freeLetters, int count) {
  Lines words;
  for (int i = 0; i < count; ++i) words.push_back(generator.GetWord(Free(freeLetters), 1, -1));
  return words;
}

std::set<std::string> Distinct(const Lines& words) {
  return std::set<std::string>(words.begin(), words.end());
}

CWordGenerator* List(const std::string& name, const std::string& content) {
  support::WriteFile("Data/" + name, content);
  return new CWordGenerator("Data\\" + name);
}

TEST(WordGenerator, GroupsWordsByLowerCasedInitialAndKeepsTheirCase) {
  std::unique_ptr<CWordGenerator> generator(List("fruit.txt", "apple\nAnt\nbee\n"));
  Lines a = Draw(*generator, "a", 4);
  EXPECT_EQ(Distinct(a), (std::set<std::string>{"apple", "Ant"}));
  EXPECT_EQ(a[0], a[2]);  // alternating
  for (const std::string& word : Draw(*generator, "ab", 40))
    EXPECT_TRUE(word[0] == 'b' ? word == "bee" : (word == "apple" || word == "Ant")) << word;
}

TEST(WordGenerator, EachLetterRepeatsOneShuffledCycleStartingAtItsSecondWord) {
  std::set<std::string> firstWords;
  for (unsigned seed = 1; seed <= 40; ++seed) {
    std::srand(seed);
    std::unique_ptr<CWordGenerator> generator(List("w.txt", "w1\nw2\nw3\n"));
    Lines words = Draw(*generator, "w", 9);
    EXPECT_EQ(Distinct(Lines(words.begin(), words.begin() + 3)),
              (std::set<std::string>{"w1", "w2", "w3"}));
    for (int i = 3; i < 9; ++i) EXPECT_EQ(words[i], words[i - 3]) << "seed " << seed;
    firstWords.insert(words[0]);
  }
  EXPECT_EQ(firstWords.size(), 3u);  // the shuffle, driven by rand(), really moves words

  // Two words: the shuffle's one draw swaps them (0) or not (1); the cycle
  // begins with the second word of the shuffled list.
  std::srand(3);
  const int swapDraw = std::rand() % 2;
  std::srand(3);
  std::unique_ptr<CWordGenerator> pair(List("pair.txt", "pa\npb\n"));
  EXPECT_EQ(Draw(*pair, "p", 2), swapDraw == 0 ? (Lines{"pa", "pb"}) : (Lines{"pb", "pa"}));
}

TEST(WordGenerator, ADrawnLetterWithoutWordsPassesToTheNextFreeLetterGoingRound) {
  std::unique_ptr<CWordGenerator> generator(List("xy.txt", "xeno\nyak\ndingo\n"));
  for (const std::string& word : Draw(*generator, "cd", 10)) EXPECT_EQ(word, "dingo");
  // Replaying the seed tells which letter each call draws: z goes round to x.
  std::srand(99);
  Lines expected;
  for (int i = 0; i < 30; ++i) expected.push_back(Random(3) == 1 ? "yak" : "xeno");
  std::srand(99);
  EXPECT_EQ(Draw(*generator, "xyz", 30), expected);
}

TEST(WordGenerator, SingleLettersComeFromTheFreeSetWithoutMovingTheCycles) {
  std::srand(11);
  std::unique_ptr<CWordGenerator> twin(List("s.txt", "s1\ns2\ns3\n"));
  Lines reference = Draw(*twin, "s", 4);
  std::srand(11);
  std::unique_ptr<CWordGenerator> generator(List("s.txt", "s1\ns2\ns3\n"));
  EXPECT_EQ(generator->GetWord(Free("q"), 1, 1), "q");  // needs no q words
  Lines mixed;
  for (int i = 0; i < 4; ++i) {
    mixed.push_back(generator->GetWord(Free("s"), 1, -1));
    std::string letter = generator->GetWord(Free("km"), 1, 1);
    EXPECT_TRUE(letter == "k" || letter == "m") << letter;
  }
  EXPECT_EQ(mixed, reference);
  EXPECT_EQ(generator->GetWord(Free("s"), 1, 2).size(), 2u);  // only (1, 1) asks for a letter
}

TEST(WordGenerator, OnlyWholeLinesThatStartWithALetterAreHandedOut) {
  // Blank lines, lines starting with a digit, a sign, a non-ASCII byte or a
  // space; carriage returns before line feeds; a last line without line end;
  // over-long lines skipped whole (255 bytes is the longest kept).
  const std::string longest(255, 'o');
  std::unique_ptr<CWordGenerator> generator(
      List("mixed.txt", "\n7up\n-dash\n\xe9t\xe9\r\nkiwi\r\n\r\n  spaced\nlime juice\n" +
                            std::string(300, 'a') + "\navocado\n" + std::string(256, 'o') + "\r\n" +
                            longest + "\r\n\nfig"));
  EXPECT_EQ(Distinct(Draw(*generator, "abcdefghijklmnopqrstuvwxyz", 300)),
            (std::set<std::string>{"kiwi", "lime juice", "avocado", longest, "fig"}));
}

TEST(WordGenerator, NothingToGiveYieldsAnEmptyWord) {
  CWordGenerator missing("Data\\no-such-list.txt");
  EXPECT_EQ(missing.GetWord(Free("abcxyz"), 1, -1), "");
  EXPECT_EQ(missing.GetWord(Free("q"), 1, 1), "q");
  std::unique_ptr<CWordGenerator> few(List("few.txt", "gnu\n"));
  EXPECT_EQ(few->GetWord(Free("abc"), 1, -1), "");
  EXPECT_EQ(few->GetWord(Free(""), 1, -1), "");
  EXPECT_EQ(few->GetWord(Free(""), 1, 1), "");
  EXPECT_EQ(Draw(*few, "g", 2), (Lines{"gnu", "gnu"}));
}

}  // namespace
