// The scope trace log: exact lines of nested scopes, the frequency line, depth
// bookkeeping with logging off, exceptions, and a fresh file for every run.
// The suite runs in its own temporary folder so that "log.txt" is its own;
// whole-run behaviour is checked by starting this program again as a child.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "ScopeTrace.h"
#include "support/Folder.h"
#include "testing.h"

namespace {

typedef std::vector<std::string> Lines;
std::string g_selfPath;

Lines SplitLines(const std::string& text) {
  Lines lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class Trace : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::UseManualClock(true);
    g_traceEnabled = true;
    if (!g_frequencyWritten) CScopeTrace warmUp("warm-up");  // the frequency line is behind us
    GetTraceLog().flush();
    m_offset = support::ReadFile("log.txt").size();
  }
  void TearDown() override {
    g_traceEnabled = true;
    platform::UseManualClock(false);
  }
  // What the log gained since SetUp.
  Lines NewLines() const { return SplitLines(support::ReadFile("log.txt").substr(m_offset)); }
  size_t m_offset = 0;
};

TEST_F(Trace, NestedScopesWriteBarsNamesAndTicks) {
  ASSERT_EQ(g_traceDepth, 0);
  {
    CScopeTrace outer("CApplication::Render");
    platform::AdvanceClock(1);  // 1000 ticks at the manual clock's 1 MHz
    {
      CScopeTrace inner("CApplication::DrawBackground");
      platform::AdvanceClock(2);
      EXPECT_EQ(g_traceDepth, 2);
    }
    {
      char name[] = "CSceneGame::Draw()";
      CScopeTrace inner(name);
      name[0] = 'X';  // the name was copied when the scope opened
      Message("visible object:6");
    }
    platform::AdvanceClock(3);
  }
  {
    // 2200 s at 1 MHz = 2.2e9 ticks: past INT32_MAX, so the low 32 bits read negative.
    CScopeTrace scope("long");
    platform::AdvanceClock(2200000u);
  }
  EXPECT_EQ(g_traceDepth, 0);
  EXPECT_EQ(NewLines(),
            (Lines{"+", "|+", "|-CApplication::DrawBackground:end length:2000", "|+",
                   "||visible object:6", "|-CSceneGame::Draw():end length:0",
                   "-CApplication::Render:end length:6000", "+",
                   "-long:end length:" + std::to_string(static_cast<int32_t>(2200000000u))}));
}

TEST_F(Trace, SwitchedOffNothingIsWrittenButTheDepthMoves) {
  g_traceEnabled = false;
  {
    CScopeTrace outer("outer");
    CScopeTrace inner("inner");
    EXPECT_EQ(g_traceDepth, 2);
    Message("not written");
  }
  EXPECT_EQ(g_traceDepth, 0);
  EXPECT_TRUE(NewLines().empty());
}

TEST_F(Trace, AnExceptionStillClosesTheScope) {
  try {
    CScopeTrace outer("CSceneGame::Move()");
    platform::AdvanceClock(5);
    throw std::runtime_error("leaving early");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(g_traceDepth, 0);
  EXPECT_EQ(NewLines(), (Lines{"+", "-CSceneGame::Move():end length:5000"}));
}

// ---------------------------------------------------------------- whole runs

// Runs this program as a child in the folder; its exit status.
int RunChild(const std::string& folder, const char* scenario) {
  pid_t pid = fork();
  if (pid == 0) {
    if (chdir(folder.c_str()) != 0) _exit(90);
    execl(g_selfPath.c_str(), g_selfPath.c_str(), "--trace-child", scenario, (char*)nullptr);
    _exit(91);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A fresh folder inside this process's own, which goes with it.
std::string MakeFolder() {
  char pattern[] = "run-XXXXXX";
  const char* made = mkdtemp(pattern);
  return made ? made : "";
}

TEST(TraceRun, EachRunStartsAFreshLogWithTheFrequencyThenAPlainStart) {
  const std::string folder = MakeFolder();
  ASSERT_FALSE(folder.empty());
  support::WriteFile(folder + "/log.txt", "left over from an earlier run\nand more\n");
  ASSERT_EQ(RunChild(folder, "one-scope"), 0);
  ASSERT_EQ(RunChild(folder, "one-scope"), 0);
  EXPECT_EQ(SplitLines(support::ReadFile(folder + "/log.txt")),
            (Lines{"Frequency:1000000", "+", "-first:end length:250000"}));
}

TEST(TraceRun, NoFileWhenLoggingIsOffAndAnUnopenableLogIsIgnored) {
  const std::string off = MakeFolder(), blocked = MakeFolder();
  ASSERT_EQ(RunChild(off, "switched-off"), 0);
  struct stat info;
  EXPECT_NE(stat((off + "/log.txt").c_str(), &info), 0);
  // A folder in the log's place cannot be opened as a file.
  ASSERT_EQ(mkdir((blocked + "/log.txt").c_str(), 0755), 0);
  EXPECT_EQ(RunChild(blocked, "one-scope"), 0);
}

int ChildMain(const std::string& scenario) {
  platform::UseManualClock(true);
  g_traceEnabled = scenario != "switched-off";
  {
    CScopeTrace scope("first");
    if (!g_traceEnabled) Message("quiet");
    platform::AdvanceClock(250);
    if (g_traceDepth != 1) return 1;
  }
  return g_traceDepth == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  g_selfPath = argv[0];
  if (g_selfPath[0] != '/') {
    char resolved[4096];
    if (realpath(argv[0], resolved)) g_selfPath = resolved;
  }
  if (argc == 3 && std::string(argv[1]) == "--trace-child") return ChildMain(argv[2]);
  ::testing::InitGoogleTest(&argc, argv);
  // This process's own log lives in a folder of its own.
  if (!support::EnterTemporaryFolder("voskar-trace")) return 1;
  return RUN_ALL_TESTS();
}
