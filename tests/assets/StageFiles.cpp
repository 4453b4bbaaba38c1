#include "StageFiles.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <fstream>
#include <sstream>

namespace {

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

bool ReadVec(std::istream& in, Vec3& v) {
  return static_cast<bool>(in >> v.x >> v.y >> v.z);
}

}  // namespace

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

Scene ReadSceneText(const std::string& text) {
  enum Kind { kScene = 0, kOther = 1, kBuilding = 2, kEnemy = 4, kGround = 8, kPanel = 15 };
  Scene scene;
  std::istringstream in(text);
  std::vector<int> stack;
  Vec3 position, size;
  int t0 = 0, t1 = 0;
  std::string texture, token;
  while (in >> token) {
    std::string key = Lower(token);
    if (key == "scene{")
      stack.push_back(kScene);
    else if (key == "building{")
      stack.push_back(kBuilding);
    else if (key == "enemy{")
      stack.push_back(kEnemy);
    else if (key == "ground{")
      stack.push_back(kGround);
    else if (key == "panel{")
      stack.push_back(kPanel);
    else if (key == "}") {
      if (stack.empty()) break;
      switch (stack.back()) {
        case kBuilding:
          scene.buildings.push_back({position, size, texture});
          break;
        case kEnemy:
          scene.enemies.push_back({position, t0, t1, texture});
          break;
        case kGround:
          scene.grounds.push_back({position});
          break;
        case kPanel:
          ++scene.panels;
          break;
        default:
          break;
      }
      stack.pop_back();
    } else if (key == "size") {
      if (!ReadVec(in, size)) break;
    } else if (key == "position") {
      if (!ReadVec(in, position)) break;
    } else if (key == "time") {
      if (!(in >> t0 >> t1)) break;
    } else if (key == "texture") {
      if (!(in >> texture)) break;
    } else if (!key.empty() && key.back() == '{') {
      stack.push_back(kOther);
    }
    if (stack.empty()) break;
  }
  return scene;
}

std::vector<CameraKey> ReadPathText(const std::string& text) {
  std::vector<CameraKey> keys;
  std::istringstream in(text);
  int depth = 0;
  CameraKey current;
  std::string token;
  while (in >> token) {
    std::string key = Lower(token);
    if (key == "{")
      ++depth;
    else if (key == "}") {
      keys.push_back(current);
      --depth;
    } else if (key == "position") {
      if (!ReadVec(in, current.position)) break;
    } else if (key == "lookat") {
      if (!ReadVec(in, current.lookAt)) break;
    } else if (key == "worldup") {
      if (!ReadVec(in, current.worldUp)) break;
    } else if (key == "time") {
      if (!(in >> current.time)) break;
    }
    if (depth <= 0) break;
  }
  return keys;
}

namespace {

Vec3 Scale(const Vec3& v, float s) {
  return {v.x * s, v.y * s, v.z * s};
}
Vec3 Add(const Vec3& a, const Vec3& b) {
  return {a.x + b.x, a.y + b.y, a.z + b.z};
}
Vec3 Sub(const Vec3& a, const Vec3& b) {
  return {a.x - b.x, a.y - b.y, a.z - b.z};
}
float Dot(const Vec3& a, const Vec3& b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}
Vec3 Cross(const Vec3& a, const Vec3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
Vec3 Normal(const Vec3& v) {
  return Scale(v, 1.0f / std::sqrt(Dot(v, v)));
}

}  // namespace

float Distance(const Vec3& a, const Vec3& b) {
  return std::sqrt(Dot(Sub(a, b), Sub(a, b)));
}

Camera CameraAt(const std::vector<CameraKey>& keys, int now) {
  Camera cam;
  for (size_t i = 0; i + 1 < keys.size(); ++i) {
    const CameraKey& k0 = keys[i];
    const CameraKey& k1 = keys[i + 1];
    if (k0.time > now) continue;
    if (k1.time > now) {
      int span = k1.time - k0.time;
      float a = static_cast<float>(double(k1.time - now) / span);
      float b = static_cast<float>(double(now - k0.time) / span);
      cam.eye = Add(Scale(k0.position, a), Scale(k1.position, b));
      Vec3 direction = Add(Scale(k0.lookAt, a), Scale(k1.lookAt, b));
      cam.worldUp = Add(Scale(k0.worldUp, a), Scale(k1.worldUp, b));
      cam.lookAt = Add(cam.eye, direction);
      return cam;
    }
  }
  if (!keys.empty()) {
    cam.eye = keys.back().position;
    cam.lookAt = Add(keys.back().position, keys.back().lookAt);
    cam.worldUp = keys.back().worldUp;
  }
  cam.cleared = true;
  return cam;
}

Vec3 ToView(const Camera& camera, const Vec3& p) {
  Vec3 view = Normal(Sub(camera.lookAt, camera.eye));
  Vec3 up = Sub(camera.worldUp, Scale(view, Dot(camera.worldUp, view)));
  if (Dot(up, up) < 1e-12f) up = Sub(Vec3{0, 1, 0}, Scale(view, view.y));
  up = Normal(up);
  Vec3 right = Cross(up, view);
  Vec3 d = Sub(p, camera.eye);
  return {Dot(d, right), Dot(d, up), Dot(d, view)};
}

bool InsideFrustum(const Vec3& v) {
  const float scale = 1.0f / std::tan(3.1415927f / 6.0f);  // fov pi/3, aspect 1
  return v.z >= 1.0f && v.z <= 5000.0f && std::fabs(v.x * scale) <= v.z &&
         std::fabs(v.y * scale) <= v.z;
}

std::vector<Vec3> PictureCorners(const Vec3& position, const Vec3& eye) {
  float dx = position.x - eye.x, dz = position.z - eye.z;
  float n = std::sqrt(dx * dx + dz * dz);
  Vec3 right{dz / n, 0.0f, -dx / n};
  std::vector<Vec3> out;
  for (float s : {-1.5f, 1.5f})
    for (float y : {0.0f, 3.0f}) out.push_back(Add(Add(position, Scale(right, s)), Vec3{0, y, 0}));
  return out;
}

bool SegmentHitsBuilding(const Vec3& a, const Vec3& b, const Building& building) {
  const float lo[3] = {building.position.x - building.size.x / 2, building.position.y,
                       building.position.z - building.size.z / 2};
  const float hi[3] = {building.position.x + building.size.x / 2,
                       building.position.y + building.size.y,
                       building.position.z + building.size.z / 2};
  const float pa[3] = {a.x, a.y, a.z}, pb[3] = {b.x, b.y, b.z};
  float t0 = 0.0f, t1 = 1.0f;
  for (int k = 0; k < 3; ++k) {
    float d = pb[k] - pa[k];
    if (std::fabs(d) < 1e-9f) {
      if (pa[k] < lo[k] || pa[k] > hi[k]) return false;
      continue;
    }
    float u0 = (lo[k] - pa[k]) / d, u1 = (hi[k] - pa[k]) / d;
    if (u0 > u1) std::swap(u0, u1);
    t0 = std::max(t0, u0);
    t1 = std::min(t1, u1);
    if (t0 > t1) return false;
  }
  return true;
}
