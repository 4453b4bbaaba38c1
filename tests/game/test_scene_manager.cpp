// The scene manager's hand-over protocol: the null scene at the start, one
// Move switching to a pushed scene, scenes ending inside Move or CatchKey,
// "Stack under run." keeping a finished scene, last-in first-out successors,
// the notices by scene type, and deletion order when the manager goes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Classes/SceneGame/SceneGame.h"
#include "Classes/SceneManager.h"
#include "Classes/SceneTitle.h"
#include "game_test_support.h"

namespace {

using gametest::Lines;
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
  gametest::DebugRecorder reports;
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
  EXPECT_TRUE(reports.Take().empty());
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
  gametest::DebugRecorder reports;
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

TEST(SceneManager, TheNullTitleAndGameScenesAreAnnouncedWhenTheyBecomeCurrent) {
  gametest::DebugRecorder reports;
  Lines events;
  // Switched to but never moved, so no scene here needs a device.
  struct Case {
    IScene* scene;
    Lines notices;
  } cases[] = {
      {new CSceneNull, {kDrive, "next is CSceneNull"}},
      {new CSceneTitle, {kDrive, "next is CSceneTitle"}},
      {new CSceneGame("Data\\none.txt", "Data\\none.txt", "Data\\none.txt", false),
       {kDrive, "next is CSceneGame"}},
      {new ProbeScene("other", events), {kDrive}},
  };
  for (Case& c : cases) {
    CSceneManager manager;
    manager.PushScene(c.scene);
    reports.Take();
    manager.Move(0);
    EXPECT_EQ(reports.Take(), c.notices);
  }
}

TEST(SceneManager, DestroyingTheManagerDeletesTheStackTopDownThenTheCurrentScene) {
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

}  // namespace
