// Scan conversion: walks a snapped triangle row by row with the top-left
// fill rule and hands spans to the pixel stages.
#pragma once

#include "d3d/pixel.h"
#include "d3d/setup.h"

namespace platform::d3d {

// Pixel (i, j) is drawn when the point (i, j) is inside the triangle, with
// points exactly on an edge going to left and top edges; limited to the
// scissor rectangle. With band 0 or 1 only the rows of that parity of
// 2^kBandShift-row bands are drawn (band -1: all rows); the other bands'
// rows are not walked at all.
constexpr int kBandShift = 4;  // bands of 16 rows
void RasterizeTriangle(const PixelContext& ctx, const SnappedTriangle& s, const Scissor& scissor,
                       int band = -1);

}  // namespace platform::d3d
