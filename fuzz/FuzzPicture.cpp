#include "FuzzPicture.h"

#include <sys/stat.h>

#include <string>

#include "Application.h"
#include "FuzzGame.h"
#include "d3dframe/d3dtextr.h"
#include "d3dframe/d3dtextr_entry.h"

namespace fuzz {

namespace {

// The flag sets the game registers its pictures with, and the two depth
// requests together.
const DWORD kFlagSets[] = {
    0,
    D3DTEXTR_BLACKKEY,
    D3DTEXTR_WHITEKEY | D3DTEXTR_ALPHA,
    D3DTEXTR_WHITEKEY | D3DTEXTR_32BITSPERPIXEL,
    D3DTEXTR_BLACKKEY | D3DTEXTR_16BITSPERPIXEL | D3DTEXTR_32BITSPERPIXEL,
};

const long long kMaxRestoredPixels = 1024 * 1024;

D3DTLVERTEX Corner(float x, float y, float u, float v) {
  D3DTLVERTEX vertex = {};
  vertex.sx = x;
  vertex.sy = y;
  vertex.sz = 0.5f;
  vertex.rhw = 1.0f;
  vertex.color = 0xFFFFFFFF;
  vertex.tu = u;
  vertex.tv = v;
  return vertex;
}

}  // namespace

void TryPicture(const char* name, const uint8_t* data, size_t size) {
  StartGame();
  // The pictures' folder of the working folder is the generated one; the
  // fuzzed picture gets a folder of its own.
  static bool folderMade = (mkdir("Fuzz", 0755), true);
  (void)folderMade;
  WriteInput(std::string("Fuzz/") + name, data, size);
  D3DTextr_SetTextureFolder("Fuzz\\");
  const DWORD flags = kFlagSets[size % (sizeof kFlagSets / sizeof kFlagSets[0])];
  if (SUCCEEDED(D3DTextr_CreateTextureFromFile(name, 0, flags))) {
    LPDIRECT3DDEVICE7 device = CApplication::GetInstance()->GetDevice();
    // Pictures of up to a million pixels are made into textures and drawn;
    // larger ones are only read. Their texture is the same code at a larger
    // size, which takes most of a second under the sanitizers.
    // (The registry takes a bitmap's size from the bitmap itself.)
    const TextureEntry* entry = D3DTextr_FindEntry(name);
    const long long pixels = entry ? static_cast<long long>(entry->width) * entry->height : 0;
    if (pixels <= kMaxRestoredPixels && SUCCEEDED(D3DTextr_RestoreTexture(name, device))) {
      D3DTLVERTEX quad[4] = {Corner(0, 120, 0, 1), Corner(0, 0, 0, 0), Corner(160, 120, 1, 1),
                             Corner(160, 0, 1, 0)};
      device->BeginScene();
      device->SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, TRUE);
      device->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, TRUE);
      device->SetRenderState(D3DRENDERSTATE_SRCBLEND, D3DBLEND_BOTHSRCALPHA);
      device->SetTexture(0, D3DTextr_GetSurface(name));
      device->DrawPrimitive(D3DPT_TRIANGLESTRIP, D3DFVF_TLVERTEX, quad, 4, 0);
      device->SetTexture(0, nullptr);
      device->SetRenderState(D3DRENDERSTATE_ALPHABLENDENABLE, FALSE);
      device->SetRenderState(D3DRENDERSTATE_COLORKEYENABLE, FALSE);
      device->EndScene();
    }
    D3DTextr_DestroyTexture(name);
  }
  D3DTextr_SetTextureFolder("BMP\\");
}

}  // namespace fuzz
