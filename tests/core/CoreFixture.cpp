#include "CoreFixture.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "DebugReport.h"
#include "ScopeTrace.h"
#include "d3dframe/d3dtextr.h"

namespace coretest {

bool EnterTemporaryFolder(const char* prefix) {
  static std::string folder;
  folder = std::string("/tmp/") + prefix + "-XXXXXX";
  if (!mkdtemp(folder.data()) || chdir(folder.c_str()) != 0) return false;
  atexit([] {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  });
  return true;
}

std::vector<std::string>& StartupReports() {
  static std::vector<std::string> reports;
  return reports;
}

const std::vector<std::string>& TestPictures() {
  static const std::vector<std::string> pictures = {"Sky1.bmp", "Title2.bmp", "LevelSelect.bmp",
                                                    "Score.bmp", "Sprite.bmp"};
  return pictures;
}

namespace {

void CollectReport(const char* text) {
  StartupReports().push_back(text);
}

// Runs once per process: an empty working folder (so "log.txt" is ours and no
// picture file is found), the test pictures as blank textures, then the
// game's start-up with its reports collected.
void StartUpOnce() {
  static bool started = false;
  if (started) return;
  started = true;
  ASSERT_TRUE(EnterTemporaryFolder("voskar-core"));
  for (const std::string& name : TestPictures())
    ASSERT_EQ(D3DTextr_CreateBlankTexture(name.c_str(), 256, 512, 0, 0), S_OK);
  SetDebugReportSink(CollectReport);
  ASSERT_EQ(CApplication::GetInstance()->OneTimeSceneInit(), S_OK);
  SetDebugReportSink(nullptr);
}

}  // namespace

std::string ReadTraceLog() {
  GetTraceLog().flush();
  std::ifstream in("log.txt");
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> ClosedScopes(const std::string& trace) {
  std::vector<std::string> names;
  std::istringstream lines(trace);
  std::string line;
  while (std::getline(lines, line)) {
    size_t dash = line.find_first_not_of('|');
    size_t end = line.find(":end length:");
    if (dash == std::string::npos || line[dash] != '-' || end == std::string::npos) continue;
    names.push_back(line.substr(dash + 1, end - dash - 1));
  }
  return names;
}

int CountScopes(const std::string& trace, const std::string& name) {
  int count = 0;
  for (const std::string& closed : ClosedScopes(trace))
    if (closed == name) ++count;
  return count;
}

CoreTest::CoreTest() = default;

void CoreTest::SetUp() {
  StartUpOnce();
  SurfaceNamer() = [](IDirectDrawSurface7* surface) -> std::string {
    for (const std::string& name : TestPictures())
      if (D3DTextr_GetSurface(name.c_str()) == surface) return name;
    return "";
  };
  m_traceSeen = ReadTraceLog().size();
}

void CoreTest::TearDown() {
  if (m_deviceObjects) m_app->DeleteDeviceObjects();
  SurfaceNamer() = nullptr;
}

void CoreTest::InitDevice(DWORD viewportWidth, DWORD viewportHeight) {
  DDSURFACEDESC2 desc{};
  desc.dwSize = sizeof(desc);
  desc.dwWidth = 640;
  desc.dwHeight = 480;
  ASSERT_EQ(m_app->InitDeviceObjects(&m_directDraw, &m_direct3D, &m_device, &m_backBuffer, desc,
                                     &m_frontBuffer, &m_backBuffer, 640, 480),
            S_OK);
  m_deviceObjects = true;
  // A viewport other than the render size, as a test of the scaled layouts.
  m_device.m_viewport.dwWidth = viewportWidth;
  m_device.m_viewport.dwHeight = viewportHeight;
}

void CoreTest::Frame(float seconds) {
  ASSERT_EQ(m_app->FrameMove(seconds), S_OK);
  ASSERT_EQ(m_app->Render(), S_OK);
}

std::shared_ptr<SceneEvents> CoreTest::EnterWatchedScene() {
  auto events = std::make_shared<SceneEvents>();
  m_app->GetSceneManager()->PushScene(new WatchedScene(events));
  return events;
}

std::string CoreTest::NewTrace() {
  std::string trace = ReadTraceLog();
  std::string fresh = trace.substr(std::min(m_traceSeen, trace.size()));
  m_traceSeen = trace.size();
  return fresh;
}

}  // namespace coretest
