#include "d3d/setup.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace platform::d3d {

namespace {

// Positions are limited to +-2^24 pixels (pre-transformed vertices are not
// clipped), which keeps every edge product within 64 bits.
int64_t Snap(float v) {
  const double limit = 16777216.0;
  const double c = std::min(limit, std::max(-limit, static_cast<double>(v)));
  return RoundToInt64(c * kSubpixels);
}

uint32_t PackVertexColor(const Vertex& v) {
  return (ClampByte(v.a) << 24) | (ClampByte(v.r) << 16) | (ClampByte(v.g) << 8) | ClampByte(v.b);
}

}  // namespace

bool SnapTriangle(const Vertex& a, const Vertex& b, const Vertex& c, DWORD cullMode,
                  SnappedTriangle* out) {
  const Vertex* v[3] = {&a, &b, &c};
  int64_t x[3], y[3];
  for (int i = 0; i < 3; ++i) {
    if (!std::isfinite(v[i]->x) || !std::isfinite(v[i]->y)) return false;
    x[i] = Snap(v[i]->x);
    y[i] = Snap(v[i]->y);
  }
  // Positive for clockwise on screen (y grows downwards).
  const int64_t area = (x[1] - x[0]) * (y[2] - y[0]) - (x[2] - x[0]) * (y[1] - y[0]);
  if (area == 0) return false;
  if (cullMode == D3DCULL_CCW && area < 0) return false;
  if (cullMode == D3DCULL_CW && area > 0) return false;

  int order[3] = {0, 1, 2};
  if (y[order[1]] < y[order[0]]) std::swap(order[0], order[1]);
  if (y[order[2]] < y[order[1]]) std::swap(order[1], order[2]);
  if (y[order[1]] < y[order[0]]) std::swap(order[0], order[1]);
  for (int i = 0; i < 3; ++i) {
    out->x[i] = x[order[i]];
    out->y[i] = y[order[i]];
    out->order[i] = order[i];
  }
  const int64_t cross = (out->x[1] - out->x[0]) * (out->y[2] - out->y[0]) -
                        (out->x[2] - out->x[0]) * (out->y[1] - out->y[0]);
  out->longEdgeLeft = cross > 0;
  return true;
}

bool SetupPlanes(const Vertex* v[3], const SnappedTriangle& s, bool perspective,
                 TriangleSetup* tri) {
  // Gradients from the snapped positions, in pixels.
  double px[3], py[3];
  const Vertex* sv[3];
  for (int i = 0; i < 3; ++i) {
    px[i] = static_cast<double>(s.x[i]) / kSubpixels;
    py[i] = static_cast<double>(s.y[i]) / kSubpixels;
    sv[i] = v[s.order[i]];
  }
  const double x10 = px[1] - px[0], y10 = py[1] - py[0];
  const double x20 = px[2] - px[0], y20 = py[2] - py[0];
  const double inv = 1.0 / (x10 * y20 - x20 * y10);

  auto plane = [&](double a0, double a1, double a2, double* at0, double* dx, double* dy) {
    const double d10 = a1 - a0, d20 = a2 - a0;
    *dx = (d10 * y20 - d20 * y10) * inv;
    *dy = (d20 * x10 - d10 * x20) * inv;
    *at0 = a0 - *dx * px[0] - *dy * py[0];
  };
  auto floatPlane = [&](double a0, double a1, double a2, Plane* p) {
    double at0, dx, dy;
    plane(a0, a1, a2, &at0, &dx, &dy);
    p->at0 = static_cast<float>(at0);
    p->dx = static_cast<float>(dx);
    p->dy = static_cast<float>(dy);
  };

  plane(sv[0]->z, sv[1]->z, sv[2]->z, &tri->z0, &tri->zdx, &tri->zdy);
  double q[3] = {1.0, 1.0, 1.0};
  if (perspective)
    for (int i = 0; i < 3; ++i) q[i] = sv[i]->w;
  floatPlane(q[0], q[1], q[2], &tri->q);
  floatPlane(sv[0]->u * q[0], sv[1]->u * q[1], sv[2]->u * q[2], &tri->u);
  floatPlane(sv[0]->v * q[0], sv[1]->v * q[1], sv[2]->v * q[2], &tri->v);
  const float* a[3] = {Attributes(*sv[0]), Attributes(*sv[1]), Attributes(*sv[2])};
  for (int c = 0; c < 4; ++c)
    floatPlane(a[0][c] * q[0], a[1][c] * q[1], a[2][c] * q[2], &tri->color[c]);
  for (int c = 0; c < 3; ++c)
    floatPlane(a[0][4 + c] * q[0], a[1][4 + c] * q[1], a[2][4 + c] * q[2], &tri->specular[c]);

  const uint32_t c0 = PackVertexColor(*sv[0]);
  tri->flatColor = c0;
  return c0 != PackVertexColor(*sv[1]) || c0 != PackVertexColor(*sv[2]);
}

bool IsMinified(const Vertex* v[3], const TexelCache& texture) {
  const double screen = std::fabs((v[1]->x - v[0]->x) * (v[2]->y - v[0]->y) -
                                  (v[2]->x - v[0]->x) * (v[1]->y - v[0]->y));
  const double texels = std::fabs((v[1]->u - v[0]->u) * (v[2]->v - v[0]->v) -
                                  (v[2]->u - v[0]->u) * (v[1]->v - v[0]->v)) *
                        texture.Width() * texture.Height();
  return texels > screen;
}

}  // namespace platform::d3d
