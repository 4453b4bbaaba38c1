// The scope trace log: exact lines of nested scopes, the frequency line, depth
// bookkeeping with logging off, exceptions, and a fresh file for every run.
// The suite runs in its own temporary folder so that "log.txt" is its own;
// whole-run behaviour is checked by starting this program again as a child.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "ScopeTrace.h"
#include "testing.h"

namespace {

std::string g_selfPath;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

// Collects what the log gained since construction.
class LogTail {
 public:
  LogTail() : m_offset(ReadFile("log.txt").size()) {}
  std::vector<std::string> Lines() const {
    return SplitLines(ReadFile("log.txt").substr(m_offset));
  }

 private:
  size_t m_offset;
};

class TraceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::UseManualClock(true);
    g_traceEnabled = true;
    GetTraceLog();  // make sure the frequency line is already behind us
    if (!g_frequencyWritten) CScopeTrace warmUp("warm-up");
  }
  void TearDown() override {
    g_traceEnabled = true;
    platform::UseManualClock(false);
  }
};

TEST_F(TraceTest, NestedScopesWriteBarsNamesAndTicks) {
  LogTail tail;
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
      CScopeTrace inner("CSceneGame::Draw()");
      Message("visible object:6");
    }
    platform::AdvanceClock(3);
  }
  EXPECT_EQ(g_traceDepth, 0);
  std::vector<std::string> expected = {
      "+",
      "|+",
      "|-CApplication::DrawBackground:end length:2000",
      "|+",
      "||visible object:6",
      "|-CSceneGame::Draw():end length:0",
      "-CApplication::Render:end length:6000",
  };
  EXPECT_EQ(tail.Lines(), expected);
}

TEST_F(TraceTest, NameIsCopiedWhenTheScopeOpens) {
  LogTail tail;
  {
    char name[] = "CTarget::Move";
    CScopeTrace scope(name);
    name[0] = 'X';
  }
  ASSERT_EQ(tail.Lines().size(), 2u);
  EXPECT_EQ(tail.Lines()[1], "-CTarget::Move:end length:0");
}

TEST_F(TraceTest, SwitchOffWritesNothingButMovesTheDepth) {
  LogTail tail;
  g_traceEnabled = false;
  {
    CScopeTrace outer("outer");
    EXPECT_EQ(g_traceDepth, 1);
    {
      CScopeTrace inner("inner");
      EXPECT_EQ(g_traceDepth, 2);
      Message("not written");
    }
    EXPECT_EQ(g_traceDepth, 1);
  }
  EXPECT_EQ(g_traceDepth, 0);
  EXPECT_TRUE(tail.Lines().empty());
}

TEST_F(TraceTest, ExceptionStillClosesTheScope) {
  LogTail tail;
  try {
    CScopeTrace outer("CSceneGame::Move()");
    platform::AdvanceClock(5);
    throw std::runtime_error("leaving early");
  } catch (const std::runtime_error&) {
  }
  EXPECT_EQ(g_traceDepth, 0);
  std::vector<std::string> expected = {"+", "-CSceneGame::Move():end length:5000"};
  EXPECT_EQ(tail.Lines(), expected);
}

TEST_F(TraceTest, TicksAreTheLowThirtyTwoBitsAsSigned) {
  LogTail tail;
  {
    CScopeTrace scope("long");
    // 2200 s at 1 MHz = 2.2e9 ticks: past INT32_MAX, so the low 32 bits read negative.
    platform::AdvanceClock(2200000u);
  }
  ASSERT_EQ(tail.Lines().size(), 2u);
  EXPECT_EQ(tail.Lines()[1],
            "-long:end length:" + std::to_string(static_cast<int32_t>(2200000000u)));
}

// ---------------------------------------------------------------- whole runs

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

std::string MakeFolder() {
  char pattern[] = "/tmp/voskar-trace-XXXXXX";
  const char* made = mkdtemp(pattern);
  return made ? made : "";
}

TEST(TraceRun, FirstScopeOfARunWritesFrequencyThenPlainStart) {
  std::string folder = MakeFolder();
  ASSERT_FALSE(folder.empty());
  ASSERT_EQ(RunChild(folder, "one-scope"), 0);
  std::vector<std::string> lines = SplitLines(ReadFile(folder + "/log.txt"));
  std::vector<std::string> expected = {"Frequency:1000000", "+", "-first:end length:250000"};
  EXPECT_EQ(lines, expected);
}

TEST(TraceRun, EveryRunStartsWithAnEmptyLog) {
  std::string folder = MakeFolder();
  ASSERT_FALSE(folder.empty());
  {
    std::ofstream old(folder + "/log.txt");
    old << "left over from an earlier run\nand more\n";
  }
  ASSERT_EQ(RunChild(folder, "one-scope"), 0);
  ASSERT_EQ(RunChild(folder, "one-scope"), 0);
  std::vector<std::string> lines = SplitLines(ReadFile(folder + "/log.txt"));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "Frequency:1000000");
}

TEST(TraceRun, NoFileWhenLoggingIsOff) {
  std::string folder = MakeFolder();
  ASSERT_FALSE(folder.empty());
  ASSERT_EQ(RunChild(folder, "switched-off"), 0);
  struct stat info;
  EXPECT_NE(stat((folder + "/log.txt").c_str(), &info), 0);
}

TEST(TraceRun, UnopenableLogIsIgnored) {
  std::string folder = MakeFolder();
  ASSERT_FALSE(folder.empty());
  // A folder in the log's place cannot be opened as a file.
  ASSERT_EQ(mkdir((folder + "/log.txt").c_str(), 0755), 0);
  EXPECT_EQ(RunChild(folder, "one-scope"), 0);
}

int ChildMain(const std::string& scenario) {
  platform::UseManualClock(true);
  if (scenario == "one-scope") {
    {
      CScopeTrace scope("first");
      platform::AdvanceClock(250);
    }
    return g_traceDepth == 0 ? 0 : 1;
  }
  if (scenario == "switched-off") {
    g_traceEnabled = false;
    {
      CScopeTrace scope("quiet");
      Message("quiet");
      if (g_traceDepth != 1) return 1;
    }
    return g_traceDepth == 0 ? 0 : 1;
  }
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  g_selfPath = argv[0];
  if (g_selfPath.find('/') == std::string::npos || g_selfPath[0] != '/') {
    char resolved[4096];
    if (realpath(argv[0], resolved)) g_selfPath = resolved;
  }
  if (argc == 3 && std::string(argv[1]) == "--trace-child") return ChildMain(argv[2]);
  ::testing::InitGoogleTest(&argc, argv);
  // This process's own log lives in a folder of its own.
  std::string folder = MakeFolder();
  if (folder.empty() || chdir(folder.c_str()) != 0) return 1;
  return RUN_ALL_TESTS();
}
