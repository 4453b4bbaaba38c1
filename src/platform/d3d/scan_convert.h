// Scan conversion: walks a snapped triangle row by row with the top-left
// fill rule and hands spans to the pixel stages.
#pragma once

#include "d3d/pixel.h"
#include "d3d/setup.h"

namespace platform::d3d {

// Pixel (i, j) is drawn when the point (i, j) is inside the triangle, with
// points exactly on an edge going to left and top edges; limited to the
// scissor rectangle. With band b >= 0 only rows b * 2^kBandShift to
// (b + 1) * 2^kBandShift - 1 are drawn, the others not even walked (band
// -1: all rows).
constexpr int kBandShift = 4;  // bands of 16 rows
// The rows [*top, *end) a triangle may draw within the scissor; false when
// none.
bool TriangleRows(const SnappedTriangle& s, const Scissor& scissor, int64_t* top, int64_t* end);
void RasterizeTriangle(const PixelContext& ctx, const SnappedTriangle& s, const Scissor& scissor,
                       int band = -1);

}  // namespace platform::d3d
