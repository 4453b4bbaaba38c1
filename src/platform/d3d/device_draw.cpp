// The software device's drawing calls: scenes, Clear, DrawPrimitive,
// textures and their expanded-texel cache, and the render target.
#include <algorithm>

#include "d3d/device.h"
#include "ddraw/pixelformat.h"
#include "ddraw/surface.h"

namespace platform::d3d {

namespace {

TargetView ColorView(Surface& s) {
  TargetView v;
  v.bits = s.DrawingBits();
  v.pitch = s.Pitch();
  v.width = s.Width();
  v.height = s.Height();
  v.bytesPerPixel = s.BytesPerPixel();
  v.rMask = s.Format().dwRBitMask;
  v.gMask = s.Format().dwGBitMask;
  v.bMask = s.Format().dwBBitMask;
  return v;
}

DepthView ZView(Surface* z) {
  DepthView v;
  if (!z) return v;
  const FormatInfo info = DescribeFormat(z->Format());
  const int bytes = z->BytesPerPixel();
  if (!info.depth || (bytes != 2 && bytes != 4)) return v;
  v.bits = z->DrawingBits();
  v.pitch = z->Pitch();
  v.width = z->Width();
  v.height = z->Height();
  v.bytesPerPixel = bytes;
  v.zMask = bytes == 2 ? (info.depthMask & 0xFFFFu) : info.depthMask;
  if (!v.zMask) v.zMask = bytes == 2 ? 0xFFFFu : 0xFFFFFFFFu;
  return v;
}

}  // namespace

bool Device::CurrentTarget(DrawTarget* out) const {
  const int bytes = target_->BytesPerPixel();
  if (bytes != 2 && bytes != 4) return false;
  out->color = ColorView(*target_);
  out->depth = ZView(target_->AttachedZBuffer());
  Scissor& s = out->viewport;
  s.x0 = static_cast<int>(viewport_.dwX);
  s.y0 = static_cast<int>(viewport_.dwY);
  s.x1 = static_cast<int>(viewport_.dwX + viewport_.dwWidth);
  s.y1 = static_cast<int>(viewport_.dwY + viewport_.dwHeight);
  s.minZ = viewport_.dvMinZ;
  s.maxZ = viewport_.dvMaxZ;
  // The viewport was checked against the target when it was set; a
  // z-buffer smaller than the target limits drawing to its size.
  s.x1 = std::min(s.x1, out->color.width);
  s.y1 = std::min(s.y1, out->color.height);
  if (out->depth.bits) {
    s.x1 = std::min(s.x1, out->depth.width);
    s.y1 = std::min(s.y1, out->depth.height);
  }
  return s.x0 < s.x1 && s.y0 < s.y1;
}

HRESULT Device::BeginScene() {
  if (inScene_) return D3DERR_SCENE_IN_SCENE;
  inScene_ = true;
  return DD_OK;
}

void Device::Complete() {
  for (Surface*& s : deferredOn_) {
    if (s) s->SetDeferredDrawing(nullptr);
    s = nullptr;
  }
  rasterizer_.Finish();
}

HRESULT Device::EndScene() {
  if (!inScene_) return D3DERR_SCENE_NOT_IN_SCENE;
  inScene_ = false;
  Complete();
  SweepTextureCache();
  return DD_OK;
}

HRESULT Device::Clear(DWORD count, D3DRECT* rects, DWORD flags, D3DCOLOR color, D3DVALUE z, DWORD) {
  if (count > 0 && !rects) return DDERR_INVALIDPARAMS;
  if (target_->Lost()) return DDERR_SURFACELOST;
  DrawTarget t;
  if (!CurrentTarget(&t)) return DD_OK;
  if ((flags & D3DCLEAR_ZBUFFER) && !t.depth.bits) return DDERR_INVALIDPARAMS;
  Complete();
  const D3DRECT whole = {{t.viewport.x0}, {t.viewport.y0}, {t.viewport.x1}, {t.viewport.y1}};
  const DWORD n = count ? count : 1;
  for (DWORD i = 0; i < n; ++i) {
    const D3DRECT& r = count ? rects[i] : whole;
    const int x0 = std::max<LONG>(r.x1, t.viewport.x0);
    const int y0 = std::max<LONG>(r.y1, t.viewport.y0);
    const int x1 = std::min<LONG>(r.x2, t.viewport.x1);
    const int y1 = std::min<LONG>(r.y2, t.viewport.y1);
    if (flags & D3DCLEAR_TARGET) Rasterizer::ClearColor(t.color, x0, y0, x1, y1, color);
    if (flags & D3DCLEAR_ZBUFFER) Rasterizer::ClearDepth(t.depth, x0, y0, x1, y1, z);
  }
  if (flags & D3DCLEAR_TARGET) target_->Touch();
  return DD_OK;
}

HRESULT Device::DrawPrimitive(D3DPRIMITIVETYPE type, DWORD vertexFormat, LPVOID vertices,
                              DWORD vertexCount, DWORD) {
  // Drawing outside a scene fails and draws nothing, as drivers did.
  if (!inScene_) return D3DERR_SCENE_NOT_IN_SCENE;
  if (type != D3DPT_TRIANGLELIST && type != D3DPT_TRIANGLESTRIP) return DDERR_INVALIDPARAMS;
  if (vertexFormat != D3DFVF_VERTEX && vertexFormat != D3DFVF_TLVERTEX) return DDERR_INVALIDPARAMS;
  if (vertexCount == 0) return DD_OK;
  if (!vertices || vertexCount > (1u << 24)) return DDERR_INVALIDPARAMS;
  if (target_->Lost()) return DDERR_SURFACELOST;
  DrawTarget t;
  if (!CurrentTarget(&t)) return DD_OK;
  const TexelCache* texture = BoundTexture();
  const int count = static_cast<int>(vertexCount);
  if (vertexFormat == D3DFVF_VERTEX)
    rasterizer_.DrawVertices(state_, transform_, texture, t, type,
                             static_cast<const D3DVERTEX*>(vertices), count);
  else
    rasterizer_.DrawTransformed(state_, texture, t, type, static_cast<const D3DTLVERTEX*>(vertices),
                                count);
  // The pixels change when the queue is rasterised; anyone reading them
  // first completes it.
  deferredOn_[0] = target_;
  deferredOn_[1] = target_->AttachedZBuffer();
  for (Surface* s : deferredOn_)
    if (s) s->SetDeferredDrawing(this);
  target_->Touch();
  return DD_OK;
}

HRESULT Device::SetTexture(DWORD stage, IDirectDrawSurface7* texture) {
  if (stage >= static_cast<DWORD>(kStageCount)) return DDERR_INVALIDPARAMS;
  Surface* s = nullptr;
  if (texture) {
    s = Surface::From(texture);
    if (!s) return DDERR_INVALIDPARAMS;
    s->AddRef();
  }
  if (textures_[stage]) textures_[stage]->Release();
  textures_[stage] = s;
  return DD_OK;
}

const TexelCache* Device::BoundTexture() {
  Surface* s = textures_[0];
  if (!s || s->Lost()) return nullptr;
  auto it = cache_.find(s);
  if (it == cache_.end()) {
    auto entry = std::make_unique<CachedTexture>();
    entry->surface = s;
    s->AddRef();
    it = cache_.emplace(s, std::move(entry)).first;
  }
  CachedTexture& c = *it->second;
  c.lastUsed = scenes_;
  if (!c.built || c.generation != s->Generation()) {
    // Queued triangles may read the texels about to be replaced.
    Complete();
    TextureSource src;
    src.bits = s->Bits();
    src.pitch = s->Pitch();
    src.width = s->Width();
    src.height = s->Height();
    src.format = s->Format();
    src.hasColorKey = s->HasSourceColorKey();
    src.colorKey = s->SourceColorKey();
    c.cache.Build(src);
    c.generation = s->Generation();
    c.built = true;
  }
  return c.cache.Valid() ? &c.cache : nullptr;
}

void Device::SweepTextureCache() {
  ++scenes_;
  for (auto it = cache_.begin(); it != cache_.end();) {
    Surface* s = it->second->surface;
    // AddRef answers the new count: 2 means only the cache holds it.
    const ULONG refs = s->AddRef();
    s->Release();
    if (refs <= 2 || scenes_ - it->second->lastUsed > kIdleScenes) {
      s->Release();
      it = cache_.erase(it);
    } else {
      ++it;
    }
  }
}

HRESULT Device::SetRenderTarget(IDirectDrawSurface7* surface, DWORD) {
  Surface* s = surface ? Surface::From(surface) : nullptr;
  if (!s) return DDERR_INVALIDPARAMS;
  if (s->BytesPerPixel() != 2 && s->BytesPerPixel() != 4) return DDERR_INVALIDPIXELFORMAT;
  Complete();
  s->AddRef();
  target_->Release();
  target_ = s;
  // The viewport follows the new target's size.
  ResetViewport();
  return DD_OK;
}

HRESULT Device::GetRenderTarget(IDirectDrawSurface7** surface) {
  if (!surface) return DDERR_INVALIDPARAMS;
  target_->AddRef();
  *surface = target_;
  return DD_OK;
}

}  // namespace platform::d3d
