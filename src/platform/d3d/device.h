// IDirect3DDevice7 of the software device: holds the state struct and the
// render target, and hands draws to the rasteriser.
#pragma once

#include <memory>
#include <unordered_map>

#include "d3d/rasterizer.h"
#include "d3d/render_state.h"
#include "d3d/texture.h"
#include "d3d7.h"
#include "ddraw/surface.h"

namespace platform {
namespace d3d {

// Triangles are queued through a scene and rasterised together (by two
// threads where there are two cores) when the scene ends or anything else
// needs the target's or z-buffer's pixels.
class Device final : public IDirect3DDevice7, private DeferredDrawing {
 public:
  // Renders into `target` (one reference held) with its attached z-buffer;
  // `owner` (the IDirect3D7) is kept alive as long as the device.
  Device(IDirect3D7* owner, Surface* target, const D3DDEVICEDESC7& desc);
  ~Device() override;

  // IUnknown
  HRESULT QueryInterface(REFIID riid, void** object) override;
  ULONG AddRef() override;
  ULONG Release() override;

  // IDirect3DDevice7
  HRESULT GetCaps(D3DDEVICEDESC7* desc) override;
  HRESULT EnumTextureFormats(LPD3DENUMPIXELFORMATSCALLBACK callback, void* context) override;
  HRESULT BeginScene() override;
  HRESULT EndScene() override;
  HRESULT SetRenderTarget(IDirectDrawSurface7* surface, DWORD flags) override;
  HRESULT GetRenderTarget(IDirectDrawSurface7** surface) override;
  HRESULT Clear(DWORD count, D3DRECT* rects, DWORD flags, D3DCOLOR color, D3DVALUE z,
                DWORD stencil) override;
  HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) override;
  HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) override;
  HRESULT SetViewport(D3DVIEWPORT7* viewport) override;
  HRESULT GetViewport(D3DVIEWPORT7* viewport) override;
  HRESULT SetMaterial(D3DMATERIAL7* material) override;
  HRESULT SetLight(DWORD index, D3DLIGHT7* light) override;
  HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
  HRESULT GetRenderState(D3DRENDERSTATETYPE state, LPDWORD value) override;
  HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, DWORD vertexFormat, LPVOID vertices,
                        DWORD vertexCount, DWORD flags) override;
  HRESULT SetTexture(DWORD stage, IDirectDrawSurface7* texture) override;
  HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override;
  HRESULT LightEnable(DWORD index, BOOL enable) override;

  const RenderState& State() const { return state_; }

 private:
  struct CachedTexture {
    Surface* surface = nullptr;  // one reference held
    uint64_t generation = 0;
    uint64_t lastUsed = 0;  // scenes_ when last drawn with
    bool built = false;
    TexelCache cache;
  };

  // The render target and z-buffer as the rasteriser sees them, limited to
  // the viewport. False when there is nothing to draw into.
  bool CurrentTarget(DrawTarget* out) const;
  // The expanded texels of the texture bound to stage 0, or null.
  const TexelCache* BoundTexture();
  // Counts a scene and drops cached textures nobody but the cache holds any
  // more, or that no draw used in the last kIdleScenes scenes (rebuilt on
  // next use), so that textures drawn once do not keep their expanded
  // copies for the lifetime of their surfaces.
  void SweepTextureCache();
  static constexpr uint64_t kIdleScenes = 120;
  void ResetViewport();
  // Rasterises the queued triangles.
  void Complete() override;

  // Surfaces marked as having queued drawing (the target and its z-buffer).
  Surface* deferredOn_[2] = {};

  ULONG refs_ = 1;
  IDirect3D7* owner_;
  Surface* target_;
  D3DDEVICEDESC7 desc_;
  RenderState state_;
  TransformState transform_;
  D3DVIEWPORT7 viewport_{};
  bool inScene_ = false;
  Surface* textures_[kStageCount] = {};  // one reference held on each
  std::unordered_map<Surface*, std::unique_ptr<CachedTexture>> cache_;
  uint64_t scenes_ = 0;  // EndScene calls so far
  Rasterizer rasterizer_;
};

}  // namespace d3d
}  // namespace platform
