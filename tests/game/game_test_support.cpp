#include "game_test_support.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "DebugReport.h"
#include "Sound.h"

namespace gametest {
namespace {

class WorkingFolder : public ::testing::Environment {
 public:
  void SetUp() override {
    char pattern[] = "/tmp/voskar-game-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    ASSERT_EQ(chdir(pattern), 0);
    mkdir("Data", 0755);
    m_folder = pattern;
  }
  void TearDown() override {
    if (m_folder.empty() || chdir("/") != 0) return;
    std::error_code ignored;
    std::filesystem::remove_all(m_folder, ignored);
  }

 private:
  std::string m_folder;
};
::testing::Environment* const g_folder = ::testing::AddGlobalTestEnvironment(new WorkingFolder);

Lines g_sounds;
Lines g_reports;

void RecordSound(const std::string& name, int flags) {
  g_sounds.push_back(flags ? name + " flags=" + std::to_string(flags) : name);
}
void RecordReport(const char* text) {
  g_reports.push_back(text);
}
Lines TakeLines(Lines& lines) {
  Lines taken;
  taken.swap(lines);
  return taken;
}

}  // namespace

void WriteData(const std::string& name, const std::string& content) {
  std::ofstream("Data/" + name, std::ios::binary | std::ios::trunc) << content;
}

std::string ReadTraceLog() {
  std::ostringstream text;
  text << std::ifstream("log.txt", std::ios::binary).rdbuf();
  return text.str();
}

SoundRecorder::SoundRecorder() {
  g_sounds.clear();
  CSound::SetSink(RecordSound);
}
SoundRecorder::~SoundRecorder() {
  CSound::SetSink(nullptr);
}
Lines SoundRecorder::Take() {
  return TakeLines(g_sounds);
}

DebugRecorder::DebugRecorder() {
  g_reports.clear();
  SetDebugReportSink(RecordReport);
}
DebugRecorder::~DebugRecorder() {
  SetDebugReportSink(nullptr);
}
Lines DebugRecorder::Take() {
  return TakeLines(g_reports);
}

}  // namespace gametest
