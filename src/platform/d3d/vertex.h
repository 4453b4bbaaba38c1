// Vertex stage: untransformed vertices through world x view x projection
// with per-vertex lighting into clip space, pre-transformed vertices taken
// as they are.
#pragma once

#include <vector>

#include "d3d/render_state.h"

namespace platform::d3d {

// One vertex between the stages. In clip space (x, y, z, w); after the
// viewport mapping x, y are pixels, z the depth in [0, 1] and w holds 1/w.
// Colours are 0..255 per channel.
struct Vertex {
  float x, y, z, w;
  float r, g, b, a;
  float sr, sg, sb;
  float u, v;
};

// Number of float attributes after the position, interpolated alike.
constexpr int kVertexAttributes = 9;
inline float* Attributes(Vertex& v) {
  return &v.r;
}
inline const float* Attributes(const Vertex& v) {
  return &v.r;
}

// D3DVERTEX (position, normal, texture coordinates) into clip space.
void TransformVertices(const D3DVERTEX* in, int count, const TransformState& transform,
                       const RenderState& state, std::vector<Vertex>* out);

// D3DTLVERTEX: screen position, depth, rhw, diffuse and specular colour.
void LoadTransformedVertices(const D3DTLVERTEX* in, int count, std::vector<Vertex>* out);

// Row-vector product a * b.
D3DMATRIX Multiply(const D3DMATRIX& a, const D3DMATRIX& b);

}  // namespace platform::d3d
