// A small program built on the display framework: it writes two pictures (a
// run-length TGA with soft alpha and a 24-bit BMP) into "BMP/" beside itself,
// registers them with the texture registry, and draws them as two turning
// quads over a gradient with the frame's statistics line.
// Keys: F switches between window and full-screen, Escape quits.
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "d3d7.h"
#include "d3dframe/d3dapp.h"
#include "d3dframe/d3dtextr.h"
#include "d3dframe/d3dutil.h"
#include "port.h"

namespace {

void Put16(std::vector<unsigned char>& out, unsigned v) {
  out.push_back(v & 0xFF);
  out.push_back((v >> 8) & 0xFF);
}

void Put32(std::vector<unsigned char>& out, unsigned v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

bool Save(const char* windowsPath, const std::vector<unsigned char>& bytes) {
  FILE* file = std::fopen(Port_FilePath(windowsPath).c_str(), "wb");
  if (!file) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && ok;
}

// A 64 x 64 checkerboard ring, type 10 (run-length), bottom row first; the
// corners fade out through alpha.
void WriteCheckerTga(const char* path) {
  const int size = 64;
  std::vector<unsigned char> out = {0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  Put16(out, size);
  Put16(out, size);
  out.push_back(32);
  out.push_back(0x08);
  for (int fileRow = 0; fileRow < size; ++fileRow) {
    int y = size - 1 - fileRow;
    int x = 0;
    while (x < size) {
      // Runs of eight texels share a checker colour; alpha varies by row.
      bool dark = ((x / 8) + (y / 8)) % 2 == 0;
      float dx = x + 4 - size / 2.0f, dy = y - size / 2.0f;
      float distance = std::sqrt(dx * dx + dy * dy) / (size / 2.0f);
      unsigned alpha = distance > 1.0f ? 0 : static_cast<unsigned>(255 * (1.0f - distance * 0.3f));
      out.push_back(0x80 | 7);
      out.push_back(dark ? 0x40 : 0x20);  // blue
      out.push_back(dark ? 0x40 : 0xD0);  // green
      out.push_back(dark ? 0x30 : 0xF0);  // red
      out.push_back(static_cast<unsigned char>(alpha));
      x += 8;
    }
  }
  Save(path, out);
}

// A 128 x 64 24-bit bitmap of diagonal stripes with a black border.
void WriteStripesBmp(const char* path) {
  const int width = 128, height = 64;
  const int stride = width * 3;
  std::vector<unsigned char> out = {'B', 'M'};
  Put32(out, 54 + stride * height);
  Put32(out, 0);
  Put32(out, 54);
  Put32(out, 40);
  Put32(out, width);
  Put32(out, height);
  Put16(out, 1);
  Put16(out, 24);
  Put32(out, 0);
  Put32(out, stride * height);
  Put32(out, 2835);
  Put32(out, 2835);
  Put32(out, 0);
  Put32(out, 0);
  for (int y = height - 1; y >= 0; --y) {
    for (int x = 0; x < width; ++x) {
      bool border = x < 3 || y < 3 || x >= width - 3 || y >= height - 3;
      int band = ((x + y) / 10) % 3;
      unsigned char r = 0, g = 0, b = 0;
      if (!border) {
        r = band == 0 ? 230 : (band == 1 ? 40 : 250);
        g = band == 0 ? 60 : (band == 1 ? 120 : 250);
        b = band == 0 ? 90 : (band == 1 ? 230 : 250);
      }
      out.push_back(b);
      out.push_back(g);
      out.push_back(r);
    }
  }
  Save(path, out);
}

class CFrameDemo : public CD3DApplication {
 public:
  CFrameDemo() {
    m_title = "Voskar frame demo";
    m_useZBuffer = TRUE;
    m_showStats = TRUE;
  }

 protected:
  HRESULT OneTimeSceneInit() override {
    std::error_code error;
    std::filesystem::create_directories(Port_FilePath("BMP"), error);
    WriteCheckerTga("BMP\\Checker.tga");
    WriteStripesBmp("BMP\\Stripes.bmp");
    D3DTextr_SetTextureFolder("BMP\\");
    if (FAILED(D3DTextr_CreateTextureFromFile("Checker.tga", 0, 0))) return E_FAIL;
    if (FAILED(D3DTextr_CreateTextureFromFile("Stripes.bmp", 0, 0))) return E_FAIL;
    return S_OK;
  }

  HRESULT InitDeviceObjects() override {
    D3DTextr_RestoreAll(m_device);
    m_device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTFN_LINEAR);
    m_device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTFG_LINEAR);
    m_device->SetRenderState(D3DRENDERSTATE_CULLMODE, D3DCULL_NONE);
    return S_OK;
  }

  HRESULT DeleteDeviceObjects() override {
    D3DTextr_InvalidateAll();
    return S_OK;
  }

  HRESULT FrameMove(FLOAT time) override {
    m_angle = time * 0.8f;
    return S_OK;
  }

  HRESULT Render() override {
    D3DVIEWPORT7 viewport;
    m_device->GetViewport(&viewport);
    float width = static_cast<float>(viewport.dwWidth);
    float height = static_cast<float>(viewport.dwHeight);
    m_device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF102040, 1.0f, 0);
    if (FAILED(m_device->BeginScene())) return S_OK;

    // A vertical gradient behind everything, without a texture.
    D3DTLVERTEX sky[4];
    SetVertex(sky[0], 0, height, 0.99f, 0xFF000010, 0, 1);
    SetVertex(sky[1], 0, 0, 0.99f, 0xFF203870, 0, 0);
    SetVertex(sky[2], width, height, 0.99f, 0xFF000010, 1, 1);
    SetVertex(sky[3], width, 0, 0.99f, 0xFF203870, 1, 0);
    m_device->SetTexture(0, nullptr);
    m_device->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_TLVERTEX, sky, 4, 0);

    m_device->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, TRUE);
    m_device->SetRenderState(D3DRENDERSTATE_SRCBLEND, D3DBLEND_SRCALPHA);
    m_device->SetRenderState(D3DRENDERSTATE_DESTBLEND, D3DBLEND_INVSRCALPHA);
    DrawQuad("Checker.tga", width * 0.3f, height * 0.5f, height * 0.28f, height * 0.28f, m_angle);
    DrawQuad("Stripes.bmp", width * 0.7f, height * 0.5f, height * 0.32f, height * 0.16f,
             -m_angle * 0.5f);
    m_device->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, FALSE);
    m_device->EndScene();
    return S_OK;
  }

  LRESULT MsgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_KEYDOWN && wParam == 'F') {
      SendMessageA(window, WM_COMMAND, IDM_TOGGLEFULLSCREEN, 0);
      return 0;
    }
    if (message == WM_KEYDOWN && wParam == VK_ESCAPE) {
      SendMessageA(window, WM_COMMAND, IDM_EXIT, 0);
      return 0;
    }
    return CD3DApplication::MsgProc(window, message, wParam, lParam);
  }

 private:
  static void SetVertex(D3DTLVERTEX& v, float x, float y, float z, D3DCOLOR colour, float u,
                        float tv) {
    v.sx = x;
    v.sy = y;
    v.sz = z;
    v.rhw = 1.0f;
    v.color = colour;
    v.specular = 0;
    v.tu = u;
    v.tv = tv;
  }

  void DrawQuad(const char* texture, float cx, float cy, float halfWidth, float halfHeight,
                float angle) {
    const float corners[4][2] = {{-1, 1}, {-1, -1}, {1, 1}, {1, -1}};
    const float uv[4][2] = {{0, 1}, {0, 0}, {1, 1}, {1, 0}};
    float c = std::cos(angle), s = std::sin(angle);
    D3DTLVERTEX quad[4];
    for (int i = 0; i < 4; ++i) {
      float x = corners[i][0] * halfWidth, y = corners[i][1] * halfHeight;
      SetVertex(quad[i], cx + x * c - y * s, cy + x * s + y * c, 0.5f, 0xFFFFFFFF, uv[i][0],
                uv[i][1]);
    }
    m_device->SetTexture(0, D3DTextr_GetSurface(texture));
    m_device->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_TLVERTEX, quad, 4, 0);
    m_device->SetTexture(0, nullptr);
  }

  float m_angle = 0.0f;
};

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  CFrameDemo demo;
  if (FAILED(demo.Create(instance, commandLine))) return 0;
  return demo.Run();
}
