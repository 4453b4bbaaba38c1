// A decorator of IDirect3DDevice7 that reports every call, its arguments
// and its result as one line of text, for tests of call sequences.
#include <cstdarg>
#include <cstdio>
#include <string>

#include "d3d/recorder.h"
#include "testing.h"

namespace platform {

namespace {

DeviceCallSink& GlobalSink() {
  static DeviceCallSink sink;
  return sink;
}

std::string Format(const char* fmt, ...) {
  char buf[1024];
  va_list args;
  va_start(args, fmt);
  std::vsnprintf(buf, sizeof buf, fmt, args);
  va_end(args);
  return buf;
}

std::string Result(HRESULT hr) {
  return hr == 0 ? "0" : Format("0x%08X", static_cast<unsigned>(hr));
}

std::string Pointer(const void* p) {
  return p ? Format("%p", p) : "NULL";
}

std::string Color(const D3DCOLORVALUE& c) {
  return Format("(%g, %g, %g, %g)", c.r, c.g, c.b, c.a);
}

std::string Matrix(const D3DMATRIX* m) {
  if (!m) return "NULL";
  const float* f = &m->_11;
  std::string s = "[";
  for (int i = 0; i < 16; ++i) s += Format(i ? " %g" : "%g", f[i]);
  return s + "]";
}

class RecordingDevice final : public IDirect3DDevice7 {
 public:
  RecordingDevice(IDirect3DDevice7* inner, DeviceCallSink sink)
      : inner_(inner), sink_(std::move(sink)) {
    inner_->AddRef();
  }
  ~RecordingDevice() override { inner_->Release(); }

  HRESULT QueryInterface(REFIID riid, void** object) override {
    return Log(inner_->QueryInterface(riid, object), "QueryInterface()");
  }
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

  HRESULT GetCaps(D3DDEVICEDESC7* desc) override {
    return Log(inner_->GetCaps(desc), "GetCaps(" + Pointer(desc) + ")");
  }
  HRESULT EnumTextureFormats(LPD3DENUMPIXELFORMATSCALLBACK callback, void* context) override {
    return Log(inner_->EnumTextureFormats(callback, context), "EnumTextureFormats()");
  }
  HRESULT BeginScene() override { return Log(inner_->BeginScene(), "BeginScene()"); }
  HRESULT EndScene() override { return Log(inner_->EndScene(), "EndScene()"); }
  HRESULT SetRenderTarget(IDirectDrawSurface7* surface, DWORD flags) override {
    return Log(inner_->SetRenderTarget(surface, flags),
               Format("SetRenderTarget(%s, %lu)", Pointer(surface).c_str(), Ul(flags)));
  }
  HRESULT GetRenderTarget(IDirectDrawSurface7** surface) override {
    return Log(inner_->GetRenderTarget(surface), "GetRenderTarget()");
  }
  HRESULT Clear(DWORD count, D3DRECT* rects, DWORD flags, D3DCOLOR color, D3DVALUE z,
                DWORD stencil) override {
    std::string r;
    for (DWORD i = 0; rects && i < count; ++i)
      r += Format("%s(%ld, %ld, %ld, %ld)", i ? " " : "", static_cast<long>(rects[i].x1),
                  static_cast<long>(rects[i].y1), static_cast<long>(rects[i].x2),
                  static_cast<long>(rects[i].y2));
    return Log(inner_->Clear(count, rects, flags, color, z, stencil),
               Format("Clear(%lu, [%s], %lu, 0x%08X, %g, %lu)", Ul(count), r.c_str(), Ul(flags),
                      static_cast<unsigned>(color), z, Ul(stencil)));
  }
  HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* m) override {
    return Log(inner_->SetTransform(state, m),
               Format("SetTransform(%d, %s)", static_cast<int>(state), Matrix(m).c_str()));
  }
  HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* m) override {
    return Log(inner_->GetTransform(state, m), Format("GetTransform(%d)", static_cast<int>(state)));
  }
  HRESULT SetViewport(D3DVIEWPORT7* v) override {
    const std::string args = v ? Format("%lu, %lu, %lu, %lu, %g, %g", Ul(v->dwX), Ul(v->dwY),
                                        Ul(v->dwWidth), Ul(v->dwHeight), v->dvMinZ, v->dvMaxZ)
                               : "NULL";
    return Log(inner_->SetViewport(v), "SetViewport(" + args + ")");
  }
  HRESULT GetViewport(D3DVIEWPORT7* v) override {
    return Log(inner_->GetViewport(v), "GetViewport()");
  }
  HRESULT SetMaterial(D3DMATERIAL7* m) override {
    const std::string args = m ? Color(m->diffuse) + ", " + Color(m->ambient) + ", " +
                                     Color(m->specular) + ", " + Color(m->emissive) +
                                     Format(", %g", m->power)
                               : "NULL";
    return Log(inner_->SetMaterial(m), "SetMaterial(" + args + ")");
  }
  HRESULT SetLight(DWORD index, D3DLIGHT7* l) override {
    const std::string args = l ? Format("%d, ", static_cast<int>(l->dltType)) +
                                     Color(l->dcvDiffuse) + ", " + Color(l->dcvSpecular) + ", " +
                                     Color(l->dcvAmbient) +
                                     Format(", (%g, %g, %g), (%g, %g, %g), %g", l->dvPosition.x,
                                            l->dvPosition.y, l->dvPosition.z, l->dvDirection.x,
                                            l->dvDirection.y, l->dvDirection.z, l->dvRange)
                               : "NULL";
    return Log(inner_->SetLight(index, l), Format("SetLight(%lu, ", Ul(index)) + args + ")");
  }
  HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override {
    return Log(inner_->SetRenderState(state, value),
               Format("SetRenderState(%d, %lu)", static_cast<int>(state), Ul(value)));
  }
  HRESULT GetRenderState(D3DRENDERSTATETYPE state, LPDWORD value) override {
    return Log(inner_->GetRenderState(state, value),
               Format("GetRenderState(%d)", static_cast<int>(state)));
  }
  HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, DWORD format, LPVOID vertices, DWORD count,
                        DWORD flags) override {
    return Log(inner_->DrawPrimitive(type, format, vertices, count, flags),
               Format("DrawPrimitive(%d, 0x%lX, %lu, %lu)", static_cast<int>(type), Ul(format),
                      Ul(count), Ul(flags)));
  }
  HRESULT SetTexture(DWORD stage, IDirectDrawSurface7* texture) override {
    return Log(inner_->SetTexture(stage, texture),
               Format("SetTexture(%lu, %s)", Ul(stage), Pointer(texture).c_str()));
  }
  HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override {
    return Log(
        inner_->SetTextureStageState(stage, type, value),
        Format("SetTextureStageState(%lu, %d, %lu)", Ul(stage), static_cast<int>(type), Ul(value)));
  }
  HRESULT LightEnable(DWORD index, BOOL enable) override {
    return Log(inner_->LightEnable(index, enable),
               Format("LightEnable(%lu, %d)", Ul(index), static_cast<int>(enable)));
  }

 private:
  static unsigned long Ul(DWORD v) { return static_cast<unsigned long>(v); }
  HRESULT Log(HRESULT hr, const std::string& call) {
    if (sink_) sink_(call + " = " + Result(hr));
    return hr;
  }

  ULONG refs_ = 1;
  IDirect3DDevice7* inner_;
  DeviceCallSink sink_;
};

}  // namespace

void SetDeviceRecorder(DeviceCallSink sink) {
  GlobalSink() = std::move(sink);
}

IDirect3DDevice7* WrapRecordingDevice(IDirect3DDevice7* device, DeviceCallSink sink) {
  if (!device) return nullptr;
  return new RecordingDevice(device, std::move(sink));
}

namespace d3d {

IDirect3DDevice7* WrapIfRecording(IDirect3DDevice7* device) {
  if (!GlobalSink()) return device;
  IDirect3DDevice7* wrapped = WrapRecordingDevice(device, GlobalSink());
  device->Release();  // the decorator holds the only reference now
  return wrapped;
}

}  // namespace d3d
}  // namespace platform
