#include "d3d/raster.h"

#include <algorithm>
#include <cmath>

namespace platform::d3d {

namespace {

// ceil(a / b) for b > 0.
inline int64_t CeilDiv(int64_t a, int64_t b) {
  const int64_t q = a / b;
  return q + ((a % b) > 0 ? 1 : 0);
}

// An edge from (xa, ya) down to (xb, yb) in sub-pixels. Boundary(y) is the
// first pixel column at or right of the edge on row y: ceil of the crossing.
struct Edge {
  int64_t xa, ya, dx, dy;
  Edge(int64_t x0, int64_t y0, int64_t x1, int64_t y1) : xa(x0), ya(y0), dx(x1 - x0), dy(y1 - y0) {}
  int64_t Boundary(int64_t row) const {
    const int64_t num = xa * dy + (row * kSubpixels - ya) * dx;
    return CeilDiv(num, dy * kSubpixels);
  }
};

void ShadeRow(const PixelContext& ctx, int y, int x0, int x1) {
  const TriangleSetup& t = ctx.tri;
  const double zscale = static_cast<double>(ctx.zmax) * 65536.0;
  const float fy = static_cast<float>(y);
  SpanInputs in;
  in.y = y;
  in.dz = static_cast<int64_t>(RoundToInt64(t.zdx * zscale));
  in.dq = t.q.dx;
  in.du = t.u.dx;
  in.dv = t.v.dx;
  for (int c = 0; c < 4; ++c) in.dc[c] = t.color[c].dx;
  for (int c = 0; c < 3; ++c) in.ds[c] = t.specular[c].dx;
  for (int x = x0; x < x1; x += kChunk) {
    const float fx = static_cast<float>(x);
    in.x = x;
    in.count = std::min(kChunk, x1 - x);
    const double z = t.z0 + t.zdx * x + t.zdy * y;
    // Half a unit up so that the truncation per pixel rounds to nearest.
    in.z = static_cast<int64_t>(RoundToInt64(std::min(2.0, std::max(-1.0, z)) * zscale)) + 0x8000;
    in.q = t.q.At(fx, fy);
    in.u = t.u.At(fx, fy);
    in.v = t.v.At(fx, fy);
    if (ctx.interpolateColor)
      for (int c = 0; c < 4; ++c) in.c[c] = t.color[c].At(fx, fy);
    if (ctx.specular)
      for (int c = 0; c < 3; ++c) in.s[c] = t.specular[c].At(fx, fy);
    ShadeSpan(ctx, in);
  }
}

}  // namespace

void RasterizeTriangle(const PixelContext& ctx, const SnappedTriangle& s, const Scissor& sc,
                       int band) {
  const int64_t yTop = std::max<int64_t>(CeilDiv(s.y[0], kSubpixels), sc.y0);
  const int64_t yEnd = std::min<int64_t>(CeilDiv(s.y[2], kSubpixels), sc.y1);
  if (yTop >= yEnd) return;
  const Edge longEdge(s.x[0], s.y[0], s.x[2], s.y[2]);
  const Edge upper(s.x[0], s.y[0], s.x[1], s.y[1]);
  const Edge lower(s.x[1], s.y[1], s.x[2], s.y[2]);
  for (int64_t y = yTop; y < yEnd; ++y) {
    if (band >= 0 && ((y >> kBandShift) & 1) != band) continue;
    const Edge& shortEdge = y * kSubpixels < s.y[1] ? upper : lower;
    int64_t left = longEdge.Boundary(y);
    int64_t right = shortEdge.Boundary(y);
    if (!s.longEdgeLeft) std::swap(left, right);
    left = std::max<int64_t>(left, sc.x0);
    right = std::min<int64_t>(right, sc.x1);
    if (left < right)
      ShadeRow(ctx, static_cast<int>(y), static_cast<int>(left), static_cast<int>(right));
  }
}

}  // namespace platform::d3d
