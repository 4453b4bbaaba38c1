// Render utilities shared by the display framework, the texture registry and
// the renderers: vector arithmetic on D3DVECTOR, identity, look-at and
// perspective matrices, surface description set-up and the debug-output helper.
#pragma once

#include <cmath>

#include "d3d7.h"

void D3DKit_InitSurfaceDesc(DDSURFACEDESC2& desc, DWORD flags = 0, DWORD caps = 0);
void D3DKit_SetIdentityMatrix(D3DMATRIX& m);
HRESULT D3DKit_SetViewMatrix(D3DMATRIX& m, D3DVECTOR& from, D3DVECTOR& at, D3DVECTOR& worldUp);
HRESULT D3DKit_SetProjectionMatrix(D3DMATRIX& m, FLOAT fov, FLOAT aspect, FLOAT nearPlane,
                                   FLOAT farPlane);
void D3DKit_MatrixMultiply(D3DMATRIX& result, D3DMATRIX& a, D3DMATRIX& b);
HRESULT D3DKit_DebugOut(const char* file, LONG line, HRESULT hr, const char* message);

// Reports a diagnostic with the calling source file and line.
#define DEBUG_MSG(file, str) D3DKit_DebugOut(file, __LINE__, 0, str)
#define DEBUG_ERR(file, hr, str) D3DKit_DebugOut(file, __LINE__, hr, str)

// ------------------------------------------------------------------ vectors
inline D3DVECTOR MakeVector(float x, float y, float z) {
  D3DVECTOR v;
  v.x = x;
  v.y = y;
  v.z = z;
  return v;
}
inline D3DVECTOR operator+(const D3DVECTOR& a, const D3DVECTOR& b) {
  return MakeVector(a.x + b.x, a.y + b.y, a.z + b.z);
}
inline D3DVECTOR operator-(const D3DVECTOR& a, const D3DVECTOR& b) {
  return MakeVector(a.x - b.x, a.y - b.y, a.z - b.z);
}
inline D3DVECTOR operator-(const D3DVECTOR& a) {
  return MakeVector(-a.x, -a.y, -a.z);
}
inline D3DVECTOR operator*(float s, const D3DVECTOR& a) {
  return MakeVector(s * a.x, s * a.y, s * a.z);
}
inline D3DVECTOR operator*(const D3DVECTOR& a, float s) {
  return MakeVector(a.x * s, a.y * s, a.z * s);
}
inline D3DVECTOR operator/(const D3DVECTOR& a, float s) {
  return MakeVector(a.x / s, a.y / s, a.z / s);
}
inline float DotProduct(const D3DVECTOR& a, const D3DVECTOR& b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline D3DVECTOR CrossProduct(const D3DVECTOR& a, const D3DVECTOR& b) {
  return MakeVector(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
}
inline float SquareMagnitude(const D3DVECTOR& a) {
  return DotProduct(a, a);
}
inline float Magnitude(const D3DVECTOR& a) {
  return std::sqrt(SquareMagnitude(a));
}
inline D3DVECTOR Normalize(const D3DVECTOR& a) {
  return a / Magnitude(a);
}
