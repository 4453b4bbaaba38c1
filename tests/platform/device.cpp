// The Direct3D device through its COM interface on DirectDraw surfaces:
// queued drawing is complete whenever the pixels are used.
#include "directdraw.h"

namespace {

using platform::PixelKind;

class Device : public DirectDrawTest {
 protected:
  void TearDown() override {
    if (device_) device_->Release();
    if (d3d_) d3d_->Release();
    DirectDrawTest::TearDown();
  }
  HRESULT DrawQuad(float x0, float y0, float x1, float y1, D3DCOLOR c) {
    D3DTLVERTEX q[] = {{x0, y1, 0.5f, 1, c, 0, 0, 1},
                       {x0, y0, 0.5f, 1, c, 0, 0, 0},
                       {x1, y1, 0.5f, 1, c, 0, 1, 1},
                       {x1, y0, 0.5f, 1, c, 0, 1, 0}};
    return device_->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_TLVERTEX, q, 4, 0);
  }

  IDirect3D7* d3d_ = nullptr;
  IDirect3DDevice7* device_ = nullptr;
};

// Triangles wait in a queue until the scene ends; whatever reads or changes
// the pixels in between must see them drawn, and a texture changed between
// two draws must give each its own texels.
TEST_F(Device, QueuedDrawingIsCompleteWheneverPixelsAreUsed) {
  IDirectDrawSurface7* target = Make(PixelKind::X8R8G8B8, 16, 16, DDSCAPS_3DDEVICE);
  ASSERT_EQ(dd_->QueryInterface(IID_IDirect3D7, reinterpret_cast<void**>(&d3d_)), DD_OK);
  ASSERT_EQ(d3d_->CreateDevice(IID_IDirect3DRGBDevice, target, &device_), DD_OK);
  IDirectDrawSurface7* tex = Make(PixelKind::R5G6B5, 4, 4);
  IDirectDrawSurface7* copy = Make(PixelKind::X8R8G8B8, 16, 16, DDSCAPS_OFFSCREENPLAIN);
  Fill(tex, nullptr, 0xF800);
  device_->SetTexture(0, tex);
  device_->BeginScene();
  DrawQuad(0, 0, 8, 16, ~0u);
  ASSERT_EQ(copy->Blt(nullptr, target, nullptr, DDBLT_WAIT, nullptr), DD_OK);
  EXPECT_EQ(Rgb(copy, 3, 3), 0xFF0000u);  // a blit from the target copies the quad
  Fill(tex, nullptr, 0x07E0);
  DrawQuad(8, 0, 16, 16, ~0u);
  RECT corner{0, 0, 2, 2};
  ASSERT_EQ(Fill(target, &corner, 0x0000FF), DD_OK);  // lands on the queued quads
  device_->EndScene();
  EXPECT_EQ(Rgb(target, 4, 8), 0xFF0000u);
  EXPECT_EQ(Rgb(target, 12, 8), 0x00FF00u);
  EXPECT_EQ(Rgb(target, 1, 1), 0x0000FFu);
  // New texels between scenes are seen too.
  Fill(tex, nullptr, 0x001F);
  device_->BeginScene();
  DrawQuad(0, 0, 16, 16, ~0u);
  device_->EndScene();
  EXPECT_EQ(Rgb(target, 4, 4), 0x0000FFu);

  // Text through a DC, a switch of target and the device going away each
  // complete the queue first.
  device_->SetTexture(0, nullptr);
  device_->BeginScene();
  DrawQuad(0, 0, 16, 16, 0xFFFFFF00);
  HDC dc = nullptr;
  ASSERT_EQ(target->GetDC(&dc), DD_OK);
  ASSERT_TRUE(ExtTextOutA(dc, 0, 0, 0, nullptr, "W", 1, nullptr));  // an opaque cell
  target->ReleaseDC(dc);
  EXPECT_NE(Rgb(target, 0, 0), 0xFFFF00u);
  EXPECT_EQ(Rgb(target, 15, 15), 0xFFFF00u);
  DrawQuad(0, 0, 4, 4, 0xFF00FFFF);
  IDirectDrawSurface7* other = Make(PixelKind::R5G6B5, 8, 4, DDSCAPS_3DDEVICE);
  ASSERT_EQ(device_->SetRenderTarget(other, 0), DD_OK);
  EXPECT_EQ(Rgb(target, 1, 1), 0x00FFFFu);
  DrawQuad(0, 0, 8, 4, 0xFFFF00FF);
  device_->Release();
  device_ = nullptr;
  EXPECT_EQ(Rgb(other, 7, 3), 0xFF00FFu);
}

}  // namespace
