// The shipped stages read with the game's own readers: every enemy stands in
// front of the camera, inside the view, not hidden behind a building and
// 8 to 40 units away for its whole window.
#include <algorithm>
#include <cmath>

#include "Classes/SceneGame/NHRenderers.h"
#include "StageFixture.h"
#include "d3dframe/d3dutil.h"

namespace stagetest {
namespace {

struct Box {
  float x0, x1, y0, y1, z0, z1;
};

// Whether the segment from a to b passes through the box (slab test).
bool Crosses(const D3DVECTOR& a, const D3DVECTOR& b, const Box& box) {
  float from = 0.0f, to = 1.0f;
  const float starts[3] = {a.x, a.y, a.z};
  const float steps[3] = {b.x - a.x, b.y - a.y, b.z - a.z};
  const float lows[3] = {box.x0, box.y0, box.z0};
  const float highs[3] = {box.x1, box.y1, box.z1};
  for (int i = 0; i < 3; ++i) {
    if (std::fabs(steps[i]) < 1e-6f) {
      if (starts[i] < lows[i] || starts[i] > highs[i]) return false;
      continue;
    }
    float t0 = (lows[i] - starts[i]) / steps[i];
    float t1 = (highs[i] - starts[i]) / steps[i];
    if (t0 > t1) std::swap(t0, t1);
    from = std::max(from, t0);
    to = std::min(to, t1);
    if (from > to) return false;
  }
  return true;
}

class ContentViewTest : public StageTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(ContentViewTest, EveryEnemyIsInViewForItsWholeWindow) {
  std::string data = std::string(VOSKAR_SOURCE_DIR) + "/content/Data/";
  std::unique_ptr<CSceneGame> scene(
      new CSceneGame(data + GetParam(), data + "path10.txt", data + "easy.txt", false));
  CSceneGame::CImpl& impl = Impl(*scene);
  ASSERT_GE(impl.m_cameraPath->GetCount(), 2);
  std::vector<Box> boxes;
  for (IRenderer* renderer : impl.m_renderers) {
    auto* buildings = dynamic_cast<CBuildingRenderer*>(renderer);
    if (!buildings) continue;
    for (int i = 0; i < buildings->GetBuildingCount(); ++i) {
      D3DVECTOR at = buildings->GetPosition(i);
      const D3DVERTEX* v = buildings->GetVertices(i);
      // Vertices 0 and 9 are opposite corners (-a, h, -b) and (a, 0, b).
      boxes.push_back(
          {at.x + v[0].x, at.x + v[9].x, at.y, at.y + v[0].y, at.z + v[0].z, at.z + v[9].z});
    }
  }
  std::vector<CTarget*> enemies = Targets(*scene);
  ASSERT_FALSE(enemies.empty());
  ASSERT_FALSE(boxes.empty());
  int problems = 0;
  for (CTarget* enemy : enemies) {
    D3DVECTOR centre = enemy->GetRenderer()->GetPosition(0);
    centre.y += 1.5f;
    for (int t = enemy->GetStart() + 1; t <= enemy->GetEnd() && problems < 10; t += 100) {
      D3DVECTOR eye, lookAt, up;
      impl.m_cameraPath->Place(t, eye, lookAt, up);
      D3DMATRIX view;
      ASSERT_EQ(D3DKit_SetViewMatrix(view, eye, lookAt, up), S_OK);
      float x = centre.x * view._11 + centre.y * view._21 + centre.z * view._31 + view._41;
      float y = centre.x * view._12 + centre.y * view._22 + centre.z * view._32 + view._42;
      float z = centre.x * view._13 + centre.y * view._23 + centre.z * view._33 + view._43;
      float distance = Magnitude(centre - eye);
      // The projection of the game: 60 degrees, square aspect.
      const float scale = 1.7320508f;
      std::string what;
      if (z <= 0.0f)
        what = "behind the camera";
      else if (std::fabs(scale * x) > z || std::fabs(scale * y) > z)
        what = "outside the view";
      else if (distance < 8.0f || distance > 40.0f)
        what = "at distance " + std::to_string(distance);
      for (const Box& box : boxes)
        if (what.empty() && Crosses(eye, centre, box)) what = "behind a building";
      if (!what.empty()) {
        ++problems;
        ADD_FAILURE() << GetParam() << ": the enemy at (" << centre.x << ", " << centre.z
                      << ") with window " << enemy->GetStart() << "-" << enemy->GetEnd() << " is "
                      << what << " at " << t << " ms";
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(ShippedStages, ContentViewTest,
                         ::testing::Values("scene10e.txt", "scene10d.txt"));

}  // namespace
}  // namespace stagetest
