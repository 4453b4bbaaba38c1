// A small reader of the scene and path files, the camera path blend and the
// view test, enough to check the committed stage content from the files.
#pragma once

#include <string>
#include <vector>

struct Vec3 {
  float x = 0, y = 0, z = 0;
};

struct Building {
  Vec3 position, size;  // centre of the base; width (x), height (y), depth (z)
  std::string texture;
};

struct Enemy {
  Vec3 position;  // centre of the picture's bottom edge
  int start = 0, end = 0;
  std::string texture;
};

struct Ground {
  Vec3 position;  // centre of a 100 × 100 square
};

struct Scene {
  std::vector<Building> buildings;
  std::vector<Enemy> enemies;
  std::vector<Ground> grounds;
  int panels = 0;
};

struct CameraKey {
  int time = 0;
  Vec3 position, lookAt, worldUp;
};

// Both readers follow the game's grammar: whitespace-separated tokens,
// keywords lower-cased, a stack of open blocks, reading ends when the
// outermost block closes.
Scene ReadSceneText(const std::string& text);
std::vector<CameraKey> ReadPathText(const std::string& text);
std::string ReadFile(const std::string& path);

struct Camera {
  Vec3 eye, lookAt, worldUp;  // lookAt is a point
  bool cleared = false;       // past the last pair: the stage ends
};

// The camera for a stage time, blended exactly as the path follower does
// (32-bit floats, the pair k0.time <= now < k1.time).
Camera CameraAt(const std::vector<CameraKey>& keys, int now);

// Position of p in the camera's view space (x right, y up, z forward), with
// the axes built as the game's look-at matrix builds them.
Vec3 ToView(const Camera& camera, const Vec3& p);

// True when view-space point v lies inside the game's view volume (field of
// view pi/3, aspect 1, near 1, far 5000).
bool InsideFrustum(const Vec3& v);

// The four corners of a target's 3 × 3 picture turned to face the eye.
std::vector<Vec3> PictureCorners(const Vec3& position, const Vec3& eye);

// True when the segment from a to b passes through the building's box.
bool SegmentHitsBuilding(const Vec3& a, const Vec3& b, const Building& building);

float Distance(const Vec3& a, const Vec3& b);
