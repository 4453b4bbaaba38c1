#include "d3dframe/d3dutil.h"

#include <cstdio>
#include <cstring>

void D3DKit_InitSurfaceDesc(DDSURFACEDESC2& desc, DWORD flags, DWORD caps) {
  std::memset(&desc, 0, sizeof(desc));
  // The descriptor's size on the platform (a 32-bit program).
  desc.dwSize = 124;
  desc.dwFlags = flags;
  desc.ddsCaps.dwCaps = caps;
  desc.ddpfPixelFormat.dwSize = 32;
}

void D3DKit_SetIdentityMatrix(D3DMATRIX& m) {
  m._12 = m._13 = m._14 = m._21 = m._23 = m._24 = 0.0f;
  m._31 = m._32 = m._34 = m._41 = m._42 = m._43 = 0.0f;
  m._11 = m._22 = m._33 = m._44 = 1.0f;
}

HRESULT D3DKit_SetViewMatrix(D3DMATRIX& m, D3DVECTOR& from, D3DVECTOR& at, D3DVECTOR& worldUp) {
  D3DVECTOR view = at - from;
  float length = Magnitude(view);
  if (length < 1e-6f) return E_INVALIDARG;
  view = view / length;

  // The up vector is the world-up with its component along the view removed.
  D3DVECTOR up = worldUp - DotProduct(worldUp, view) * view;
  length = Magnitude(up);
  if (length < 1e-6f) {
    up = MakeVector(0.0f, 1.0f, 0.0f) - view.y * view;
    length = Magnitude(up);
    if (length < 1e-6f) {
      up = MakeVector(0.0f, 0.0f, 1.0f) - view.z * view;
      length = Magnitude(up);
      if (length < 1e-6f) return E_INVALIDARG;
    }
  }
  up = up / length;
  D3DVECTOR right = CrossProduct(up, view);

  D3DKit_SetIdentityMatrix(m);
  m._11 = right.x;
  m._12 = up.x;
  m._13 = view.x;
  m._21 = right.y;
  m._22 = up.y;
  m._23 = view.y;
  m._31 = right.z;
  m._32 = up.z;
  m._33 = view.z;
  m._41 = -DotProduct(from, right);
  m._42 = -DotProduct(from, up);
  m._43 = -DotProduct(from, view);
  return S_OK;
}

HRESULT D3DKit_SetProjectionMatrix(D3DMATRIX& m, FLOAT fov, FLOAT aspect, FLOAT nearPlane,
                                   FLOAT farPlane) {
  if (std::fabs(farPlane - nearPlane) < 0.01f) return E_INVALIDARG;
  if (std::fabs(std::sin(fov / 2)) < 0.01f) return E_INVALIDARG;
  float c = std::cos(fov / 2) / std::sin(fov / 2);
  float w = aspect * c;
  float h = 1.0f * c;
  float q = farPlane / (farPlane - nearPlane);
  std::memset(&m, 0, sizeof(m));
  m._11 = w;
  m._22 = h;
  m._33 = q;
  m._34 = 1.0f;
  m._43 = -q * nearPlane;
  return S_OK;
}

void D3DKit_MatrixMultiply(D3DMATRIX& result, D3DMATRIX& a, D3DMATRIX& b) {
  const float* pa = &a._11;
  const float* pb = &b._11;
  float product[16];
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      float sum = 0.0f;
      for (int k = 0; k < 4; ++k) sum += pa[i * 4 + k] * pb[k * 4 + j];
      product[i * 4 + j] = sum;
    }
  }
  std::memcpy(&result._11, product, sizeof(product));
}

HRESULT D3DKit_DebugOut(const char* file, LONG line, HRESULT hr, const char* message) {
  char buffer[256];
  std::snprintf(buffer, sizeof(buffer), "%s(%ld): ", file, static_cast<long>(line));
  OutputDebugStringA(buffer);
  OutputDebugStringA(message);
  if (hr) {
    std::snprintf(buffer, sizeof(buffer), "(hr=%08lx)\n",
                  static_cast<unsigned long>(static_cast<DWORD>(hr)));
    OutputDebugStringA(buffer);
  }
  OutputDebugStringA("\n");
  return hr;
}
