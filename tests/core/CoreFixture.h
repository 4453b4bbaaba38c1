// Drives the game core on the fake device: one start-up per process, then a
// fresh set of device objects for every test, with helpers to read the trace
// log and to watch a scene from outside.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Application.h"
#include "Classes/IScene.h"
#include "Classes/SceneManager.h"
#include "FakeDevice.h"

namespace coretest {

// Makes an empty folder under /tmp the working folder; it is removed when the
// process ends.
bool EnterTemporaryFolder(const char* prefix);
// Messages the start-up's texture registration reported, in order.
std::vector<std::string>& StartupReports();
// The pictures the tests give surfaces to (registered as blank textures
// before the start-up, so no picture file is needed).
const std::vector<std::string>& TestPictures();
// Everything written to the trace log since the process started.
std::string ReadTraceLog();
// How many scopes of this name have closed in the given trace text.
int CountScopes(const std::string& trace, const std::string& name);
// Names of the scopes in the order they closed.
std::vector<std::string> ClosedScopes(const std::string& trace);

// What a watched scene saw; outlives the scene.
struct SceneEvents {
  std::vector<unsigned long> moves;
  std::vector<int> keys;
  int draws = 0;
  bool deleted = false;
};

// A scene that records its calls and stays alive until told otherwise.
class WatchedScene : public IScene {
 public:
  explicit WatchedScene(std::shared_ptr<SceneEvents> events) : m_events(std::move(events)) {}
  ~WatchedScene() override { m_events->deleted = true; }
  bool Draw() override {
    ++m_events->draws;
    return true;
  }
  void Move(unsigned long time) override { m_events->moves.push_back(time); }
  void CatchKey(int key) override { m_events->keys.push_back(key); }
  bool IsAlive() override { return true; }

 private:
  std::shared_ptr<SceneEvents> m_events;
};

class CoreTest : public ::testing::Test {
 protected:
  CoreTest();
  void SetUp() override;
  void TearDown() override;

  // Creates the device objects as the frame does after building a device.
  void InitDevice(DWORD viewportWidth = 640, DWORD viewportHeight = 480);
  // One frame as the frame runs it: FrameMove, then Render.
  void Frame(float seconds);
  // Makes a watched scene current (it is moved from the next frame on).
  std::shared_ptr<SceneEvents> EnterWatchedScene();
  // Trace text written since the last call (or since SetUp).
  std::string NewTrace();

  CApplication* m_app = CApplication::GetInstance();
  CallLog m_log;
  FakeDirectDraw m_directDraw{&m_log};
  FakeDirect3D m_direct3D;
  FakeSurface m_frontBuffer{&m_log, "front", &m_directDraw};
  FakeSurface m_backBuffer{&m_log, "back", &m_directDraw};
  FakeDevice m_device{&m_log, &m_backBuffer};
  bool m_deviceObjects = false;
  size_t m_traceSeen = 0;
};

}  // namespace coretest
