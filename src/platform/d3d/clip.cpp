#include "d3d/clip.h"

namespace platform::d3d {

namespace {

// Signed distance to each plane; inside is >= 0.
enum Plane { kNear, kFar, kLeft, kRight, kBottom, kTop, kPlaneCount };

float Distance(const Vertex& v, int plane, float guard) {
  switch (plane) {
    case kNear:
      return v.z;
    case kFar:
      return v.w - v.z;
    case kLeft:
      return guard * v.w + v.x;
    case kRight:
      return guard * v.w - v.x;
    case kBottom:
      return guard * v.w + v.y;
    default:
      return guard * v.w - v.y;
  }
}

Vertex Lerp(const Vertex& a, const Vertex& b, float t) {
  Vertex r;
  const float* pa = &a.x;
  const float* pb = &b.x;
  float* pr = &r.x;
  for (int i = 0; i < 4 + kVertexAttributes; ++i) pr[i] = pa[i] + (pb[i] - pa[i]) * t;
  return r;
}

}  // namespace

bool TriviallyInside(const Vertex& a, const Vertex& b, const Vertex& c, float guard) {
  for (int p = 0; p < kPlaneCount; ++p)
    if (Distance(a, p, guard) < 0 || Distance(b, p, guard) < 0 || Distance(c, p, guard) < 0)
      return false;
  // w must be positive for the divide; z >= 0 and z <= w already imply w >= 0.
  return a.w > 0 && b.w > 0 && c.w > 0;
}

int ClipTriangle(const Vertex& a, const Vertex& b, const Vertex& c, float guard,
                 Vertex out[kMaxClippedVertices]) {
  Vertex bufA[kMaxClippedVertices], bufB[kMaxClippedVertices];
  Vertex* src = bufA;
  Vertex* dst = bufB;
  src[0] = a;
  src[1] = b;
  src[2] = c;
  int n = 3;
  for (int p = 0; p < kPlaneCount && n > 0; ++p) {
    int m = 0;
    for (int i = 0; i < n; ++i) {
      const Vertex& cur = src[i];
      const Vertex& next = src[(i + 1) % n];
      const float dc = Distance(cur, p, guard);
      const float dn = Distance(next, p, guard);
      if (dc >= 0) dst[m++] = cur;
      if ((dc >= 0) != (dn >= 0) && m < kMaxClippedVertices) {
        // Always interpolate from the inside vertex so that an edge shared
        // by two triangles gets the same new vertex in both.
        if (dc >= 0)
          dst[m++] = Lerp(cur, next, dc / (dc - dn));
        else
          dst[m++] = Lerp(next, cur, dn / (dn - dc));
      }
    }
    Vertex* t = src;
    src = dst;
    dst = t;
    n = m;
  }
  if (n < 3) return 0;
  for (int i = 0; i < n; ++i) {
    if (src[i].w <= 0) return 0;  // degenerate projection: nothing sensible to draw
    out[i] = src[i];
  }
  return n;
}

}  // namespace platform::d3d
