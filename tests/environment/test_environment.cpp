// In-process cases of the hostile surroundings: the log file is never
// written through a link, and an error box that ends the program ends it
// with a failure status.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "d3dframe/d3dapp.h"
#include "port.h"
#include "testing.h"

namespace {

std::string Read(const std::string& path) {
  std::ifstream in(path);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(LogFile, IsNeverWrittenThroughALinkAndNeverWaitsOnAPipe) {
  char folder[] = "/tmp/voskar-log-XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  const std::string dir = folder;
  std::ofstream(dir + "/target") << "precious";
  ASSERT_EQ(symlink((dir + "/target").c_str(), (dir + "/symbolic.txt").c_str()), 0);
  ASSERT_EQ(link((dir + "/target").c_str(), (dir + "/hard.txt").c_str()), 0);
  ASSERT_EQ(mkfifo((dir + "/pipe.txt").c_str(), 0600), 0);
  for (const char* name : {"symbolic.txt", "hard.txt", "pipe.txt"}) {
    std::ofstream log;
    EXPECT_FALSE(Port_OpenLogFile(log, (dir + "/" + name).c_str())) << name;
    log << "dropped" << std::endl;
    EXPECT_TRUE(log.fail()) << name;
  }
  EXPECT_EQ(Read(dir + "/target"), "precious");

  // A plain file is emptied and written; a missing one is made.
  std::ofstream(dir + "/plain.txt") << "an earlier run";
  for (const char* name : {"plain.txt", "new.txt"}) {
    std::ofstream log;
    ASSERT_TRUE(Port_OpenLogFile(log, (dir + "/" + name).c_str())) << name;
    log << "+" << std::endl;
    EXPECT_EQ(Read(dir + "/" + name), "+\n") << name;
  }
  for (const char* name : {"target", "symbolic.txt", "hard.txt", "pipe.txt", "plain.txt", "new.txt"})
    unlink((dir + "/" + name).c_str());
  rmdir(folder);
}

class FailingApp : public CD3DApplication {
 public:
  HRESULT InitDeviceObjects() override { return initResult; }
  HRESULT initResult = S_OK;
  using CD3DApplication::m_window;
};

TEST(ErrorBox, ThatEndsTheProgramEndsItWithAFailureStatus) {
  platform::UseManualClock(true);
  FailingApp app;
  ASSERT_EQ(app.Create(nullptr, ""), S_OK);
  platform::TakeMessageBoxes();
  // The display cannot be built again after the switch to full-screen.
  app.initResult = E_FAIL;
  SendMessageA(app.m_window, WM_COMMAND, IDM_TOGGLEFULLSCREEN, 0);
  std::vector<platform::MessageBoxCall> boxes = platform::TakeMessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].type, static_cast<UINT>(MB_ICONERROR));
  EXPECT_NE(boxes[0].text.find("This sample will now exit."), std::string::npos);
  EXPECT_NE(app.Run(), 0);
  platform::UseManualClock(false);
}

}  // namespace
