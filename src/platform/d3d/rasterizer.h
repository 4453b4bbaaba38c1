// The software rasteriser's entry: draws a batch of vertices with a given
// state into a colour buffer and depth buffer. Pure: it knows nothing of
// COM objects, only of the state struct, the vertices and the memory views.
#pragma once

#include <deque>
#include <memory>
#include <vector>

#include "d3d/assembly.h"
#include "d3d/band_worker.h"
#include "d3d/key_blocks.h"
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

// Draw calls set triangles up and rasterise them at once, or, when asked
// to defer, leave them queued until Finish, so that the work of a whole
// scene can be shared between threads.
class Rasterizer {
 public:
  void SetDeferred(bool deferred) { deferred_ = deferred; }
  // Threads rasterising the queue (1 or 2). With 2, queues covering many
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

  // Rasterises and forgets the queued triangles. The target and depth
  // memory and the textures they were set up with must still be there.
  void Finish();

 private:
  struct Prepared {
    PixelContext ctx;
    SnappedTriangle snapped;
    Scissor scissor;
  };
  // The render state of a draw call, kept for its queued triangles.
  const RenderState& Keep(const RenderState& state);
  // Rasterises the queue unless deferring (and then when it grows long).
  void LimitQueue();
  // Sets up a screen-space triangle for drawing (kept in prepared_).
  void PrepareTriangle(const RenderState& state, const TexelCache* texture,
                       const DrawTarget& target, const Vertex& a, const Vertex& b, const Vertex& c);

  int threads_ = 1;
  bool deferred_ = false;
  std::vector<Prepared> prepared_;
  // Per band of rows, the queued triangles reaching it (kept between
  // frames for their storage).
  std::vector<std::vector<uint32_t>> bandTriangles_;
  std::deque<RenderState> states_;
  double preparedArea_ = 0;
  std::unique_ptr<BandWorker> worker_;
  KeyedBlocks keyedBlocks_;
  std::vector<Vertex> vertices_;
  std::vector<Vertex> screen_;
  std::vector<TriangleIndices> triangles_;
};

// Maps a clip-space vertex to the viewport: pixels, depth, and 1/w in w.
Vertex ToScreen(const Vertex& clip, const Scissor& viewport);

}  // namespace platform::d3d
