// Triangle setup: snapping to the sub-pixel grid, culling, and the planes
// along which depth, texture coordinates and colours are interpolated.
#pragma once

#include <cstdint>

#include "d3d/pixel.h"
#include "d3d/vertex.h"

namespace platform::d3d {

// Sub-pixel precision of vertex positions: 1/16 pixel.
constexpr int kSubpixelBits = 4;
constexpr int kSubpixels = 1 << kSubpixelBits;

struct SnappedTriangle {
  int64_t x[3], y[3];  // sub-pixel positions, sorted from top to bottom
  int order[3];        // original index of each sorted vertex
  bool longEdgeLeft;   // the edge from top to bottom vertex bounds the left
};

// Screen-space vertices (x, y in pixels, z in [0, 1], w = 1/w). Returns
// false when the triangle covers no area or is culled by cullMode.
bool SnapTriangle(const Vertex& a, const Vertex& b, const Vertex& c, DWORD cullMode,
                  SnappedTriangle* out);

// Fills ctx->tri for the triangle; returns whether the diffuse colour varies.
bool SetupPlanes(const Vertex* v[3], const SnappedTriangle& s, bool perspective,
                 TriangleSetup* tri);

// True when the texture is minified over the triangle (more texels than
// pixels), which picks MINFILTER over MAGFILTER.
bool IsMinified(const Vertex* v[3], const TexelCache& texture);

}  // namespace platform::d3d
