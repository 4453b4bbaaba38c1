// Homogeneous clipping of triangles before the perspective divide.
#pragma once

#include "d3d/vertex.h"

namespace platform::d3d {

// Largest polygon a triangle can become after clipping against the planes.
constexpr int kMaxClippedVertices = 12;

// Clips the triangle a, b, c against the near (z = 0) and far (z = w)
// planes and a guard band of `guard` times the view volume in x and y
// (which keeps screen coordinates in fixed-point range; the rest of x and y
// is scissored per pixel). Every attribute is interpolated linearly in clip
// space. Returns the number of polygon vertices written to out (0 when
// nothing is left, else 3 or more, in the triangle's winding).
int ClipTriangle(const Vertex& a, const Vertex& b, const Vertex& c, float guard,
                 Vertex out[kMaxClippedVertices]);

// True when the triangle lies inside every plane, so clipping can be skipped.
bool TriviallyInside(const Vertex& a, const Vertex& b, const Vertex& c, float guard);

}  // namespace platform::d3d
