// The software device's state as one plain struct with the defaults a new
// device starts with, and the views of the memory the rasteriser draws into.
// Nothing here knows about COM: the device fills these, the rasteriser reads
// them.
#pragma once

#include <cstdint>

#include "d3d7.h"

namespace platform::d3d {

// One texture stage's settings (only stage 0 takes part in drawing).
struct StageState {
  DWORD colorOp = D3DTOP_DISABLE;
  DWORD colorArg1 = D3DTA_TEXTURE;
  DWORD colorArg2 = D3DTA_CURRENT;
  DWORD alphaOp = D3DTOP_DISABLE;
  DWORD alphaArg1 = D3DTA_TEXTURE;
  DWORD alphaArg2 = D3DTA_CURRENT;
  DWORD texCoordIndex = 0;
  DWORD addressU = D3DTADDRESS_WRAP;
  DWORD addressV = D3DTADDRESS_WRAP;
  DWORD magFilter = D3DTFG_POINT;
  DWORD minFilter = D3DTFN_POINT;
  DWORD mipFilter = D3DTFP_NONE;
};

constexpr int kStageCount = 8;
constexpr int kLightCount = 8;

struct RenderState {
  // Set by the device from the attached z-buffer when it is created.
  bool zEnable = false;
  bool zWriteEnable = true;
  DWORD zFunc = D3DCMP_LESSEQUAL;
  DWORD fillMode = D3DFILL_SOLID;
  DWORD shadeMode = D3DSHADE_GOURAUD;
  bool alphaTestEnable = false;
  DWORD alphaFunc = D3DCMP_ALWAYS;
  DWORD alphaRef = 0;
  bool alphaBlendEnable = false;
  DWORD srcBlend = D3DBLEND_ONE;
  DWORD destBlend = D3DBLEND_ZERO;
  DWORD cullMode = D3DCULL_CCW;
  bool ditherEnable = false;
  bool fogEnable = false;
  bool specularEnable = false;
  bool colorKeyEnable = false;
  bool texturePerspective = true;
  bool clipping = true;
  bool lighting = true;
  DWORD ambient = 0;
  bool colorVertex = true;
  bool normalizeNormals = false;
  DWORD diffuseMaterialSource = D3DMCS_COLOR1;
  DWORD specularMaterialSource = 2;  // D3DMCS_COLOR2
  DWORD ambientMaterialSource = D3DMCS_MATERIAL;
  DWORD emissiveMaterialSource = D3DMCS_MATERIAL;

  StageState stages[kStageCount];

  RenderState() {
    stages[0].colorOp = D3DTOP_MODULATE;
    stages[0].alphaOp = D3DTOP_SELECTARG1;
  }
};

// Matrices, material and lights: what the vertex stage needs.
struct TransformState {
  D3DMATRIX world = Identity();
  D3DMATRIX view = Identity();
  D3DMATRIX projection = Identity();
  D3DMATERIAL7 material{};
  D3DLIGHT7 lights[kLightCount]{};
  bool lightSet[kLightCount]{};
  bool lightEnabled[kLightCount]{};

  static D3DMATRIX Identity() {
    D3DMATRIX m{};
    m._11 = m._22 = m._33 = m._44 = 1.0f;
    return m;
  }
};

// The colour buffer drawn into: 16-bit (R5G6B5 or X1R5G5B5) or 32-bit.
struct TargetView {
  uint8_t* bits = nullptr;
  int pitch = 0;  // bytes per row
  int width = 0;
  int height = 0;
  int bytesPerPixel = 4;
  uint32_t rMask = 0x00FF0000, gMask = 0x0000FF00, bMask = 0x000000FF;
};

// The depth buffer: 16-bit, or 32-bit with the z bits given by the mask
// (24 of 32 bits, or all 32).
struct DepthView {
  uint8_t* bits = nullptr;
  int pitch = 0;
  int width = 0;
  int height = 0;
  int bytesPerPixel = 0;  // 0: no depth buffer
  uint32_t zMask = 0;
};

// The pixel rectangle drawing is limited to (the viewport).
struct Scissor {
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  float minZ = 0.0f, maxZ = 1.0f;
};

}  // namespace platform::d3d
