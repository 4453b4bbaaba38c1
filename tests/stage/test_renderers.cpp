// What the stage draws: the word label, the billboards, the head-up panel,
// the sight and the on-screen keyboard, checked on the recording device.
#include <algorithm>
#include <cmath>

#include "Classes/SceneGame/NHRenderers.h"
#include "Classes/SceneGame/Sight.h"
#include "Classes/SceneGame/TargetRenderer.h"
#include "StageFixture.h"

namespace stagetest {
namespace {

// A surface that records the glyph copies made onto it.
class GlyphSurface : public coretest::FakeSurface {
 public:
  GlyphSurface(coretest::CallLog* log, IDirectDraw7* owner) : FakeSurface(log, "glyphs", owner) {}
  struct Copy {
    DWORD x, y;
    RECT cell;
  };
  std::vector<Copy> copies;
  int fills = 0;
  HRESULT Blt(LPRECT, LPDIRECTDRAWSURFACE7, LPRECT, DWORD flags, LPDDBLTFX fx) override {
    if ((flags & DDBLT_COLORFILL) && fx && fx->dwFillColor == 0xFFFFFFFF) ++fills;
    return S_OK;
  }
  HRESULT BltFast(DWORD x, DWORD y, LPDIRECTDRAWSURFACE7, LPRECT cell, DWORD) override {
    copies.push_back({x, y, *cell});
    return S_OK;
  }
};

int CountPrefix(const std::vector<std::string>& calls, const std::string& prefix) {
  return static_cast<int>(std::count_if(
      calls.begin(), calls.end(), [&](const std::string& c) { return c.rfind(prefix, 0) == 0; }));
}

TEST_F(StageTest, TheLabelShowsAtMostSevenUntypedLettersFromTheFirstCell) {
  GlyphSurface surface(&m_log, &m_directDraw);
  CTextRenderer::TextOut(&surface, "abcdefghi", 0);
  ASSERT_EQ(surface.copies.size(), 7u);
  EXPECT_EQ(surface.copies[0].x, 16u);
  EXPECT_EQ(surface.copies[6].x, 208u);
  EXPECT_EQ(surface.copies[6].y, 160u);

  surface.copies.clear();
  CTextRenderer::TextOut(&surface, "abcdefghi", 3);
  ASSERT_EQ(surface.copies.size(), 6u);
  EXPECT_EQ(surface.copies[0].x, 16u);
  EXPECT_EQ(surface.copies[0].cell.left, 3 * 32);  // 'd'

  surface.copies.clear();
  CTextRenderer::TextOut(&surface, "abc", 3);  // all typed: white, no letter
  EXPECT_TRUE(surface.copies.empty());
  EXPECT_EQ(surface.fills, 3);

  CTextRenderer::TextOut(&surface, "Qq1", 0);  // the digit has no cell
  ASSERT_EQ(surface.copies.size(), 2u);
  const RECT& upper = surface.copies[0].cell;
  const RECT& lower = surface.copies[1].cell;
  EXPECT_EQ((std::vector<LONG>{upper.left, upper.top, upper.right, upper.bottom}),
            (std::vector<LONG>{0, 192, 32, 256}));
  EXPECT_EQ((std::vector<LONG>{lower.left, lower.top, lower.right, lower.bottom}),
            (std::vector<LONG>{0, 64, 32, 128}));
}

TEST_F(StageTest, TheWordIsRedrawnOnlyWhenItOrItsTypedCountChanges) {
  CTargetRenderer* renderer = new CTargetRenderer(nullptr, 0, 0, 0, "Enemy1.bmp");
  auto fills = [&] {
    return CountPrefix(Calls(), "texture.Blt(null, null, null, 0x400, size 100 fill 0xffffffff");
  };
  Calls();
  renderer->SetText("kite");
  EXPECT_EQ(fills(), 1);
  renderer->SetTyped(2);
  renderer->SetText("kite");  // the same word keeps the typed count
  EXPECT_EQ(renderer->GetTyped(), 2u);
  EXPECT_EQ(fills(), 1);
  renderer->SetTyped(2);
  EXPECT_EQ(fills(), 0);
  renderer->SetText("pear");
  EXPECT_EQ(renderer->GetTyped(), 0u);
  EXPECT_EQ(fills(), 1);
  renderer->Release();
}

TEST_F(StageTest, BillboardsTurnAboutTheVerticalAxisToFaceTheEye) {
  D3DVECTOR eye = {{0.0f}, {1.0f}, {-20.0f}};
  // Straight ahead: unrotated.
  D3DMATRIX ahead = BillboardMatrix({{0.0f}, {5.0f}, {10.0f}}, eye);
  EXPECT_NEAR(ahead._11, 1.0f, 1e-6);
  EXPECT_NEAR(ahead._33, 1.0f, 1e-6);
  EXPECT_EQ(ahead._42, 5.0f);
  // At 90 degrees to the side: the picture's z axis points from the eye to it.
  D3DMATRIX side = BillboardMatrix({{30.0f}, {0.0f}, {-20.0f}}, eye);
  EXPECT_NEAR(side._31, 1.0f, 1e-6);
  EXPECT_NEAR(side._33, 0.0f, 1e-6);
  EXPECT_NEAR(side._22, 1.0f, 1e-6);  // never tilted
  EXPECT_EQ(side._41, 30.0f);
  // Straight above the eye there is no facing direction: unrotated.
  D3DMATRIX above = BillboardMatrix({{0.0f}, {40.0f}, {-20.0f}}, eye);
  for (float value : {above._11, above._22, above._33}) EXPECT_EQ(value, 1.0f);
  for (float value : {above._12, above._13, above._21, above._23, above._31, above._32})
    EXPECT_EQ(value, 0.0f);
  EXPECT_EQ(above._42, 40.0f);
  EXPECT_FALSE(std::isnan(above._11));
}

TEST_F(StageTest, ALivingTargetDrawsPictureFrameAndWordADyingOneOnlyItsPicture) {
  auto scene =
      MakeScene("scene{ enemy{ position 0 0 10 time 0 30000 texture Enemy1.bmp } }", {"ok"});
  scene->Move(0);
  scene->Move(10);
  CTarget* enemy = Targets(*scene).at(0);
  Calls();
  enemy->GetRenderer()->RenderOpaque();
  std::vector<std::string> living = Calls();
  EXPECT_EQ(CountPrefix(living, "DrawPrimitive(5, 0x112, 4"), 3);
  EXPECT_EQ(living.back(), "SetRenderState(41, 0)");
  EXPECT_EQ(CountPrefix(living, "texture.SetColorKey(0x8, 0xffffffff, 0xffffffff)"), 1);

  Type(*scene, "ok");
  enemy->GetRenderer()->RenderOpaque();
  std::vector<std::string> dying = Calls();
  EXPECT_EQ(CountPrefix(dying, "DrawPrimitive("), 1);
  EXPECT_EQ(CountPrefix(dying, "SetMaterial(d 1 1 0.5 1, a 1 1 0.5 1, s 0 0 0 0, e 0 0 0 1, 0)"),
            1);
  EXPECT_EQ(dying.back(), "SetMaterial(d 1 1 1 1, a 1 1 1 1, s 0 0 0 0, e 0 0 0 1, 0)");
}

TEST_F(StageTest, ThePanelShowsScoreDigitsAmmunitionAndLifeIcons) {
  CPanelRenderer panel("Sprite.bmp");
  auto cells = [&] {
    std::vector<int> c;
    for (int j = 0; j < 8; ++j)
      c.push_back(static_cast<int>(std::lround(panel.GetScoreVertices()[6 * j].tv * 512 / 32)));
    return c;
  };
  panel.SetScore(1234);
  EXPECT_EQ(cells(), (std::vector<int>{11, 11, 11, 11, 1, 2, 3, 4}));
  panel.SetScore(0);
  EXPECT_EQ(cells(), (std::vector<int>{11, 11, 11, 11, 11, 11, 11, 0}));
  panel.SetScore(123456789);  // more than eight characters: the first eight
  EXPECT_EQ(cells(), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8}));

  auto shown = [](const D3DTLVERTEX* quads, int count) {
    int n = 0;
    for (int i = 0; i < count; ++i) n += quads[6 * i].tu != 0.0f || quads[6 * i + 4].tu != 0.0f;
    return n;
  };
  panel.SetAmmo(6);
  EXPECT_EQ(shown(panel.GetAmmoVertices(), 6), 6);
  panel.SetAmmo(1);
  EXPECT_EQ(shown(panel.GetAmmoVertices(), 6), 1);
  EXPECT_EQ(panel.GetAmmoVertices()[0].tu, 129.0f / 512);
  // Icon 0 is the top-left one: column 0, row 0 from y 380.
  EXPECT_EQ(panel.GetAmmoVertices()[0].sx, 0.0f);
  EXPECT_EQ(panel.GetAmmoVertices()[0].sy, 380.0f);
  panel.SetLife(6);
  EXPECT_EQ(shown(panel.GetLifeVertices(), 5), 5);
  panel.SetLife(1);
  EXPECT_EQ(shown(panel.GetLifeVertices(), 5), 1);

  panel.SetTime(750);
  EXPECT_NEAR(panel.GetAngle(), 1.5707964f, 1e-6);
  panel.SetTime(3000);
  EXPECT_NEAR(panel.GetAngle(), 6.2831855f, 1e-6);
  // The first life icon, turned a quarter and a sixteenth of a half turn,
  // stays centred on (150, 440) with corners 32 from the centre.
  panel.SetTime(750);
  panel.SetLife(1);
  const D3DTLVERTEX* icon = panel.GetLifeVertices();
  float cx = (icon[0].sx + icon[4].sx) / 2, cy = (icon[0].sy + icon[4].sy) / 2;
  EXPECT_NEAR(cx, 150.0f, 1e-3);
  EXPECT_NEAR(cy, 440.0f, 1e-3);
  EXPECT_NEAR(std::hypot(icon[0].sx - 150.0f, icon[0].sy - 440.0f), 32.0f, 1e-3);

  Status().AddScore(50);
  Calls();
  panel.RenderOpaque();
  std::vector<std::string> calls = Calls();
  EXPECT_EQ(CountPrefix(calls, "DrawPrimitive(4, 0x1c4, 48"), 1);
  EXPECT_EQ(CountPrefix(calls, "DrawPrimitive(4, 0x1c4, 36"), 1);
  EXPECT_EQ(CountPrefix(calls, "DrawPrimitive(4, 0x1c4, 30"), 1);
  EXPECT_EQ(calls.back(), "SetRenderState(7, 1)");
  EXPECT_EQ(cells(), (std::vector<int>{11, 11, 11, 11, 11, 11, 5, 0}));
}

TEST_F(StageTest, TheSightStandsOnTheLockedTargetOverEverything) {
  auto scene =
      MakeScene("scene{ enemy{ position 4 0 10 time 0 30000 texture Enemy1.bmp } }", {"kite"});
  scene->Move(0);
  scene->Move(10);
  CSight* sight = Impl(*scene).m_sight;
  Calls();
  sight->GetRenderer()->RenderTransparent();
  EXPECT_TRUE(Calls().empty());  // nothing locked: no device call at all

  Type(*scene, "k");
  sight->GetRenderer()->RenderTransparent();
  std::vector<std::string> calls = Calls();
  std::vector<std::string> expected = {"SetRenderState(7, 0)", "SetRenderState(27, 1)",
                                       "SetRenderState(19, 2)", "SetRenderState(20, 2)"};
  for (const std::string& state : expected) EXPECT_EQ(CountPrefix(calls, state), 1) << state;
  EXPECT_EQ(CountPrefix(calls, "DrawPrimitive(5, 0x112, 4"), 1);
  EXPECT_EQ(calls.back(), "SetRenderState(7, 1)");
  EXPECT_EQ(sight->GetRenderer()->GetPosition(0).x, 4.0f);
  scene->CatchKey(KeyEscape);
  EXPECT_EQ(sight->GetRenderer()->GetPosition(0).x, 0.0f);
}

// The lit cells of the keyboard: the quads drawn after its picture.
std::vector<std::vector<D3DTLVERTEX>> LitCells(coretest::FakeDevice& device, size_t from) {
  std::vector<std::vector<D3DTLVERTEX>> cells;
  for (size_t i = from; i < device.m_drawn.size(); ++i)
    if (device.m_drawn[i].size() == 4 && device.m_drawn[i][0].color == 0xAFFFFF00)
      cells.push_back(device.m_drawn[i]);
  return cells;
}

TEST_F(StageTest, TheKeyboardLightsTheKeysToPressNext) {
  auto scene = MakeScene(
      "scene{ texture Enemy1.bmp time 0 30000 enemy{ position -5 0 10 } "
      "enemy{ position 0 0 10 } enemy{ position 5 0 10 } }",
      {"kite", "pear", "Sun"}, true);
  size_t from = m_device.m_drawn.size();
  scene->Draw();  // no active word yet: the picture alone
  EXPECT_TRUE(LitCells(m_device, from).empty());
  scene->Move(0);
  scene->Move(10);
  from = m_device.m_drawn.size();
  scene->Draw();
  std::vector<std::vector<D3DTLVERTEX>> cells = LitCells(m_device, from);
  EXPECT_EQ(cells.size(), 48u);  // k, p and s: 16 cells each
  for (const auto& cell : cells) {
    EXPECT_NEAR(cell[2].sx - cell[0].sx, 10.0f, 1e-3);
    EXPECT_NEAR(cell[0].sy - cell[1].sy, 8.0f, 1e-3);
    EXPECT_GE(cell[1].sy, 240.0f);
  }

  Type(*scene, "s");  // locked on "Sun": only the u key
  from = m_device.m_drawn.size();
  scene->Draw();
  cells = LitCells(m_device, from);
  ASSERT_EQ(cells.size(), 16u);
  // u is the seventh key of the row starting at column 8, grid rows 12-15.
  float left = 640.0f, top = 480.0f;
  for (const auto& cell : cells) left = std::min(left, cell[0].sx), top = std::min(top, cell[1].sy);
  EXPECT_NEAR(left, 320.0f, 1e-3);
  EXPECT_NEAR(top, 240.0f + 12 * 8, 1e-3);
}

TEST_F(StageTest, TheKeyTableCarriesEveryLetterOnSixteenCells) {
  for (char c = 'a'; c <= 'z'; ++c) EXPECT_EQ(KeyboardLitCells({c}).size(), 16u) << c;
  EXPECT_EQ(KeyboardLitCells({'k', 'p', 's'}).size(), 48u);
  EXPECT_TRUE(KeyboardLitCells({256, 300, 'A'}).size() == 16u);  // only Esc; 300 and 'A' nowhere
  EXPECT_EQ(KeyboardCode(24, 20), ' ');
  EXPECT_EQ(KeyboardCode(13, 57), 10);
  EXPECT_EQ(KeyboardCode(0, 0), 0);
}

}  // namespace
}  // namespace stagetest
