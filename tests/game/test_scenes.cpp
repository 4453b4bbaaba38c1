// The scene flow: the scene manager's hand-over protocol (the null scene at
// the start, one Move switching to a pushed scene, scenes ending inside Move
// or CatchKey, "Stack under run." keeping a finished scene, last-in first-out
// successors, deletion order), the level select's choice of files, and the
// game core between the frame and the scenes: window messages as keys, time
// in whole milliseconds, the device test.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Application.h"
#include "Classes/SceneManager.h"
#include "Classes/SceneSelect.h"
#include "MyD3DApplication.h"
#include "support/Device.h"
#include "support/Recorders.h"

namespace {

using support::Lines;
const char kDrive[] = "CSceneManager::Move drive to next scene.";
const char kUnderRun[] = "Stack under run.";

// Writes what happens to it into a shared list; ends itself in its next Move
// or CatchKey when told to, pushing its successors first.
class ProbeScene : public IScene {
 public:
  ProbeScene(const std::string& name, Lines& events) : m_name(name), m_events(events) {}
  ~ProbeScene() override { Log("deleted"); }
  bool Draw() override { return Log("draw"), false; }
  void Move(unsigned long time) override {
    Log("move " + std::to_string(time));
    if (m_endIn == "move") End();
  }
  void CatchKey(int key) override {
    Log("key " + std::to_string(key));
    if (m_endIn == "key") End();
  }
  bool IsAlive() override { return m_alive; }

  std::string m_endIn;
  std::vector<IScene*> m_successors;
  CSceneManager* m_manager = nullptr;

 private:
  void Log(const std::string& what) { m_events.push_back(m_name + " " + what); }
  void End() {
    for (IScene* successor : m_successors) m_manager->PushScene(successor);
    m_alive = false;
  }
  std::string m_name;
  Lines& m_events;
  bool m_alive = true;
};

TEST(SceneManager, StartsWithTheNullSceneWhichGivesWayAtTheFirstMove) {
  support::DebugRecorder reports;
  Lines events;
  CSceneManager manager;
  EXPECT_TRUE(manager.Draw());  // the null scene's answer
  manager.CatchKey('x');
  manager.Move(0);
  manager.Move(16);
  EXPECT_EQ(reports.Take(), (Lines{kDrive, kUnderRun, kDrive, kUnderRun}));
  // One Move switches; the newcomer is drawn in that frame, moved in the next.
  manager.PushScene(new ProbeScene("title", events));
  manager.Move(33);
  EXPECT_EQ(reports.Take(), (Lines{"CSceneManager::PushScene", kDrive}));
  EXPECT_FALSE(manager.Draw());
  manager.Move(50);
  manager.CatchKey(-23);
  manager.CatchKey(KeyEscape);
  EXPECT_EQ(events, (Lines{"title draw", "title move 50", "title key -23", "title key 256"}));
}

TEST(SceneManager, ScenesEndingInMoveOrCatchKeyHandOverLastInFirstOut) {
  Lines events;
  CSceneManager manager;
  ProbeScene* first = new ProbeScene("first", events);
  ProbeScene* older = new ProbeScene("older", events);
  ProbeScene* newer = new ProbeScene("newer", events);
  first->m_manager = newer->m_manager = &manager;
  first->m_successors = {older, newer};
  first->m_endIn = "move";
  newer->m_endIn = "key";
  manager.PushScene(first);
  manager.Move(0);
  manager.Move(1);  // first ends in its Move and is replaced at once by the latest push
  manager.Draw();
  manager.CatchKey('a');  // newer ends in CatchKey: still drawn and moved once more
  manager.Draw();
  manager.Move(2);
  manager.Draw();
  EXPECT_EQ(events, (Lines{"first move 1", "first deleted", "newer draw", "newer key 97",
                           "newer draw", "newer move 2", "newer deleted", "older draw"}));
}

TEST(SceneManager, AFinishedSceneWithNothingStackedStaysCurrentUntilAPush) {
  support::DebugRecorder reports;
  Lines events;
  CSceneManager manager;
  ProbeScene* lonely = new ProbeScene("lonely", events);
  lonely->m_endIn = "move";
  manager.PushScene(lonely);
  manager.Move(0);
  reports.Take();
  for (unsigned long t = 10; t <= 20; t += 10) {
    manager.Move(t);
    manager.Draw();
  }
  EXPECT_EQ(reports.Take(), (Lines{kDrive, kUnderRun, kDrive, kUnderRun}));
  manager.PushScene(new ProbeScene("rescue", events));
  manager.Move(30);
  manager.Draw();
  EXPECT_EQ(events, (Lines{"lonely move 10", "lonely draw", "lonely move 20", "lonely draw",
                           "lonely move 30", "lonely deleted", "rescue draw"}));
}

TEST(SceneManager, DestroyingItDeletesTheStackTopDownThenTheCurrentScene) {
  Lines events;
  {
    CSceneManager manager;
    manager.PushScene(new ProbeScene("current", events));
    manager.Move(0);
    for (const char* name : {"bottom", "middle", "top"})
      manager.PushScene(new ProbeScene(name, events));
  }
  EXPECT_EQ(events, (Lines{"top deleted", "middle deleted", "bottom deleted", "current deleted"}));
}

// ---------------------------------------------------------- the game core

struct Choice {
  std::string sceneFile, pathFile, wordList;
  bool keyboard;
  bool operator==(const Choice& o) const {
    return sceneFile == o.sceneFile && pathFile == o.pathFile && wordList == o.wordList &&
           keyboard == o.keyboard;
  }
};
std::vector<Choice> g_choices;

// Records what the level select chose and stands in for the stage.
IScene* RecordChoice(const std::string& sceneFile, const std::string& pathFile,
                     const std::string& wordList, bool keyboard) {
  g_choices.push_back({sceneFile, pathFile, wordList, keyboard});
  return new CSceneNull;
}

// The game core with its textures registered (no picture files here) and a
// device, for the frame's side of the scenes.
class Core : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_EQ(CApplication::GetInstance()->OneTimeSceneInit(), S_OK); }
  void SetUp() override {
    ASSERT_EQ(support::GiveCoreADevice(64, 48), "");
    g_choices.clear();
    m_previous = SetGameSceneFactory(RecordChoice);
  }
  void TearDown() override {
    SetGameSceneFactory(m_previous);
    // The next test's scene manager starts afresh; the scenes go now.
    CApplication::GetInstance()->DeleteDeviceObjects();
  }
  CSceneManager& Manager() { return *CApplication::GetInstance()->GetSceneManager(); }
  GameSceneFactory m_previous = nullptr;
  // Outlives the scenes, which go with the scene manager in TearDown.
  Lines m_events;
};

TEST_F(Core, EachLevelKeyChoosesItsFilesInEitherCaseAndOtherKeysNothing) {
  const Choice easy = {"Data\\scene10e.txt", "Data\\path10.txt", "Data\\easy.txt", true};
  const Choice normal = {"Data\\scene10e.txt", "Data\\path10.txt", "Data\\normal.txt", false};
  const Choice difficult = {"Data\\scene10d.txt", "Data\\path10.txt", "Data\\difficult.txt", false};
  const struct {
    int key;
    Choice choice;
  } rows[] = {{'e', easy},   {'E', easy},      {'n', normal},
              {'N', normal}, {'d', difficult}, {'D', difficult}};
  for (const auto& row : rows) {
    g_choices.clear();
    CSceneSelect select;
    for (int key : {int('x'), int('5'), KeyEscape, -23, -1, 'E' + 256, 0}) select.CatchKey(key);
    EXPECT_TRUE(select.IsAlive());
    select.CatchKey(row.key);
    select.CatchKey('n');  // only the first choice counts
    EXPECT_FALSE(select.IsAlive()) << char(row.key);
    EXPECT_EQ(g_choices, std::vector<Choice>{row.choice}) << char(row.key);
  }
}

TEST_F(Core, WindowMessagesReachTheSceneAsSignedBytesAndEscape) {
  Manager().PushScene(new ProbeScene("current", m_events));
  CApplication::GetInstance()->FrameMove(0.0f);
  CMyD3DApplication frame;
  // Key-downs other than Escape are swallowed; characters arrive as signed
  // bytes (a high byte of the message dropped), Escape as 256.
  for (WPARAM key : {WPARAM('A'), WPARAM(VK_RETURN), WPARAM(VK_F1)})
    EXPECT_EQ(frame.MsgProc(nullptr, WM_KEYDOWN, key, 0), 0);
  frame.MsgProc(nullptr, WM_KEYDOWN, VK_ESCAPE, 0);
  for (WPARAM c : {WPARAM('a'), WPARAM('Z'), WPARAM(0xE9), WPARAM(0x80), WPARAM(0xFF),
                   WPARAM(0x1E9), WPARAM(27)})
    frame.MsgProc(nullptr, WM_CHAR, c, 0);
  EXPECT_EQ(m_events,
            (Lines{"current key 256", "current key 97", "current key 90", "current key -23",
                   "current key -128", "current key -1", "current key -23", "current key 27"}));
}

// Times handed to the scene are the frame's seconds in whole milliseconds.
TEST_F(Core, FrameMoveHandsWholeMillisecondsToTheScene) {
  Manager().PushScene(new ProbeScene("watched", m_events));
  CApplication* core = CApplication::GetInstance();
  core->FrameMove(0.5f);  // the watched scene becomes current; it is not moved yet
  for (float seconds : {1.2345f, 0.0009f, 2.0f, 3.9999f}) core->FrameMove(seconds);
  EXPECT_EQ(m_events, (Lines{"watched move 1234", "watched move 0", "watched move 2000",
                             "watched move 3999"}));
}

TEST(FrameOptions, DeviceNeedsBlendFactorOneForSourceAndDestination) {
  const struct {
    DWORD source, destination;
    HRESULT expected;
  } cases[] = {
      {D3DPBLENDCAPS_ONE, D3DPBLENDCAPS_ONE, S_OK},
      {D3DPBLENDCAPS_ONE | D3DPBLENDCAPS_SRCALPHA, 0xFFFFFFFF, S_OK},
      {D3DPBLENDCAPS_ONE, D3DPBLENDCAPS_ZERO, E_FAIL},
      {D3DPBLENDCAPS_SRCALPHA | D3DPBLENDCAPS_ZERO, D3DPBLENDCAPS_ONE, E_FAIL},
  };
  for (const auto& c : cases) {
    D3DDEVICEDESC7 desc{};
    desc.dpcTriCaps.dwSrcBlendCaps = c.source;
    desc.dpcTriCaps.dwDestBlendCaps = c.destination;
    EXPECT_EQ(CMyD3DApplication::AcceptDevice(nullptr, &desc), c.expected);
  }
}

}  // namespace
