// The committed content: word lists, the camera path and the two scene
// layouts, including that every enemy is in view for its whole window.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "StageFiles.h"

namespace {

std::string ContentPath(const std::string& name) {
  return std::string(VOSKAR_CONTENT_DIR) + "/" + name;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) out.push_back(line);
  return out;
}

struct WordRule {
  const char* file;
  size_t minLength, maxLength;
  bool lowerOnly, someCapitalised;
};

TEST(WordLists, RealWordsOfTheRightLengthsCoveringEveryLetter) {
  const WordRule rules[] = {{"easy.txt", 3, 5, true, false},
                            {"normal.txt", 5, 8, false, false},
                            {"difficult.txt", 8, 40, false, true}};
  for (const WordRule& rule : rules) {
    std::string text = ReadFile(ContentPath(rule.file));
    ASSERT_FALSE(text.empty()) << rule.file;
    EXPECT_EQ(text.find('\r'), std::string::npos) << rule.file << " has Unix line ends";
    EXPECT_EQ(text.back(), '\n') << rule.file;
    std::vector<std::string> words = Lines(text);
    EXPECT_GE(words.size(), 250u) << rule.file;
    EXPECT_LE(words.size(), 350u) << rule.file;
    std::set<char> initials;
    std::set<std::string> seen;
    int capitalised = 0;
    for (const std::string& w : words) {
      ASSERT_FALSE(w.empty()) << rule.file << " has a blank line";
      EXPECT_TRUE(seen.insert(w).second) << rule.file << ": " << w << " twice";
      EXPECT_GE(w.size(), rule.minLength) << rule.file << ": " << w;
      EXPECT_LE(w.size(), rule.maxLength) << rule.file << ": " << w;
      for (char c : w) EXPECT_TRUE(std::isalpha(static_cast<unsigned char>(c))) << w;
      for (size_t i = 1; i < w.size(); ++i)
        EXPECT_TRUE(std::islower(static_cast<unsigned char>(w[i]))) << rule.file << ": " << w;
      if (std::isupper(static_cast<unsigned char>(w[0]))) ++capitalised;
      initials.insert(static_cast<char>(std::tolower(static_cast<unsigned char>(w[0]))));
    }
    EXPECT_EQ(initials.size(), 26u) << rule.file << " lacks words for some initial letter";
    if (rule.lowerOnly) {
      EXPECT_EQ(capitalised, 0) << rule.file;
    }
    if (rule.someCapitalised) {
      EXPECT_GE(capitalised, 5) << rule.file;
    }
  }
}

class StageContent : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    keys_ = ReadPathText(ReadFile(ContentPath("path10.txt")));
    easy_ = ReadSceneText(ReadFile(ContentPath("scene10e.txt")));
    hard_ = ReadSceneText(ReadFile(ContentPath("scene10d.txt")));
  }
  static std::vector<CameraKey> keys_;
  static Scene easy_, hard_;
};
std::vector<CameraKey> StageContent::keys_;
Scene StageContent::easy_, StageContent::hard_;

TEST_F(StageContent, PathIsOneRideOfTwoToThreeMinutesWithSmoothTurns) {
  ASSERT_GE(keys_.size(), 3u);
  EXPECT_EQ(keys_.front().time, 0) << "a first key after 0 ms clears the stage at once";
  // The outer block's closing brace repeats the last key; all others increase.
  for (size_t i = 1; i + 1 < keys_.size(); ++i)
    EXPECT_LT(keys_[i - 1].time, keys_[i].time) << "key " << i;
  EXPECT_EQ(keys_.back().time, keys_[keys_.size() - 2].time);
  EXPECT_GE(keys_.back().time, 150000);
  EXPECT_LE(keys_.back().time, 180000);
  for (size_t i = 1; i + 1 < keys_.size(); ++i) {
    const CameraKey& a = keys_[i - 1];
    const CameraKey& b = keys_[i];
    EXPECT_FLOAT_EQ(b.worldUp.y, 1.0f);
    float seconds = (b.time - a.time) / 1000.0f;
    EXPECT_LE(Distance(a.position, b.position) / seconds, 6.0f) << "too fast at key " << i;
    // Heading changes by at most 15 degrees between neighbouring keys.
    float ha = std::atan2(a.lookAt.x, a.lookAt.z), hb = std::atan2(b.lookAt.x, b.lookAt.z);
    float turn = std::fabs(std::remainder(hb - ha, 2.0f * 3.1415927f));
    EXPECT_LE(turn, 15.0f * 3.1415927f / 180.0f + 1e-4f) << "sharp turn at key " << i;
  }
  // Stepping the follower past the last key ends the stage, and not before.
  EXPECT_FALSE(CameraAt(keys_, keys_.back().time - 1).cleared);
  EXPECT_TRUE(CameraAt(keys_, keys_.back().time).cleared);
}

TEST_F(StageContent, CityLinesTheRideOnGroundThatCoversIt) {
  const std::set<std::string> registered = {"Building1a.bmp", "Building2a.bmp", "Building3a.bmp",
                                            "Building4a.bmp", "Building5a.bmp", "Building6a.bmp"};
  for (const Scene* scene : {&easy_, &hard_}) {
    EXPECT_GE(scene->buildings.size(), 30u);
    EXPECT_EQ(scene->panels, 1);
    std::set<std::string> used;
    for (const Building& b : scene->buildings) {
      EXPECT_TRUE(registered.count(b.texture)) << b.texture;
      used.insert(b.texture);
      EXPECT_GT(b.size.x, 0.0f);
      EXPECT_GT(b.size.y, 0.0f);
      EXPECT_GT(b.size.z, 0.0f);
    }
    EXPECT_EQ(used, registered) << "all six building pictures are used";
    for (int t = 0; t <= keys_.back().time; t += 250) {
      Camera cam = CameraAt(keys_, t);
      // The ground reaches under the eye and 40 units ahead of it.
      Vec3 dir{cam.lookAt.x - cam.eye.x, 0, cam.lookAt.z - cam.eye.z};
      float n = std::sqrt(dir.x * dir.x + dir.z * dir.z);
      for (float ahead : {0.0f, 40.0f}) {
        float x = cam.eye.x + dir.x / n * ahead, z = cam.eye.z + dir.z / n * ahead;
        bool covered =
            std::any_of(scene->grounds.begin(), scene->grounds.end(), [&](const Ground& g) {
              return std::fabs(x - g.position.x) <= 50.0f && std::fabs(z - g.position.z) <= 50.0f;
            });
        EXPECT_TRUE(covered) << "no ground at " << t << " ms, " << ahead << " ahead";
      }
      // The camera never passes through a building.
      for (const Building& b : scene->buildings) {
        bool inside = std::fabs(cam.eye.x - b.position.x) < b.size.x / 2 + 1.0f &&
                      std::fabs(cam.eye.z - b.position.z) < b.size.z / 2 + 1.0f;
        EXPECT_FALSE(inside) << "eye inside a building at " << t << " ms";
      }
    }
  }
}

int MostAtOnce(const Scene& scene) {
  int most = 0;
  for (const Enemy& e : scene.enemies) {
    int now = e.start + 1, n = 0;
    for (const Enemy& o : scene.enemies) n += o.start < now && now <= o.end;
    most = std::max(most, n);
  }
  return most;
}

TEST_F(StageContent, EnemiesOfBothKindsWithWindowsInsideTheRide) {
  EXPECT_GE(easy_.enemies.size(), 40u);
  EXPECT_GE(hard_.enemies.size(), 60u);
  for (const Scene* scene : {&easy_, &hard_}) {
    std::map<std::string, int> kinds;
    for (const Enemy& e : scene->enemies) {
      ++kinds[e.texture];
      EXPECT_LT(e.start, e.end);
      EXPECT_GE(e.start, 0);
      EXPECT_LT(e.end, keys_.back().time);
    }
    EXPECT_EQ(kinds.size(), 2u);
    EXPECT_GT(kinds["Texture4.bmp"], 10);
    EXPECT_GT(kinds["Texture5.bmp"], 10);
  }
  // The difficult layout puts several words on screen at once.
  EXPECT_GE(MostAtOnce(hard_), 4);
  EXPECT_GE(MostAtOnce(hard_), MostAtOnce(easy_));
}

// Every enemy, at every stage time of its window (active from the first time
// after its start up to and including its end), stands 8 to 40 units in front
// of the camera with its whole picture inside the view, and no building
// stands between the eye and its picture or label. With aboveKeyboard the
// picture also stays in the upper half of the screen, clear of the on-screen
// keyboard of the easy level.
void ExpectAllInView(const Scene& scene, const std::vector<CameraKey>& keys, const char* name,
                     bool aboveKeyboard) {
  int failures = 0;
  for (size_t i = 0; i < scene.enemies.size() && failures < 10; ++i) {
    const Enemy& e = scene.enemies[i];
    for (int now = e.start + 1; now <= e.end && failures < 10;
         now = std::min(now + 20, e.end + 1)) {
      Camera cam = CameraAt(keys, now);
      Vec3 centre{e.position.x, e.position.y + 1.5f, e.position.z};
      Vec3 label{e.position.x, e.position.y + 0.75f, e.position.z};
      float d = Distance(cam.eye, centre);
      bool ok = d >= 8.0f && d <= 40.0f;
      for (const Vec3& c : PictureCorners(e.position, cam.eye)) {
        Vec3 v = ToView(cam, c);
        ok = ok && InsideFrustum(v) && (!aboveKeyboard || v.y > 0.0f);
      }
      for (const Building& b : scene.buildings)
        ok = ok && !SegmentHitsBuilding(cam.eye, centre, b) &&
             !SegmentHitsBuilding(cam.eye, label, b);
      if (!ok) {
        ++failures;
        ADD_FAILURE() << name << " enemy " << i << " (window " << e.start << "-" << e.end
                      << ") out of view at " << now << " ms, distance " << d;
      }
      if (now == e.end) break;
    }
  }
}

TEST_F(StageContent, EveryEnemyIsInViewForItsWholeWindowOnEasy) {
  ExpectAllInView(easy_, keys_, "easy", true);
}

TEST_F(StageContent, EveryEnemyIsInViewForItsWholeWindowOnDifficult) {
  ExpectAllInView(hard_, keys_, "difficult", false);
}

TEST(StageContentReader, FollowsTheFileGrammar) {
  // Keywords in any case; values carried over between blocks; nothing after
  // the outermost block is read.
  Scene s = ReadSceneText(
      "SCENE{ light{ position 1 2 3 } enemy{ time 10 20 texture Texture4.bmp } "
      "Building{ size 4 12 4 texture MiXed.bmp } panel{ } } building{ }");
  ASSERT_EQ(s.enemies.size(), 1u);
  EXPECT_FLOAT_EQ(s.enemies[0].position.z, 3.0f);
  ASSERT_EQ(s.buildings.size(), 1u);
  EXPECT_EQ(s.buildings[0].texture, "MiXed.bmp");
  EXPECT_FLOAT_EQ(s.buildings[0].position.x, 1.0f);
  EXPECT_EQ(s.panels, 1);
  // The outer block's closing brace makes one more key, a copy of the last.
  std::vector<CameraKey> k = ReadPathText(
      "{ { time 0 position 0 0 0 lookat 0 0 1 worldup 0 1 0 } { time 5000 position 0 0 10 } }");
  ASSERT_EQ(k.size(), 3u);
  EXPECT_EQ(k[2].time, 5000);
  EXPECT_FLOAT_EQ(k[2].position.z, 10.0f);
  // The blend: a time equal to a key's uses the pair starting there.
  Camera c = CameraAt(k, 2500);
  EXPECT_FLOAT_EQ(c.eye.z, 5.0f);
  EXPECT_FLOAT_EQ(c.lookAt.z, 6.0f);
  EXPECT_FALSE(CameraAt(k, 0).cleared);
  EXPECT_TRUE(CameraAt(k, 5000).cleared);
}

TEST(StageContentReader, ViewVolumeAndOcclusion) {
  Camera cam{{0, 0, 0}, {0, 0, 1}, {0, 1, 0}, false};
  EXPECT_TRUE(InsideFrustum(ToView(cam, {0, 0, 10})));
  EXPECT_TRUE(InsideFrustum(ToView(cam, {5.7f, 0, 10})));   // just inside 30 degrees
  EXPECT_FALSE(InsideFrustum(ToView(cam, {5.8f, 0, 10})));  // just outside
  EXPECT_FALSE(InsideFrustum(ToView(cam, {0, 5.8f, 10})));
  EXPECT_FALSE(InsideFrustum(ToView(cam, {0, 0, -10})));   // behind
  EXPECT_FALSE(InsideFrustum(ToView(cam, {0, 0, 0.5f})));  // nearer than the near plane
  Building b{{0, 0, 5}, {2, 10, 2}, "Building1a.bmp"};
  EXPECT_TRUE(SegmentHitsBuilding({0, 1, 0}, {0, 1, 10}, b));
  EXPECT_FALSE(SegmentHitsBuilding({0, 11, 0}, {0, 11, 10}, b));  // over the roof
  EXPECT_FALSE(SegmentHitsBuilding({3, 1, 0}, {3, 1, 10}, b));
}

}  // namespace
