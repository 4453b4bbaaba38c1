// The game core: start-up texture list, fixed device state, per-frame order,
// time in milliseconds, and a device re-creation restarting the game.
#include <algorithm>
#include <cmath>

#include "CoreFixture.h"
#include "d3dframe/d3dtextr.h"

namespace coretest {
namespace {

TEST_F(CoreTest, StartupReportsEveryPictureThatFailedToLoadInListOrder) {
  // No picture file exists in the test folder; the test pictures were
  // registered beforehand and the blank texture needs no file.
  const std::vector<std::string> expected = {
      "Failed Create Texture4",   "Failed Create Texture5",   "Failed Create Building1a",
      "Failed Create Building2a", "Failed Create Building3a", "Failed Create Building4a",
      "Failed Create Building5a", "Failed Create Building6a", "Failed Create Frame",
      "Failed Create Earth2",     "Failed Create Bullet",     "Failed Create Sight",
      "Failed Create Keyboard",   "Failed Create NowLoading",
  };
  EXPECT_EQ(StartupReports(), expected);
  // The blank texture was registered: registering the name again fails.
  EXPECT_EQ(D3DTextr_CreateBlankTexture("empty.bmp", 256, 256, 0, 0), E_FAIL);
}

TEST_F(CoreTest, DeviceSetupSetsTheFixedStateInOrder) {
  InitDevice();
  const CallLog expected = {
      "SetViewport(0, 0, 640, 480, 0, 1)",
      "SetTransform(1, [1 0 0 0 | 0 1 0 0 | 0 0 1 0 | 0 0 0 1])",
      "SetTransform(2, [1 0 0 0 | 0 1 0 0 | 0 0 1 0 | 0 -1.5 5 1])",
      "SetTransform(3, [1.73205 0 0 0 | 0 1.73205 0 0 | 0 0 1.0002 1 | 0 0 -1.0002 0])",
      "SetMaterial(d 1 1 1 1, a 1 1 1 1, s 0 0 0 0, e 0 0 0 1, 0)",
      "SetLight(0, type 3, d 1 1 1 1, s 1 1 1 1, a 1 1 1 1, pos 0 0 0, dir 0 0 1, range 10000, "
      "0 0 0 0 0 0)",
      "LightEnable(0, 1)",
      "SetRenderState(22, 1)",
      "SetRenderState(29, 1)",
      "SetTextureStageState(0, 2, 2)",
      "SetTextureStageState(0, 3, 0)",
      "SetTextureStageState(0, 1, 4)",
      "SetTextureStageState(0, 4, 2)",
      "SetTextureStageState(0, 5, 2)",
      "SetTextureStageState(0, 17, 2)",
      "SetTextureStageState(0, 16, 2)",
      "SetRenderState(26, 1)",
      "GetViewport()",
      // Of the black-keyed textures only the sprite sheet has a surface here.
      "Sprite.bmp.SetColorKey(0x8, 0xff000000, 0xff000000)",
  };
  EXPECT_EQ(m_log, expected);
  // 640 / 480 as whole numbers: the aspect is exactly 1, so both scales match.
  EXPECT_EQ(m_device.m_projection._11, m_device.m_projection._22);
  EXPECT_NEAR(m_device.m_projection._22, 1.7320508f, 1e-6);
  // Every test picture got its surface on this device.
  for (const std::string& name : TestPictures())
    EXPECT_NE(D3DTextr_GetSurface(name.c_str()), nullptr) << name;
}

TEST_F(CoreTest, InitDeviceObjectsWithoutADeviceStopsTheProgram) {
  DDSURFACEDESC2 desc{};
  EXPECT_DEATH(m_app->InitDeviceObjects(&m_directDraw, &m_direct3D, nullptr, &m_backBuffer, desc,
                                        &m_frontBuffer, &m_backBuffer, 640, 480),
               "");
}

TEST_F(CoreTest, FrameMoveHandsWholeMillisecondsToTheScene) {
  InitDevice();
  auto events = EnterWatchedScene();
  Frame(0.5f);  // the watched scene becomes current; it is not moved yet
  for (float seconds : {1.2345f, 0.0009f, 2.0f, 3.9999f}) Frame(seconds);
  EXPECT_EQ(events->moves, (std::vector<unsigned long>{1234, 0, 2000, 3999}));
}

TEST_F(CoreTest, RenderFillsClearsDrawsTheSkyThenTheScene) {
  InitDevice();
  auto events = EnterWatchedScene();
  m_app->FrameMove(0.0f);
  m_log.clear();
  m_device.m_drawn.clear();
  ASSERT_EQ(m_app->Render(), S_OK);
  const CallLog expected = {
      "back.Blt((0,0,640,480), null, (0,0,640,480), 0x1000400, size 100 fill 0)",
      "Clear(1, (0,0,640,480), 0x3, 0xff000000, 1, 0)",
      "SetTexture(0, Sky1.bmp)",
      "SetRenderState(7, 0)",
      "SetRenderState(7, 1)",
      "SetRenderState(4, 0)",
      "BeginScene()",
      "DrawPrimitive(5, 0x1c4, 4, 0)",
      "SetRenderState(7, 1)",
      "EndScene()",
  };
  EXPECT_EQ(m_log, expected);
  EXPECT_EQ(events->draws, 1);
  ASSERT_EQ(m_device.m_drawn.size(), 1u);
  const float corners[4][4] = {{0, 480, 0, 1}, {0, 0, 0, 0}, {640, 480, 1, 1}, {640, 0, 1, 0}};
  for (int i = 0; i < 4; ++i) {
    const D3DTLVERTEX& v = m_device.m_drawn[0][i];
    EXPECT_EQ(v.sx, corners[i][0]);
    EXPECT_EQ(v.sy, corners[i][1]);
    EXPECT_EQ(v.tu, corners[i][2]);
    EXPECT_EQ(v.tv, corners[i][3]);
    EXPECT_FLOAT_EQ(v.sz, 0.99f);
    EXPECT_FLOAT_EQ(v.rhw, 0.5f);
    EXPECT_EQ(v.color, 0xFFFFFFFFu);
    EXPECT_EQ(v.specular, 0u);
  }
  EXPECT_EQ(ClosedScopes(NewTrace()).back(), "CApplication::Render");
}

TEST_F(CoreTest, FirstFrameShowsTheTitleBeforeItIsEverMoved) {
  InitDevice();
  NewTrace();
  Frame(0.0f);
  std::vector<std::string> scopes = ClosedScopes(NewTrace());
  const std::vector<std::string> expected = {"CApplication::FrameMove",
                                             "CApplication::DrawBackground", "CSceneTitle::Draw",
                                             "CApplication::Render"};
  EXPECT_EQ(scopes, expected);
  // The title's own picture follows the sky in the same frame.
  EXPECT_EQ(std::count(m_log.begin(), m_log.end(), "SetTexture(0, Title2.bmp)"), 1);
}

TEST_F(CoreTest, DeviceRecreationRestartsAtTheTitleWithAFreshPlayerStatus) {
  InitDevice();
  auto events = EnterWatchedScene();
  Frame(0.0f);
  CPlayerStatus* status = m_app->GetPlayerStatus();
  status->AddScore(700);
  status->Fire();
  status->AddHit();
  status->Damage();

  ASSERT_EQ(m_app->DeleteDeviceObjects(), S_OK);
  EXPECT_TRUE(events->deleted);
  EXPECT_EQ(m_app->GetSceneManager(), nullptr);
  EXPECT_EQ(D3DTextr_GetSurface("Sky1.bmp"), nullptr);
  InitDevice();
  EXPECT_EQ(status->GetScore(), 0);
  EXPECT_EQ(status->GetLife(), 5);
  EXPECT_EQ(status->GetAmmo(), 6);
  EXPECT_EQ(status->GetShotCount(), 0);
  EXPECT_EQ(status->GetHitCount(), 0);
  NewTrace();
  Frame(1.0f);
  EXPECT_EQ(CountScopes(NewTrace(), "CSceneTitle::Draw"), 1);
}

}  // namespace
}  // namespace coretest
