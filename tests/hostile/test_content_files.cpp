// Content files as players leave them: missing, empty, without some letters,
// with Windows line ends, or cut off anywhere. The stage must neither stop
// nor lose track of its letters.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <set>
#include <string>

#include "Application.h"
#include "Classes/IScene.h"
#include "Classes/SceneGame/CameraPath.h"
#include "Classes/SceneGame/NHClasses.h"
#include "Classes/SceneGame/Target.h"
#include "FileInterpreter.h"
#include "support/Folder.h"
#include "support/Stage.h"
#include "support/StageInspector.h"

namespace {

using support::WriteFile;

// Every test of this program runs in a private folder with Data/ and BMP/.
class WorkingFolder : public ::testing::Environment {
 public:
  void SetUp() override {
    ASSERT_TRUE(support::EnterTemporaryFolder("voskar-hostile"));
    mkdir("BMP", 0755);
    WriteFile("Data/still.txt", support::kStillPath);
  }
};
::testing::Environment* const g_folder = ::testing::AddGlobalTestEnvironment(new WorkingFolder);

std::string ShippedContent(const std::string& name) {
  return support::ReadFile(std::string(VOSKAR_SOURCE_DIR) + "/content/Data/" + name);
}

std::unique_ptr<CSceneGame> MakeStage(const std::string& sceneFile, const std::string& wordFile,
                                      const std::string& pathFile = "Data\\still.txt") {
  return support::MakeStageFromFiles(sceneFile, wordFile, pathFile);
}

// The windows of a stage's enemies, start and end, in object order.
std::vector<int> Windows(CSceneGame& stage) {
  std::vector<int> windows;
  for (CTarget* target : support::Targets(stage)) {
    windows.push_back(target->GetStart());
    windows.push_back(target->GetEnd());
  }
  return windows;
}

class HostileContent : public ::testing::Test {
 protected:
  void SetUp() override { CApplication::GetInstance()->GetPlayerStatus()->Reset(); }
  CPlayerStatus& Status() { return *CApplication::GetInstance()->GetPlayerStatus(); }

  // Moves the stage to `until` in 100 ms steps, typing every letter in both
  // cases after each step; fails on the first broken letter book.
  void PlayTo(CSceneGame& stage, int until) {
    for (int t = 0; t <= until; t += 100) {
      stage.Move(t);
      ASSERT_EQ(support::LetterBooksProblem(stage), "") << "after the move at " << t;
      for (char c = 'a'; c <= 'z'; ++c) {
        stage.CatchKey(c);
        stage.CatchKey(c - 'a' + 'A');
        ASSERT_EQ(support::LetterBooksProblem(stage), "") << "after key " << c << " at " << t;
      }
    }
  }

  // The words the active targets hold.
  std::set<std::string> HeldWords(CSceneGame& stage) {
    std::set<std::string> words;
    for (const auto& entry : CSceneGameInspector::Impl(stage).m_letterTargets)
      words.insert(entry.second->GetText());
    return words;
  }
};

const char kThreeEnemies[] =
    "scene{ texture Enemy1.bmp\n"
    "  enemy{ position -2 0 10 time 100 5000 }\n"
    "  enemy{ position 0 0 10 time 200 5000 }\n"
    "  enemy{ position 2 0 10 time 300 5000 }\n"
    "}\n";

TEST_F(HostileContent, AStageWhoseDataFilesAreMissingEndsAtOnceWithNothingToShoot) {
  auto stage = MakeStage("Data\\scene10e.txt", "Data\\easy.txt", "Data\\path10.txt");
  EXPECT_EQ(support::Kinds(*stage), "S");  // only the sight
  EXPECT_TRUE(stage->IsAlive());
  for (int key : {int{'a'}, int{'Z'}, -23, 8, KeyEscape}) stage->CatchKey(key);
  EXPECT_EQ(Status().GetShotCount(), 0);
  // Without a camera key there is no ride: the stage is over on its first move.
  stage->Move(0);
  EXPECT_FALSE(stage->IsAlive());
  EXPECT_EQ(support::LetterBooksProblem(*stage), "");
}

TEST_F(HostileContent, WordListsWithoutUsableWordsLeaveEveryEnemyWaiting) {
  WriteFile("Data/three.txt", kThreeEnemies);
  const char* const lists[] = {
      "",                         // empty file
      "\n\n\n",                   // blank lines only
      "\r\n\r\n",                 // blank Windows lines only
      "1up\n-x\n \n\xe9t\xe9\n",  // no line starts with a letter a-z
  };
  for (const char* list : lists) {
    SCOPED_TRACE(std::string("word list \"") + list + "\"");
    WriteFile("Data/words.txt", list);
    auto stage = MakeStage("Data\\three.txt", "Data\\words.txt");
    PlayTo(*stage, 6000);
    EXPECT_TRUE(HeldWords(*stage).empty());
    EXPECT_EQ(Status().GetShotCount(), 0);
    EXPECT_TRUE(stage->IsAlive());
  }
}

TEST_F(HostileContent, AWordListWithFewLettersServesOnlyAsManyTargetsAsItHasLetters) {
  WriteFile("Data/three.txt", kThreeEnemies);
  WriteFile("Data/words.txt", "apple\nAnt\nmoon\n");
  auto stage = MakeStage("Data\\three.txt", "Data\\words.txt");
  for (int t = 0; t <= 400; t += 100) stage->Move(t);
  ASSERT_EQ(support::LetterBooksProblem(*stage), "");
  std::set<char> initials;
  for (const std::string& word : HeldWords(*stage))
    initials.insert(static_cast<char>(std::tolower(static_cast<unsigned char>(word[0]))));
  // Two letters have words: two enemies hold them, the third waits.
  EXPECT_EQ(initials, (std::set<char>{'a', 'm'}));
  // Shooting one down frees its letter for the waiting enemy.
  const std::string word = *HeldWords(*stage).begin();
  for (char c : word) stage->CatchKey(c);
  stage->Move(500);
  EXPECT_EQ(HeldWords(*stage).size(), 2u);
  PlayTo(*stage, 5200);
}

TEST_F(HostileContent, WindowsLineEndsReadLikeUnixLineEnds) {
  const std::string words = "able\nbee\ncab\nDune\neel\n";
  for (const char* name : {"scene10e.txt", "path10.txt"}) {
    std::string text = ShippedContent(name);
    WriteFile(std::string("Data/lf-") + name, text);
    for (size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 2))
      text.insert(at, "\r");
    WriteFile(std::string("Data/crlf-") + name, text);
  }
  WriteFile("Data/lf-words.txt", words);
  WriteFile("Data/crlf-words.txt", "able\r\nbee\r\ncab\r\nDune\r\neel\r\n");
  auto lf = MakeStage("Data\\lf-scene10e.txt", "Data\\lf-words.txt", "Data\\lf-path10.txt");
  auto dos = MakeStage("Data\\crlf-scene10e.txt", "Data\\crlf-words.txt", "Data\\crlf-path10.txt");
  EXPECT_GT(support::Targets(*lf).size(), 20u);
  EXPECT_EQ(support::Kinds(*lf), support::Kinds(*dos));
  EXPECT_EQ(Windows(*lf), Windows(*dos));
  std::set<std::string> seen;
  for (int t = 0; t <= 60000; t += 250) {
    lf->Move(t);
    dos->Move(t);
    D3DVECTOR eyeA, atA, upA, eyeB, atB, upB;
    lf->GetCamera(eyeA, atA, upA);
    dos->GetCamera(eyeB, atB, upB);
    ASSERT_TRUE(eyeA.x == eyeB.x && eyeA.z == eyeB.z && atA.x == atB.x) << t;
    for (const std::string& word : HeldWords(*dos)) seen.insert(word);
  }
  ASSERT_FALSE(seen.empty());
  // Bullets carry single letters; enemies carry words of the list.
  for (const std::string& word : seen)
    EXPECT_TRUE(word.size() == 1 || words.find(word + "\n") != std::string::npos) << word;
}

// Windows are read as given, even one opening at the bottom of the int range:
// shooting such an enemy scores the capped number of milliseconds instead of
// overflowing, and the score stops at the top of its range.
TEST_F(HostileContent, EnemiesWithExtremeWindowsScoreWithoutOverflow) {
  WriteFile("Data/words.txt", "kite\nmoon\n");
  WriteFile("Data/ordinary.txt", "scene{ texture Enemy1.bmp enemy{ time 100 5000 } }");
  auto ordinary = MakeStage("Data\\ordinary.txt", "Data\\words.txt");
  ordinary->Move(0);
  ordinary->Move(600);
  ASSERT_EQ(HeldWords(*ordinary).size(), 1u);
  const std::string word = *HeldWords(*ordinary).begin();
  for (char c : word) ordinary->CatchKey(c);
  EXPECT_EQ(Status().GetScore(), 600 - 100);

  Status().Reset();
  WriteFile("Data/extreme.txt",
            "scene{ texture Enemy1.bmp enemy{ time -2147483648 2147483647 } "
            "enemy{ position 2 0 10 } }");
  auto extreme = MakeStage("Data\\extreme.txt", "Data\\words.txt");
  extreme->Move(0);
  extreme->Move(500);
  ASSERT_EQ(HeldWords(*extreme).size(), 2u);
  for (const std::string& word : HeldWords(*extreme))
    for (char c : word) extreme->CatchKey(c);
  EXPECT_TRUE(HeldWords(*extreme).empty());
  EXPECT_EQ(Status().GetScore(), INT_MAX);
  EXPECT_EQ(support::LetterBooksProblem(*extreme), "");
}

// Every prefix of a file is what a crash or a full disk may leave behind: a
// cut inside a block, a number or a keyword. What was complete before the
// cut is made; nothing half-read is.
TEST_F(HostileContent, FilesCutAnywhereKeepWhatWasCompleteBeforeTheCut) {
  WriteFile("Data/words.txt", "able\nbee\ncab\n");
  const std::string scene = ShippedContent("scene10d.txt");
  int lastObjects = 0;
  for (size_t cut = 0;; cut = std::min(scene.size(), cut + (cut < 200 ? 1 : 97))) {
    WriteFile("Data/cut.txt", scene.substr(0, cut));
    auto stage = MakeStage("Data\\cut.txt", "Data\\words.txt");
    const int objects = static_cast<int>(support::Kinds(*stage).size());
    ASSERT_GE(objects, lastObjects) << "cut at " << cut;
    lastObjects = objects;
    if (cut == scene.size()) break;
  }
  WriteFile("Data/cut.txt", scene);
  EXPECT_EQ(
      lastObjects,
      static_cast<int>(support::Kinds(*MakeStage("Data\\cut.txt", "Data\\words.txt")).size()));

  const std::string path = ShippedContent("path10.txt");
  int lastKeys = 0;
  for (size_t cut = 0; cut <= path.size(); ++cut) {
    WriteFile("Data/cut-path.txt", path.substr(0, cut));
    int keys = 0;
    CFileInterpreter::ReadPath("Data\\cut-path.txt", [&keys](CameraKey* key) {
      ++keys;
      delete key;
    });
    // One more byte completes at most one more key.
    ASSERT_GE(keys, lastKeys) << "cut at " << cut;
    ASSERT_LE(keys, lastKeys + 1) << "cut at " << cut;
    lastKeys = keys;
  }
  EXPECT_GT(lastKeys, 10);
}

}  // namespace
