// The shipped stages, read with the game's own readers (scene and path files,
// camera path follower), against the rules for words a player can read,
// sampled every 20 ms: an active enemy's letters are at least 9 pixels tall
// at 640 x 480 in at least 80 % of its window; two active labels cover more
// than a quarter of the smaller one in at most 5 % of the samples; the ride
// lasts two to three minutes and holds every enemy's window. The label is
// placed as the target renderer places it: a 3 x 1.5 quad at the
// foot of the picture, 0.11 towards the eye, turned about the vertical to
// face it; its word fills rows 160-224 of the 256 rows spread over the quad.
#include <gtest/gtest.h>

#include <algorithm>

#include "Classes/SceneGame/CameraPath.h"
#include "d3dframe/d3dutil.h"
#include "support/Folder.h"
#include "support/Stage.h"
#include "support/StageInspector.h"

namespace {

// A tall letter ("l") of the glyph sheet drawn by tools/assetgen covers rows
// 11 to 48 of its 64-row cell; the cell sits at row 160 of the word surface.
const float kLetterTop = 3.0f * (1.0f - (160 + 11) / 256.0f);
const float kLetterBottom = 3.0f * (1.0f - (160 + 49) / 256.0f);

struct Rect {
  float x0 = 640, y0 = 480, x1 = 0, y1 = 0;
  float Area() const { return std::max(0.0f, x1 - x0) * std::max(0.0f, y1 - y0); }
};

bool Covers(const Rect& a, const Rect& b) {
  Rect both{std::max(a.x0, b.x0), std::max(a.y0, b.y0), std::min(a.x1, b.x1), std::min(a.y1, b.y1)};
  return both.x1 > both.x0 && both.y1 > both.y0 &&
         both.Area() > 0.25f * std::min(a.Area(), b.Area());
}

// Screen position of the label point (x, y) of a target standing at `at`.
D3DVECTOR LabelPoint(D3DVECTOR at, D3DVECTOR eye, D3DMATRIX& viewProjection, float x, float y) {
  D3DVECTOR origin = MakeVector(0, 0, 0), up = MakeVector(0, 1, 0);
  D3DVECTOR towards = MakeVector(at.x - eye.x, 0, at.z - eye.z);
  D3DMATRIX facing, world, all;
  D3DKit_SetViewMatrix(facing, origin, towards, up);
  D3DKit_SetIdentityMatrix(world);
  for (int row = 0; row < 3; ++row)
    for (int column = 0; column < 3; ++column)
      (&world._11)[row * 4 + column] = (&facing._11)[column * 4 + row];
  world._41 = at.x, world._42 = at.y, world._43 = at.z;
  D3DKit_MatrixMultiply(all, world, viewProjection);
  const float z = -0.11f, w = x * all._14 + y * all._24 + z * all._34 + all._44;
  return MakeVector(320 * (1 + (x * all._11 + y * all._21 + z * all._31 + all._41) / w),
                    240 * (1 - (x * all._12 + y * all._22 + z * all._32 + all._42) / w), w);
}

class ContentRules : public ::testing::TestWithParam<const char*> {};

TEST_P(ContentRules, WordsStayLegibleAndApartForTheWholeRide) {
  ASSERT_TRUE(support::EnterTemporaryFolder("voskar-content"));
  const std::string data = VOSKAR_SOURCE_DIR "/content/Data/";
  CSceneGame scene(data + GetParam(), data + "path10.txt", data + "easy.txt", false);
  CSceneGame::CImpl& impl = CSceneGameInspector::Impl(scene);
  const std::vector<CTarget*> enemies = support::Targets(scene);
  ASSERT_GE(enemies.size(), 40u);
  std::vector<int> tall(enemies.size()), shown(enemies.size());
  int samples = 0, crowded = 0, now = 0;
  D3DMATRIX projection, view, viewProjection;
  D3DKit_SetProjectionMatrix(projection, 3.1415927f / 3, 1, 1, 5000);
  for (D3DVECTOR eye, at, up; impl.m_cameraPath->Place(now, eye, at, up) == CCameraPath::kPlaced;
       now += 20, ++samples) {
    ASSERT_EQ(D3DKit_SetViewMatrix(view, eye, at, up), S_OK);
    D3DKit_MatrixMultiply(viewProjection, view, projection);
    std::vector<std::pair<size_t, Rect>> labels;
    for (size_t i = 0; i < enemies.size(); ++i) {
      if (now <= enemies[i]->GetStart() || now > enemies[i]->GetEnd()) continue;
      const D3DVECTOR place = enemies[i]->GetRenderer()->GetPosition(0);
      Rect r;
      for (float x : {-1.5f, 1.5f}) {
        for (float y : {0.0f, 1.5f}) {
          D3DVECTOR p = LabelPoint(place, eye, viewProjection, x, y);
          r = Rect{std::min(r.x0, p.x), std::min(r.y0, p.y), std::max(r.x1, p.x),
                   std::max(r.y1, p.y)};
        }
      }
      labels.emplace_back(i, Rect{std::max(r.x0, 0.0f), std::max(r.y0, 0.0f),
                                  std::min(r.x1, 640.0f), std::min(r.y1, 480.0f)});
      ++shown[i];
      tall[i] += LabelPoint(place, eye, viewProjection, 0, kLetterBottom).y -
                     LabelPoint(place, eye, viewProjection, 0, kLetterTop).y >=
                 9.0f;
    }
    bool covered = false;
    for (size_t a = 0; a < labels.size(); ++a)
      for (size_t b = a + 1; b < labels.size(); ++b)
        covered = covered || Covers(labels[a].second, labels[b].second);
    crowded += covered;
  }
  EXPECT_TRUE(now >= 120000 && now <= 180000) << "the ride lasts " << now << " ms";
  for (size_t i = 0; i < enemies.size(); ++i) {
    EXPECT_TRUE(enemies[i]->GetStart() >= 0 && enemies[i]->GetStart() < enemies[i]->GetEnd() &&
                enemies[i]->GetEnd() < now)
        << "the enemy's window " << enemies[i]->GetStart() << "-" << enemies[i]->GetEnd()
        << " lies outside the ride";
    EXPECT_GE(tall[i], 0.8 * shown[i]) << "letters of 9 pixels in " << tall[i] << " of " << shown[i]
                                       << " samples for the enemy with window "
                                       << enemies[i]->GetStart() << "-" << enemies[i]->GetEnd();
  }
  EXPECT_LE(crowded, 0.05 * samples) << "labels cover each other too often";
}

INSTANTIATE_TEST_SUITE_P(ShippedStages, ContentRules,
                         ::testing::Values("scene10e.txt", "scene10d.txt"));

}  // namespace
