#include "d3d/rasterizer.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#include "d3d/clip.h"
#include "d3d/scan_convert.h"
#include "d3d/setup.h"

namespace platform::d3d {

namespace {

// Geometry up to this many viewports beyond the view volume is scissored
// per pixel rather than clipped.
constexpr float kGuardBand = 4.0f;

}  // namespace

Vertex ToScreen(const Vertex& clip, const Scissor& vp) {
  Vertex s = clip;
  const float rhw = 1.0f / clip.w;
  const float w = static_cast<float>(vp.x1 - vp.x0);
  const float h = static_cast<float>(vp.y1 - vp.y0);
  s.x = vp.x0 + (1.0f + clip.x * rhw) * w * 0.5f;
  s.y = vp.y0 + (1.0f - clip.y * rhw) * h * 0.5f;
  s.z = vp.minZ + clip.z * rhw * (vp.maxZ - vp.minZ);
  s.w = rhw;
  return s;
}

void Rasterizer::PrepareTriangle(const RenderState& state, const TexelCache* texture,
                                 const DrawTarget& target, const Vertex& a, const Vertex& b,
                                 const Vertex& c) {
  SnappedTriangle snapped;
  if (!SnapTriangle(a, b, c, state.cullMode, &snapped)) return;
  // Inside the guard band but wholly beside the viewport (a building off to
  // the side): no pixel centre to draw, and its rows need not be walked.
  const int64_t xLeast = std::min({snapped.x[0], snapped.x[1], snapped.x[2]});
  const int64_t xMost = std::max({snapped.x[0], snapped.x[1], snapped.x[2]});
  const Scissor& vp = target.viewport;
  if (xMost < int64_t{vp.x0} * kSubpixels || xLeast > int64_t{vp.x1 - 1} * kSubpixels) return;
  // Sampling only keyed texels, every pixel would be discarded.
  const KeyedBlocks::Table* keyed =
      texture && state.colorKeyEnable ? keyedBlocks_.TableFor(*texture) : nullptr;
  if (keyed && KeyedBlocks::AllKeyed(*keyed, std::min({a.u, b.u, c.u}), std::max({a.u, b.u, c.u}),
                                     std::min({a.v, b.v, c.v}), std::max({a.v, b.v, c.v})))
    return;
  prepared_.emplace_back();
  Prepared& p = prepared_.back();
  p.snapped = snapped;
  p.scissor = target.viewport;
  PixelContext& ctx = p.ctx;
  ctx.state = &state;
  ctx.target = target.color;
  ctx.depth = target.depth;
  ctx.texture = texture && texture->Valid() ? texture : nullptr;
  // A pre-transformed vertex without a positive rhw has no perspective to
  // correct for; such triangles are interpolated affinely.
  ctx.perspective = state.texturePerspective && a.w > 0 && b.w > 0 && c.w > 0;
  const Vertex* v[3] = {&a, &b, &c};
  const bool gouraud = SetupPlanes(v, snapped, ctx.perspective, &ctx.tri);
  if (ctx.texture) {
    const StageState& stage = state.stages[0];
    const DWORD filter = IsMinified(v, *ctx.texture) ? stage.minFilter : stage.magFilter;
    ctx.bilinear = filter == D3DTFG_LINEAR;
    ctx.colorKey = state.colorKeyEnable;
  }
  ChooseDepthStages(&ctx);
  ChooseSampleStage(&ctx);
  ChooseShadeStages(&ctx, gouraud);
  ChooseWriteStage(&ctx);
  ChooseFusedStage(&ctx);
  // Mostly keyed pictures are worth testing span by span too.
  if (keyed && keyed->mostlyKeyed && ctx.texture) ctx.keyed = keyed;
  // An upper bound of the pixels it covers (half its bounding box, limited
  // to the viewport), to decide whether sharing the work pays.
  const double w = std::min<double>(static_cast<double>(xMost - xLeast) / kSubpixels,
                                    target.viewport.x1 - target.viewport.x0);
  const double h = std::min<double>(static_cast<double>(snapped.y[2] - snapped.y[0]) / kSubpixels,
                                    target.viewport.y1 - target.viewport.y0);
  preparedArea_ += w * h / 2;
}

const RenderState& Rasterizer::Keep(const RenderState& state) {
  states_.push_back(state);
  return states_.back();
}

void Rasterizer::Finish() {
  // Below this many pixels a second thread costs more than it saves.
  constexpr double kParallelArea = 32768.0;
  if (threads_ > 1 && preparedArea_ >= kParallelArea) {
    if (!worker_) worker_ = std::make_unique<BandWorker>();
    // The bands of rows go to whichever thread is free, so that a thread
    // the system holds back does not hold up the frame; each band knows
    // its triangles, in order.
    for (std::vector<uint32_t>& list : bandTriangles_) list.clear();
    for (size_t i = 0; i < prepared_.size(); ++i) {
      int64_t top, end;
      if (!TriangleRows(prepared_[i].snapped, prepared_[i].scissor, &top, &end)) continue;
      const size_t last = static_cast<size_t>((end - 1) >> kBandShift);
      if (bandTriangles_.size() <= last) bandTriangles_.resize(last + 1);
      for (size_t b = static_cast<size_t>(top >> kBandShift); b <= last; ++b)
        bandTriangles_[b].push_back(static_cast<uint32_t>(i));
    }
    const int bands = static_cast<int>(bandTriangles_.size());
    std::atomic<int> next{0};
    const std::function<void(int)> job = [this, &next, bands](int) {
      for (int band; (band = next.fetch_add(1)) < bands;)
        for (uint32_t i : bandTriangles_[band]) {
          const Prepared& p = prepared_[i];
          RasterizeTriangle(p.ctx, p.snapped, p.scissor, band);
        }
    };
    worker_->Run(job);
  } else {
    for (const Prepared& p : prepared_) RasterizeTriangle(p.ctx, p.snapped, p.scissor);
  }
  prepared_.clear();
  states_.clear();
  preparedArea_ = 0;
  // Tables of textures gone are dropped now and then, while no triangle
  // refers to them.
  if (keyedBlocks_.Size() > 256) keyedBlocks_.Forget();
}

void Rasterizer::DrawVertices(const RenderState& state, const TransformState& transform,
                              const TexelCache* texture, const DrawTarget& target,
                              D3DPRIMITIVETYPE type, const D3DVERTEX* vertices, int count) {
  if (!AssembleTriangles(type, count, &triangles_) || triangles_.empty()) return;
  TransformVertices(vertices, count, transform, state, &vertices_);
  const RenderState& kept = Keep(state);
  screen_.resize(vertices_.size());
  std::vector<char> mapped(vertices_.size(), 0);
  Vertex clipped[kMaxClippedVertices];
  for (const TriangleIndices& t : triangles_) {
    const Vertex& a = vertices_[t[0]];
    const Vertex& b = vertices_[t[1]];
    const Vertex& c = vertices_[t[2]];
    if (TriviallyInside(a, b, c, kGuardBand)) {
      for (int i : t)
        if (!mapped[i]) {
          screen_[i] = ToScreen(vertices_[i], target.viewport);
          mapped[i] = 1;
        }
      PrepareTriangle(kept, texture, target, screen_[t[0]], screen_[t[1]], screen_[t[2]]);
      continue;
    }
    const int n = ClipTriangle(a, b, c, kGuardBand, clipped);
    for (int i = 0; i < n; ++i) clipped[i] = ToScreen(clipped[i], target.viewport);
    for (int i = 1; i + 1 < n; ++i)
      PrepareTriangle(kept, texture, target, clipped[0], clipped[i], clipped[i + 1]);
  }
  LimitQueue();
}

void Rasterizer::DrawTransformed(const RenderState& state, const TexelCache* texture,
                                 const DrawTarget& target, D3DPRIMITIVETYPE type,
                                 const D3DTLVERTEX* vertices, int count) {
  if (!AssembleTriangles(type, count, &triangles_) || triangles_.empty()) return;
  LoadTransformedVertices(vertices, count, &vertices_);
  const RenderState& kept = Keep(state);
  for (const TriangleIndices& t : triangles_) {
    PrepareTriangle(kept, texture, target, vertices_[t[0]], vertices_[t[1]], vertices_[t[2]]);
  }
  LimitQueue();
}

void Rasterizer::LimitQueue() {
  // Deferred, a scene of a great many triangles is still drawn in parts,
  // so that the queue stays a few megabytes.
  constexpr size_t kMostQueued = 16384;
  if (!deferred_ || prepared_.size() >= kMostQueued) Finish();
}

void Rasterizer::ClearColor(const TargetView& t, int x0, int y0, int x1, int y1, uint32_t argb) {
  if (!t.bits || x0 >= x1 || y0 >= y1) return;
  if (t.bytesPerPixel == 4) {
    for (int y = y0; y < y1; ++y) {
      uint32_t* row = reinterpret_cast<uint32_t*>(t.bits + static_cast<size_t>(y) * t.pitch);
      std::fill(row + x0, row + x1, argb);
    }
    return;
  }
  auto pack = [&](uint32_t mask, uint32_t v8) -> uint32_t {
    if (!mask) return 0;
    int shift = 0;
    while (!(mask >> shift & 1u)) ++shift;
    int bits = 0;
    while (shift + bits < 32 && (mask >> (shift + bits) & 1u)) ++bits;
    return (v8 >> (8 - bits)) << shift;
  };
  const uint16_t raw =
      static_cast<uint16_t>(pack(t.rMask, (argb >> 16) & 0xFF) | pack(t.gMask, (argb >> 8) & 0xFF) |
                            pack(t.bMask, argb & 0xFF));
  for (int y = y0; y < y1; ++y) {
    uint16_t* row = reinterpret_cast<uint16_t*>(t.bits + static_cast<size_t>(y) * t.pitch);
    std::fill(row + x0, row + x1, raw);
  }
}

void Rasterizer::ClearDepth(const DepthView& d, int x0, int y0, int x1, int y1, float z) {
  if (!d.bits || d.bytesPerPixel == 0 || x0 >= x1 || y0 >= y1) return;
  const double zc = std::min(1.0, std::max(0.0, static_cast<double>(z)));
  if (d.bytesPerPixel == 2) {
    const uint16_t v = static_cast<uint16_t>(zc * 65535.0 + 0.5);
    for (int y = y0; y < y1; ++y) {
      uint16_t* row = reinterpret_cast<uint16_t*>(d.bits + static_cast<size_t>(y) * d.pitch);
      std::fill(row + x0, row + x1, v);
    }
    return;
  }
  int shift = 0;
  while (d.zMask && !(d.zMask >> shift & 1u)) ++shift;
  const uint32_t zmax = d.zMask >> shift;
  const uint32_t v = (static_cast<uint32_t>(zc * zmax + 0.5) << shift) & d.zMask;
  for (int y = y0; y < y1; ++y) {
    uint32_t* row = reinterpret_cast<uint32_t*>(d.bits + static_cast<size_t>(y) * d.pitch);
    for (int x = x0; x < x1; ++x) row[x] = (row[x] & ~d.zMask) | v;
  }
}

}  // namespace platform::d3d
