// The path file reader with whatever bytes: the camera is placed along the
// keys read (before, on, between and after them) and a small world is drawn
// from where it stands.
#include <climits>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "Application.h"
#include "Classes/SceneGame/CameraPath.h"
#include "Classes/SceneGame/NHClasses.h"
#include "Classes/SceneGame/TargetRenderer.h"
#include "FileInterpreter.h"
#include "FuzzGame.h"
#include "d3dframe/d3dutil.h"

namespace {

// What the reader and the follower need of a game scene.
struct PathStage {
  CCameraPath path;
  std::vector<int> keyTimes;
  DWORD time = 0;
  D3DVECTOR eye{}, lookAt{}, worldUp{};
  int cleared = 0;

  void AddCameraKey(CameraKey* key) {
    keyTimes.push_back(key->time);
    path.Add(key);
  }
  DWORD GetTime() { return time; }
  void SetCamera(const D3DVECTOR& e, const D3DVECTOR& l, const D3DVECTOR& u) {
    eye = e;
    lookAt = l;
    worldUp = u;
  }
  void StageClear() { ++cleared; }
};

// A ground tile and two buildings, made once.
struct World {
  CBuildingRenderer* buildings = new CBuildingRenderer();
  CGroundRenderer* ground = new CGroundRenderer(-50.0f, 0.0f, -50.0f);
  World() {
    buildings->AddBuilding(-8.0f, 0.0f, 20.0f, 6.0f, 12.0f, 6.0f, "Building1a.bmp");
    buildings->AddBuilding(8.0f, 0.0f, 30.0f, 6.0f, 20.0f, 6.0f, "Building2a.bmp");
  }
};

void DrawFrom(PathStage& stage, World& world) {
  LPDIRECT3DDEVICE7 device = CApplication::GetInstance()->GetDevice();
  D3DMATRIX view;
  D3DKit_SetIdentityMatrix(view);
  D3DKit_SetViewMatrix(view, stage.eye, stage.lookAt, stage.worldUp);
  device->SetTransform(D3DTRANSFORMSTATE_VIEW, &view);
  device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
  device->BeginScene();
  world.ground->RenderOpaque();
  world.buildings->RenderOpaque();
  world.ground->RenderTransparent();
  world.buildings->RenderTransparent();
  device->EndScene();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::StartGame();
  static World world;
  const std::string file = fuzz::WriteInput("Data/path.txt", data, size);
  PathStage stage;
  CFileInterpreter::InterpretPath(&stage, file);

  // Stage times worth looking at: the start, every key's time and its
  // neighbours, half-way between keys, and the far ends of the clock.
  std::vector<long long> times = {0, 1, 16, 1000, 60000, INT_MAX, UINT_MAX};
  for (size_t i = 0; i < stage.keyTimes.size() && i < 64; ++i) {
    long long t = stage.keyTimes[i];
    times.push_back(t - 1);
    times.push_back(t);
    times.push_back(t + 1);
    if (i + 1 < stage.keyTimes.size()) times.push_back((t + stage.keyTimes[i + 1]) / 2);
  }
  int drawn = 0;
  for (long long t : times) {
    // The stage clock is unsigned; the follower reads it as signed.
    stage.time = static_cast<DWORD>(static_cast<unsigned long long>(t) & 0xFFFFFFFFull);
    stage.path.Step(stage);
    if (drawn < 6 && stage.path.GetCount() > 0) {
      DrawFrom(stage, world);
      ++drawn;
    }
  }
  if (stage.path.GetCount() == 0 && stage.cleared == 0) fuzz::Fail("no key and no end");
  return 0;
}
