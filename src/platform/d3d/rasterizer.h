// The software rasteriser's entry: draws a batch of vertices with a given
// state into a colour buffer and depth buffer. Pure: it knows nothing of
// COM objects, only of the state struct, the vertices and the memory views.
#pragma once

#include <memory>
#include <vector>

#include "d3d/assembly.h"
#include "d3d/band_worker.h"
#include "d3d/pixel.h"
#include "d3d/render_state.h"
#include "d3d/setup.h"
#include "d3d/texture.h"
#include "d3d/vertex.h"

namespace platform::d3d {

struct DrawTarget {
  TargetView color;
  DepthView depth;  // bits null: no depth buffer
  Scissor viewport;
};

class Rasterizer {
 public:
  // Threads drawing one batch (1 or 2). With 2, batches covering many
  // pixels are split into bands between the caller and a worker thread.
  void SetThreads(int threads) { threads_ = threads < 2 ? 1 : 2; }
  int Threads() const { return threads_; }

  // Untransformed vertices (D3DVERTEX): transform, light, clip, draw.
  void DrawVertices(const RenderState& state, const TransformState& transform,
                    const TexelCache* texture, const DrawTarget& target, D3DPRIMITIVETYPE type,
                    const D3DVERTEX* vertices, int count);
  // Pre-transformed vertices (D3DTLVERTEX): scissored, not clipped.
  void DrawTransformed(const RenderState& state, const TexelCache* texture,
                       const DrawTarget& target, D3DPRIMITIVETYPE type, const D3DTLVERTEX* vertices,
                       int count);

  // Fills a rectangle (already clipped to the buffers) of the colour and/or
  // depth buffer: colour is 0xAARRGGBB, z in [0, 1].
  static void ClearColor(const TargetView& target, int x0, int y0, int x1, int y1, uint32_t argb);
  static void ClearDepth(const DepthView& depth, int x0, int y0, int x1, int y1, float z);

 private:
  struct Prepared {
    PixelContext ctx;
    SnappedTriangle snapped;
  };
  // Sets up a screen-space triangle for drawing (kept in prepared_).
  void PrepareTriangle(const RenderState& state, const TexelCache* texture,
                       const DrawTarget& target, const Vertex& a, const Vertex& b, const Vertex& c);
  // Draws and forgets the prepared triangles, in order.
  void Flush(const Scissor& scissor);

  int threads_ = 1;
  std::vector<Prepared> prepared_;
  double preparedArea_ = 0;
  std::unique_ptr<BandWorker> worker_;
  std::vector<Vertex> vertices_;
  std::vector<Vertex> screen_;
  std::vector<TriangleIndices> triangles_;
};

// Maps a clip-space vertex to the viewport: pixels, depth, and 1/w in w.
Vertex ToScreen(const Vertex& clip, const Scissor& viewport);

}  // namespace platform::d3d
