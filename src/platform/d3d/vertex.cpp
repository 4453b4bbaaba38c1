#include "d3d/vertex.h"

#include <algorithm>
#include <cmath>

namespace platform::d3d {

namespace {

struct Vec3 {
  float x, y, z;
};

Vec3 operator+(Vec3 a, Vec3 b) {
  return {a.x + b.x, a.y + b.y, a.z + b.z};
}
float Dot(Vec3 a, Vec3 b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}
Vec3 Normalize(Vec3 v) {
  const float len = std::sqrt(Dot(v, v));
  if (len <= 0.0f) return v;
  return {v.x / len, v.y / len, v.z / len};
}

// Direction (no translation) through the upper 3 x 3 of m.
Vec3 TransformDirection(Vec3 v, const D3DMATRIX& m) {
  return {v.x * m._11 + v.y * m._21 + v.z * m._31, v.x * m._12 + v.y * m._22 + v.z * m._32,
          v.x * m._13 + v.y * m._23 + v.z * m._33};
}

Vec3 TransformPoint(Vec3 v, const D3DMATRIX& m) {
  return {v.x * m._11 + v.y * m._21 + v.z * m._31 + m._41,
          v.x * m._12 + v.y * m._22 + v.z * m._32 + m._42,
          v.x * m._13 + v.y * m._23 + v.z * m._33 + m._43};
}

float Clamp01(float v) {
  return std::min(1.0f, std::max(0.0f, v));
}

struct ActiveLight {
  Vec3 toLight;  // camera space, unit length
  D3DCOLORVALUE diffuse, specular;
};

}  // namespace

D3DMATRIX Multiply(const D3DMATRIX& a, const D3DMATRIX& b) {
  const float* pa = &a._11;
  const float* pb = &b._11;
  D3DMATRIX r;
  float* pr = &r._11;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) {
      float s = 0.0f;
      for (int k = 0; k < 4; ++k) s += pa[i * 4 + k] * pb[k * 4 + j];
      pr[i * 4 + j] = s;
    }
  return r;
}

void TransformVertices(const D3DVERTEX* in, int count, const TransformState& t,
                       const RenderState& state, std::vector<Vertex>* out) {
  const D3DMATRIX worldView = Multiply(t.world, t.view);
  const D3DMATRIX all = Multiply(worldView, t.projection);
  const D3DMATERIAL7& m = t.material;

  // Everything that does not depend on the vertex, once per call. The
  // vertices carry no colour, so every material source is the material.
  D3DCOLORVALUE ambientSum{};
  ambientSum.r = ((state.ambient >> 16) & 0xFF) / 255.0f;
  ambientSum.g = ((state.ambient >> 8) & 0xFF) / 255.0f;
  ambientSum.b = (state.ambient & 0xFF) / 255.0f;
  std::vector<ActiveLight> lights;
  if (state.lighting) {
    for (int i = 0; i < kLightCount; ++i) {
      if (!t.lightSet[i] || !t.lightEnabled[i]) continue;
      const D3DLIGHT7& l = t.lights[i];
      ambientSum.r += l.dcvAmbient.r;
      ambientSum.g += l.dcvAmbient.g;
      ambientSum.b += l.dcvAmbient.b;
      // Only directional lights shine on the vertices (the only kind in use).
      if (l.dltType != D3DLIGHT_DIRECTIONAL) continue;
      const Vec3 dir{-l.dvDirection.x, -l.dvDirection.y, -l.dvDirection.z};
      ActiveLight a;
      a.toLight = Normalize(TransformDirection(Normalize(dir), t.view));
      a.diffuse = l.dcvDiffuse;
      a.specular = l.dcvSpecular;
      lights.push_back(a);
    }
  }
  const bool anySpecular = state.specularEnable &&
                           (m.specular.r != 0.0f || m.specular.g != 0.0f || m.specular.b != 0.0f);

  out->resize(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
    const D3DVERTEX& src = in[i];
    Vertex& v = (*out)[static_cast<size_t>(i)];
    const float px = src.x, py = src.y, pz = src.z;
    v.x = px * all._11 + py * all._21 + pz * all._31 + all._41;
    v.y = px * all._12 + py * all._22 + pz * all._32 + all._42;
    v.z = px * all._13 + py * all._23 + pz * all._33 + all._43;
    v.w = px * all._14 + py * all._24 + pz * all._34 + all._44;
    v.u = src.tu;
    v.v = src.tv;
    v.sr = v.sg = v.sb = 0.0f;
    if (!state.lighting) {
      v.r = v.g = v.b = v.a = 255.0f;
      continue;
    }
    Vec3 n = TransformDirection({src.nx, src.ny, src.nz}, worldView);
    if (state.normalizeNormals) n = Normalize(n);
    float dr = 0, dg = 0, db = 0, sr = 0, sg = 0, sb = 0;
    Vec3 toEye{};
    if (anySpecular) {
      const Vec3 p = TransformPoint({px, py, pz}, worldView);
      toEye = Normalize({-p.x, -p.y, -p.z});
    }
    for (const ActiveLight& l : lights) {
      const float nl = Dot(n, l.toLight);
      if (nl <= 0.0f) continue;
      dr += l.diffuse.r * nl;
      dg += l.diffuse.g * nl;
      db += l.diffuse.b * nl;
      if (anySpecular) {
        const float nh = std::max(0.0f, Dot(n, Normalize(l.toLight + toEye)));
        const float f = m.power > 0.0f ? std::pow(nh, m.power) : 1.0f;
        sr += l.specular.r * f;
        sg += l.specular.g * f;
        sb += l.specular.b * f;
      }
    }
    v.r = 255.0f * Clamp01(m.emissive.r + m.ambient.r * ambientSum.r + m.diffuse.r * dr);
    v.g = 255.0f * Clamp01(m.emissive.g + m.ambient.g * ambientSum.g + m.diffuse.g * dg);
    v.b = 255.0f * Clamp01(m.emissive.b + m.ambient.b * ambientSum.b + m.diffuse.b * db);
    v.a = 255.0f * Clamp01(m.diffuse.a);
    if (anySpecular) {
      v.sr = 255.0f * Clamp01(m.specular.r * sr);
      v.sg = 255.0f * Clamp01(m.specular.g * sg);
      v.sb = 255.0f * Clamp01(m.specular.b * sb);
    }
  }
}

void LoadTransformedVertices(const D3DTLVERTEX* in, int count, std::vector<Vertex>* out) {
  out->resize(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
    const D3DTLVERTEX& s = in[i];
    Vertex& v = (*out)[static_cast<size_t>(i)];
    v.x = s.sx;
    v.y = s.sy;
    v.z = std::min(1.0f, std::max(0.0f, s.sz));
    v.w = s.rhw;
    v.a = static_cast<float>((s.color >> 24) & 0xFF);
    v.r = static_cast<float>((s.color >> 16) & 0xFF);
    v.g = static_cast<float>((s.color >> 8) & 0xFF);
    v.b = static_cast<float>(s.color & 0xFF);
    v.sr = static_cast<float>((s.specular >> 16) & 0xFF);
    v.sg = static_cast<float>((s.specular >> 8) & 0xFF);
    v.sb = static_cast<float>(s.specular & 0xFF);
    v.u = s.tu;
    v.v = s.tv;
  }
}

}  // namespace platform::d3d
