#include "StageFixture.h"

#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>

#include "ScopeTrace.h"
#include "Sound.h"
#include "d3dframe/d3dtextr.h"

namespace stagetest {

const char kStillPath[] =
    "{ { time 0 position 0 1 -20 lookat 0 0 1 worldup 0 1 0 }"
    "  { time 600000 position 0 1 -20 lookat 0 0 1 worldup 0 1 0 } }";

namespace {

std::vector<std::string>* g_sounds = nullptr;

void RecordSound(const std::string& name, int) {
  if (g_sounds) g_sounds->push_back(name);
}

// Once per process: an empty working folder (so "log.txt" is ours), blank
// textures under the names the stage draws with, then the game's start-up.
void StartUpOnce() {
  static bool started = false;
  if (started) return;
  started = true;
  char folder[] = "/tmp/voskar-stage-XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  ASSERT_EQ(chdir(folder), 0);
  for (const char* name :
       {"Letter.bmp", "Frame.tga", "Sight.bmp", "Keyboard.tga", "Sprite.bmp", "Earth2.bmp",
        "Bullet.bmp", "Enemy1.bmp", "Building1a.bmp", "Building2a.bmp", "Sky1.bmp"}) {
    ASSERT_EQ(D3DTextr_CreateBlankTexture(name, 64, 64, 0, 0), S_OK) << name;
  }
  ASSERT_EQ(CApplication::GetInstance()->OneTimeSceneInit(), S_OK);
}

}  // namespace

std::string WriteFile(const std::string& name, const std::string& text) {
  std::ofstream out(name.c_str(), std::ios::binary | std::ios::trunc);
  out << text;
  return name;
}

std::string ReadTraceLog() {
  GetTraceLog().flush();
  std::ifstream in("log.txt");
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void StageTest::SetUp() {
  StartUpOnce();
  DDSURFACEDESC2 desc{};
  desc.dwSize = sizeof(desc);
  desc.dwWidth = 640;
  desc.dwHeight = 480;
  ASSERT_EQ(CApplication::GetInstance()->InitDeviceObjects(&m_directDraw, &m_direct3D, &m_device,
                                                           &m_backBuffer, desc, &m_frontBuffer,
                                                           &m_backBuffer, 640, 480),
            S_OK);
  Status().Reset();
  g_sounds = &m_sounds;
  CSound::SetSink(RecordSound);
  std::srand(42);
}

void StageTest::TearDown() {
  CSound::SetSink(nullptr);
  g_sounds = nullptr;
  CApplication::GetInstance()->DeleteDeviceObjects();
}

std::unique_ptr<CSceneGame> StageTest::MakeScene(const std::string& sceneText,
                                                 const std::vector<std::string>& words,
                                                 bool keyboard, const std::string& pathText) {
  std::string wordText;
  for (const std::string& word : words) wordText += word + "\n";
  std::unique_ptr<CSceneGame> scene(new CSceneGame(WriteFile("scene.txt", sceneText),
                                                   WriteFile("path.txt", pathText),
                                                   WriteFile("words.txt", wordText), keyboard));
  return scene;
}

std::vector<CTarget*> StageTest::Targets(CSceneGame& scene) {
  std::vector<CTarget*> targets;
  for (CObject* object : Impl(scene).m_objects) {
    if (CTarget* target = dynamic_cast<CTarget*>(object)) targets.push_back(target);
  }
  return targets;
}

CTarget* StageTest::Holder(CSceneGame& scene, char letter) {
  auto found = Impl(scene).m_letterTargets.find(
      static_cast<char>(std::tolower(static_cast<unsigned char>(letter))));
  return found == Impl(scene).m_letterTargets.end() ? nullptr : found->second;
}

::testing::AssertionResult StageTest::LettersConsistent(CSceneGame& scene) {
  CSceneGame::CImpl& impl = Impl(scene);
  std::set<CTarget*> holders;
  for (char c = 'a'; c <= 'z'; ++c) {
    bool isFree = impl.m_freeLetters.count(c) != 0;
    auto held = impl.m_letterTargets.find(c);
    bool isHeld = held != impl.m_letterTargets.end();
    if (isFree == isHeld) {
      return ::testing::AssertionFailure()
             << "letter " << c << (isFree ? " both free and held" : " neither free nor held");
    }
    if (isHeld) {
      CTarget* target = held->second;
      if (!holders.insert(target).second)
        return ::testing::AssertionFailure() << "a target holds two letters";
      if (!target->IsActive() || target->IsDead())
        return ::testing::AssertionFailure() << "letter " << c << " held by a finished target";
      if (std::tolower(static_cast<unsigned char>(target->GetText()[0])) != c)
        return ::testing::AssertionFailure()
               << "letter " << c << " held by word " << target->GetText();
    }
  }
  if (impl.m_freeLetters.size() + impl.m_letterTargets.size() != 26)
    return ::testing::AssertionFailure() << "letters other than a-z in the books";
  if (impl.m_activeTarget && !holders.count(impl.m_activeTarget))
    return ::testing::AssertionFailure() << "the locked target holds no letter";
  return ::testing::AssertionSuccess();
}

void StageTest::Type(CSceneGame& scene, const std::string& text) {
  for (char c : text) scene.CatchKey(c);
}

std::vector<std::string> StageTest::Calls() {
  std::vector<std::string> calls(m_log.begin() + m_seen, m_log.end());
  m_seen = m_log.size();
  return calls;
}

}  // namespace stagetest
