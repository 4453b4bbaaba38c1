#include "d3d/scan_convert.h"

#include <algorithm>
#include <cmath>

namespace platform::d3d {

namespace {

// ceil(a / b) for b > 0.
inline int64_t CeilDiv(int64_t a, int64_t b) {
  const int64_t q = a / b;
  return q + ((a % b) > 0 ? 1 : 0);
}

// An edge from (xa, ya) down to (xb, yb) in sub-pixels, walked row by row.
// Boundary() is the first pixel column at or right of the edge on the
// current row: ceil of the crossing, kept exactly as a quotient and a
// remainder so that a row costs additions, not a division.
class EdgeWalker {
 public:
  EdgeWalker(int64_t x0, int64_t y0, int64_t x1, int64_t y1)
      : xa_(x0), ya_(y0), dx_(x1 - x0), den_((y1 - y0) * kSubpixels) {
    // Going down one row adds kSubpixels * dx to the numerator. A
    // horizontal edge bounds no row and is never walked.
    if (den_ > 0) FloorDiv(kSubpixels * dx_, &stepQ_, &stepR_);
  }
  // Positions the walker on `row`.
  void Start(int64_t row) {
    FloorDiv(xa_ * (den_ / kSubpixels) + (row * kSubpixels - ya_) * dx_, &q_, &r_);
  }
  int64_t Boundary() const { return q_ + (r_ > 0 ? 1 : 0); }
  void Next() {
    q_ += stepQ_;
    r_ += stepR_;
    if (r_ >= den_) {
      r_ -= den_;
      ++q_;
    }
  }

 private:
  // num = q * den + r with 0 <= r < den.
  void FloorDiv(int64_t num, int64_t* q, int64_t* r) const {
    *q = num / den_;
    *r = num % den_;
    if (*r < 0) {
      *r += den_;
      --*q;
    }
  }
  int64_t xa_, ya_, dx_, den_;
  int64_t q_ = 0, r_ = 0, stepQ_ = 0, stepR_ = 0;
};

// What stays the same over the triangle's rows: the steps per pixel.
SpanInputs RowTemplate(const PixelContext& ctx, double zscale) {
  const TriangleSetup& t = ctx.tri;
  SpanInputs in;
  in.dz = static_cast<int64_t>(RoundToInt64(t.zdx * zscale));
  in.dq = t.q.dx;
  in.du = t.u.dx;
  in.dv = t.v.dx;
  for (int c = 0; c < 4; ++c) in.dc[c] = t.color[c].dx;
  for (int c = 0; c < 3; ++c) in.ds[c] = t.specular[c].dx;
  return in;
}

// Whether the span's texture coordinates, from its first to its last
// pixel (along a span they change monotonically, with or without
// perspective), stay within keyed texels.
bool SamplesOnlyKeyed(const PixelContext& ctx, const SpanInputs& in) {
  const double last = in.count - 1;
  double u0 = in.u, v0 = in.v;
  double u1 = in.u + last * in.du, v1 = in.v + last * in.dv;
  if (ctx.perspective) {
    const double q0 = in.q, q1 = in.q + last * in.dq;
    if (!(q0 > 0 && q1 > 0)) return false;
    u0 /= q0;
    v0 /= q0;
    u1 /= q1;
    v1 /= q1;
  }
  return KeyedBlocks::AllKeyed(*ctx.keyed, std::min(u0, u1), std::max(u0, u1), std::min(v0, v1),
                               std::max(v0, v1));
}

void ShadeRow(const PixelContext& ctx, SpanInputs& in, double zscale, int y, int x0, int x1) {
  const TriangleSetup& t = ctx.tri;
  const float fy = static_cast<float>(y);
  in.y = y;
  for (int x = x0; x < x1; x += kChunk) {
    const float fx = static_cast<float>(x);
    in.x = x;
    in.count = std::min(kChunk, x1 - x);
    const double z = t.z0 + t.zdx * x + t.zdy * y;
    // Half a unit up so that the truncation per pixel rounds to nearest.
    in.z = static_cast<int64_t>(RoundToInt64(std::min(2.0, std::max(-1.0, z)) * zscale)) + 0x8000;
    if (ctx.hiddenTest && SpanHidden(ctx, in)) continue;
    in.q = t.q.At(fx, fy);
    in.u = t.u.At(fx, fy);
    in.v = t.v.At(fx, fy);
    if (ctx.keyed && SamplesOnlyKeyed(ctx, in)) continue;
    if (ctx.interpolateColor)
      for (int c = 0; c < 4; ++c) in.c[c] = t.color[c].At(fx, fy);
    if (ctx.specular)
      for (int c = 0; c < 3; ++c) in.s[c] = t.specular[c].At(fx, fy);
    if (!ctx.fused || !ctx.fused(ctx, in)) ShadeSpan(ctx, in);
  }
}

}  // namespace

bool TriangleRows(const SnappedTriangle& s, const Scissor& sc, int64_t* top, int64_t* end) {
  *top = std::max<int64_t>(CeilDiv(s.y[0], kSubpixels), sc.y0);
  *end = std::min<int64_t>(CeilDiv(s.y[2], kSubpixels), sc.y1);
  return *top < *end;
}

void RasterizeTriangle(const PixelContext& ctx, const SnappedTriangle& s, const Scissor& sc,
                       int band) {
  int64_t yTop, yEnd;
  TriangleRows(s, sc, &yTop, &yEnd);
  if (band >= 0) {
    yTop = std::max<int64_t>(yTop, int64_t{band} << kBandShift);
    yEnd = std::min<int64_t>(yEnd, int64_t{band + 1} << kBandShift);
  }
  if (yTop >= yEnd) return;
  const double zscale = static_cast<double>(ctx.zmax) * 65536.0;
  SpanInputs in = RowTemplate(ctx, zscale);
  // Rows above the middle vertex are bounded by the upper short edge, the
  // others by the lower one (a flat top or bottom has no such rows).
  const int64_t yMiddle = std::min(std::max(CeilDiv(s.y[1], kSubpixels), yTop), yEnd);
  EdgeWalker longEdge(s.x[0], s.y[0], s.x[2], s.y[2]);
  EdgeWalker upper(s.x[0], s.y[0], s.x[1], s.y[1]);
  EdgeWalker lower(s.x[1], s.y[1], s.x[2], s.y[2]);
  // The walkers start on the first row (exactly where stepping down from
  // the triangle's top would have left them).
  longEdge.Start(yTop);
  if (yTop < yMiddle) upper.Start(yTop);
  if (yMiddle < yEnd) lower.Start(yMiddle);
  for (int64_t y = yTop; y < yEnd; ++y) {
    EdgeWalker& shortEdge = y < yMiddle ? upper : lower;
    int64_t left = longEdge.Boundary();
    int64_t right = shortEdge.Boundary();
    if (!s.longEdgeLeft) std::swap(left, right);
    left = std::max<int64_t>(left, sc.x0);
    right = std::min<int64_t>(right, sc.x1);
    if (left < right)
      ShadeRow(ctx, in, zscale, static_cast<int>(y), static_cast<int>(left),
               static_cast<int>(right));
    longEdge.Next();
    shortEdge.Next();
  }
}

}  // namespace platform::d3d
