// The full-screen picture quad shared by the sky and the title, level select
// and score pictures: four transformed vertices in triangle-strip order at
// depth 0.99, rhw 0.5, white, covering the texture from (0,1) to (1,0).
#pragma once

#include "d3d7.h"

// Writes the quad's fixed values, with every x and y 0.
inline void InitScreenQuad(D3DTLVERTEX vertices[4]) {
  static const float kU[4] = {0.0f, 0.0f, 1.0f, 1.0f};
  static const float kV[4] = {1.0f, 0.0f, 1.0f, 0.0f};
  for (int i = 0; i < 4; ++i) {
    vertices[i].sx = 0.0f;
    vertices[i].sy = 0.0f;
    vertices[i].sz = 0.99f;
    vertices[i].rhw = 0.5f;
    vertices[i].color = 0xFFFFFFFF;
    vertices[i].specular = 0;
    vertices[i].tu = kU[i];
    vertices[i].tv = kV[i];
  }
}

// Stretches the quad over a viewport of the given size: the bottom corners
// (0 and 2) get its height, the right corners (2 and 3) its width.
inline void SetScreenQuadSize(D3DTLVERTEX vertices[4], const D3DVIEWPORT7& viewport) {
  vertices[0].sy = static_cast<float>(viewport.dwHeight);
  vertices[2].sy = static_cast<float>(viewport.dwHeight);
  vertices[2].sx = static_cast<float>(viewport.dwWidth);
  vertices[3].sx = static_cast<float>(viewport.dwWidth);
}

// Draws the quad over the whole viewport with the named texture and depth
// testing off, inside a scene the caller has begun: the viewport size is read
// into the quad first. Depth testing is left off.
inline void DrawScreenQuad(LPDIRECT3DDEVICE7 device, D3DTLVERTEX vertices[4],
                           LPDIRECTDRAWSURFACE7 texture) {
  D3DVIEWPORT7 viewport = {0, 0, 0, 0, 0.0f, 0.0f};
  device->GetViewport(&viewport);
  SetScreenQuadSize(vertices, viewport);
  device->SetTexture(0, texture);
  device->SetRenderState(D3DRENDERSTATE_ZENABLE, FALSE);
  device->SetRenderState(D3DRENDERSTATE_TEXTUREPERSPECTIVE, FALSE);
  device->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_TLVERTEX, vertices, 4, 0);
}
