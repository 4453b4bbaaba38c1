// The texture registry: the TGA reader, names and files, and the surfaces
// made on the platform's own device (format and pixels, keys as alpha, coming
// and going with the device).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "d3dframe/d3dtextr.h"
#include "d3dframe/d3dtextr_entry.h"
#include "support/Folder.h"
#include "support/PictureFiles.h"
#include "testing.h"

namespace {

using support::TgaFile;
using support::TgaPixel;
using support::WriteFile;

// The software device on a small render target.
struct Device {
  Device() {
    DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&dd), IID_IDirectDraw7, nullptr);
    dd->SetCooperativeLevel(nullptr, DDSCL_NORMAL);
    dd->QueryInterface(IID_IDirect3D7, reinterpret_cast<void**>(&d3d));
    DDSURFACEDESC2 desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.dwWidth = desc.dwHeight = 64;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE;
    dd->CreateSurface(&desc, &target, nullptr);
    d3d->CreateDevice(IID_IDirect3DRGBDevice, target, &device);
  }
  ~Device() {
    D3DTextr_InvalidateAll();
    device->Release();
    target->Release();
    d3d->Release();
    dd->Release();
  }
  IDirectDraw7* dd = nullptr;
  IDirect3D7* d3d = nullptr;
  IDirectDrawSurface7* target = nullptr;
  IDirect3DDevice7* device = nullptr;
};

DDSURFACEDESC2 Describe(const char* texture) {
  DDSURFACEDESC2 desc{};
  desc.dwSize = sizeof desc;
  if (LPDIRECTDRAWSURFACE7 s = D3DTextr_GetSurface(texture)) s->GetSurfaceDesc(&desc);
  return desc;
}

// The raw texel (16, 24 or 32 bits) of a registered texture's surface.
DWORD Texel(const char* texture, int x, int y) {
  LPDIRECTDRAWSURFACE7 surface = D3DTextr_GetSurface(texture);
  DDSURFACEDESC2 desc{};
  desc.dwSize = sizeof desc;
  if (!surface || FAILED(surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr))) return 0xDEADBEEF;
  const int bytes = static_cast<int>(desc.ddpfPixelFormat.dwRGBBitCount / 8);
  const BYTE* p = static_cast<const BYTE*>(desc.lpSurface) + y * desc.lPitch + x * bytes;
  DWORD texel = 0;
  for (int i = bytes - 1; i >= 0; --i) texel = texel << 8 | p[i];
  surface->Unlock(nullptr);
  return texel;
}

// Each test runs in a fresh folder whose "BMP" holds the pictures.
class Textures : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(support::EnterTemporaryFolder("voskar-textures"));
    D3DTextr_SetTextureFolder("BMP\\");
  }
  void TearDown() override {
    for (const std::string& name : registered_) D3DTextr_DestroyTexture(name.c_str());
    D3DTextr_SetTextureFolder(nullptr);
  }
  HRESULT Register(const std::string& name, DWORD flags = 0) {
    registered_.push_back(name);
    return D3DTextr_CreateTextureFromFile(name.c_str(), 0, flags);
  }
  // Reads a TGA file into rgba_ (0xRRGGBBAA, top row first).
  HRESULT Read(const std::string& file) {
    WriteFile("BMP/image.tga", file);
    delete[] entry_.rgba;
    entry_ = TextureEntry{};
    const HRESULT hr = D3DTextr_ReadTarga("BMP/image.tga", &entry_);
    rgba_.assign(entry_.rgba, entry_.rgba ? entry_.rgba + entry_.width * entry_.height : nullptr);
    return hr;
  }
  ~Textures() override { delete[] entry_.rgba; }

  std::vector<std::string> registered_;
  TextureEntry entry_{};
  std::vector<DWORD> rgba_;
};

std::string Pixels(std::initializer_list<uint32_t> rgba, int depth) {
  std::string out;
  for (uint32_t p : rgba) out += TgaPixel(p, depth);
  return out;
}

std::string Solid(int w, int h, uint32_t rgba, int depth = 32) {
  std::string payload;
  for (int i = 0; i < w * h; ++i) payload += TgaPixel(rgba, depth);
  return TgaFile(2, w, h, depth, 0, payload);
}

TEST_F(Textures, TgaRowOrderRunsAcrossRowsAndFilesCutShort) {
  const uint32_t red = 0xFF0000FF, green = 0x00FF00FF, blue = 0x0000FFFF, white = 0xFFFFFFFF;
  // Uncompressed, the first row in the file is the bottom row unless the
  // descriptor's origin bit (0x20) says top.
  const std::string rows = Pixels({red, green, blue, white}, 24);
  ASSERT_EQ(Read(TgaFile(2, 2, 2, 24, 0x20, rows)), S_OK);
  EXPECT_EQ(rgba_, (std::vector<DWORD>{red, green, blue, white}));
  EXPECT_EQ(entry_.bitsPerPixel, 24u);
  EXPECT_FALSE(entry_.hasAlpha);
  ASSERT_EQ(Read(TgaFile(2, 2, 2, 24, 0, rows)), S_OK);
  EXPECT_EQ(rgba_, (std::vector<DWORD>{blue, white, red, green}));
  // Run and raw packets; a run past the end of a row goes on in the next
  // row, one past the end of the image stops there.
  const std::string packets = "\x83" + TgaPixel(0x11223344, 32) + "\x01" +
                              Pixels({0xA0A0A0FF, 0xB0B0B0FF}, 32) + "\xFF" + TgaPixel(red, 32);
  const uint32_t p = 0x11223344, a = 0xA0A0A0FF, b = 0xB0B0B0FF;
  ASSERT_EQ(Read(TgaFile(10, 3, 3, 32, 0x20, packets)), S_OK);
  EXPECT_EQ(rgba_, (std::vector<DWORD>{p, p, p, p, a, b, red, red, red}));
  EXPECT_TRUE(entry_.hasAlpha);
  ASSERT_EQ(Read(TgaFile(10, 3, 3, 32, 0, packets)), S_OK);
  EXPECT_EQ(rgba_, (std::vector<DWORD>{red, red, red, p, a, b, p, p, p}));
  // A single alpha of 254 makes the picture see-through.
  ASSERT_EQ(Read(TgaFile(2, 2, 1, 32, 0, Pixels({white, 0x808080FE}, 32))), S_OK);
  EXPECT_TRUE(entry_.hasAlpha);
  // The image id is skipped; bytes missing at the end read as 255.
  ASSERT_EQ(Read(TgaFile(2, 2, 1, 24, 0x20, TgaPixel(0x123456FF, 24) + '\0', "made by a test")),
            S_OK);
  EXPECT_EQ(rgba_, (std::vector<DWORD>{0x123456FF, 0xFFFF00FF}));
}

TEST_F(Textures, TgaFilesThatCannotBeReadAreRefused) {
  // Colour-mapped, black and white, empty, and too large on either side.
  std::string mapped = Solid(4, 4, 0);
  mapped[1] = 1;
  mapped[2] = 1;
  EXPECT_EQ(Read(mapped), E_FAIL);
  EXPECT_EQ(entry_.rgba, nullptr);
  for (const std::string& file :
       {TgaFile(3, 4, 4, 8, 0, ""), TgaFile(2, 0, 4, 32, 0, ""), TgaFile(10, 4, 0, 32, 0, ""),
        TgaFile(2, 16385, 1, 32, 0, ""), TgaFile(10, 1, 65535, 32, 0, "")}) {
    EXPECT_EQ(Read(file), E_FAIL) << int(file[2]) << " " << file.size();
    EXPECT_EQ(entry_.rgba, nullptr);
  }
  EXPECT_EQ(D3DTextr_ReadTarga("BMP/absent.tga", &entry_), E_FAIL);
  // Registration forgets a picture it cannot read.
  WriteFile("BMP/Empty.tga", TgaFile(2, 0, 1, 32, 0, ""));
  EXPECT_EQ(Register("Empty.tga"), E_FAIL);
  EXPECT_EQ(D3DTextr_FindEntry("Empty.tga"), nullptr);
}

TEST_F(Textures, NamesAreOneEntryWhateverTheirCaseAndFilesAreFoundAsOnWindows) {
  WriteFile("BMP/Frame.tga", Solid(2, 2, 0xFFFFFFFF));
  ASSERT_EQ(Register("Frame.tga", 0x11), S_OK);
  TextureEntry* first = D3DTextr_FindEntry("Frame.tga");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(Register("frame.TGA", 0x4), S_OK);
  EXPECT_EQ(D3DTextr_FindEntry("FRAME.TGA"), first);
  EXPECT_EQ(first->flags, 0x11u);  // the first registration's flags stay
  EXPECT_EQ(D3DTextr_CreateBlankTexture("frame.TGA", 8, 8, 0, 0), E_FAIL);
  D3DTextr_DestroyTexture("FRAME.tga");
  EXPECT_EQ(D3DTextr_FindEntry("Frame.tga"), nullptr);
  // Missing files, names without a known extension, no name.
  WriteFile("BMP/picture.png", Solid(1, 1, 0));
  WriteFile("BMP/noextension", Solid(1, 1, 0));
  for (const char* name : {"Missing.bmp", "picture.png", "noextension"})
    EXPECT_EQ(Register(name), E_FAIL) << name;
  EXPECT_EQ(D3DTextr_CreateTextureFromFile(nullptr, 0, 0), DDERR_INVALIDPARAMS);
  // A file name of 79 characters fits the entry, 80 do not; folder and name
  // together must stay below 256 characters.
  const std::string name79 = std::string(75, 'a') + ".tga", name80 = "b" + name79;
  WriteFile("BMP/" + name79, Solid(1, 1, 0));
  WriteFile("BMP/" + name80, Solid(1, 1, 0));
  EXPECT_EQ(Register(name79), S_OK);
  EXPECT_NE(Register(name80), S_OK);
  EXPECT_NE(D3DTextr_CreateBlankTexture(name80.c_str(), 4, 4, 0, 0), S_OK);
  EXPECT_EQ(D3DTextr_FindEntry(name80.c_str()), nullptr);
  const std::string folder(200, 'f'), name74 = std::string(70, 'c') + ".tga";
  WriteFile(folder + "/" + name74, Solid(1, 1, 0));
  D3DTextr_SetTextureFolder((folder + "\\").c_str());
  EXPECT_EQ(Register(name74), E_FAIL);
  // Outside the folder the working directory is tried; file names match
  // without regard to case.
  D3DTextr_SetTextureFolder("BMP\\");
  WriteFile("Loose.tga", Solid(1, 1, 0));
  WriteFile("BMP/lowercase.tga", Solid(1, 1, 0));
  EXPECT_EQ(Register("Loose.tga"), S_OK);
  EXPECT_EQ(Register("LowerCase.TGA"), S_OK);
}

TEST_F(Textures, SurfacesTakeTheFormatOfTheirPictureAndItsPixels) {
  Device d;
  WriteFile("BMP/Opaque.tga", Solid(2, 2, 0x336699FF));
  WriteFile("BMP/Deep.tga", Solid(2, 2, 0x336699FF, 24));
  WriteFile("BMP/Glass.tga", TgaFile(2, 2, 1, 32, 0x20, Pixels({0xFF8040FE, 0x0810187F}, 32)));
  WriteFile("BMP/Glass16.tga", TgaFile(2, 2, 1, 32, 0x20, Pixels({0xFF8040FE, 0x0810187F}, 32)));
  // 8-bit pictures with a key take a format with alpha: 16 bits (1-5-5-5)
  // without a palettised format, 32 with the flag.
  support::BmpLayout eight;
  eight.width = eight.height = 2;
  eight.bits = 8;
  eight.palette = {0x000000, 0xFFFFFF, 0x336699};
  eight.colorsUsed = 3;
  eight.pixels = std::string("\2\0\0\0\0\1\0\0", 8);  // bottom row 2 0, top row 0 1
  for (const char* name : {"Black16.bmp", "White16.bmp", "Black32.bmp", "White32.bmp"})
    WriteFile(std::string("BMP/") + name, support::BmpFile(eight));
  ASSERT_EQ(Register("Opaque.tga"), S_OK);
  ASSERT_EQ(Register("Deep.tga"), S_OK);
  ASSERT_EQ(Register("Glass.tga"), S_OK);
  ASSERT_EQ(Register("Glass16.tga", D3DTEXTR_16BITSPERPIXEL), S_OK);
  ASSERT_EQ(Register("Black16.bmp", D3DTEXTR_BLACKKEY), S_OK);
  ASSERT_EQ(Register("White16.bmp", D3DTEXTR_WHITEKEY), S_OK);
  ASSERT_EQ(Register("Black32.bmp", D3DTEXTR_BLACKKEY | D3DTEXTR_32BITSPERPIXEL), S_OK);
  ASSERT_EQ(Register("White32.bmp", D3DTEXTR_WHITEKEY | D3DTEXTR_32BITSPERPIXEL), S_OK);
  ASSERT_EQ(D3DTextr_RestoreAll(d.device), S_OK);
  const struct {
    const char* name;
    DWORD bits, alphaMask;
  } formats[] = {{"Opaque.tga", 32, 0},           {"Deep.tga", 24, 0},
                 {"Glass.tga", 32, 0xFF000000},   {"Glass16.tga", 16, 0x8000},
                 {"Black16.bmp", 16, 0x8000},     {"White16.bmp", 16, 0x8000},
                 {"Black32.bmp", 32, 0xFF000000}, {"White32.bmp", 32, 0xFF000000}};
  for (const auto& f : formats) {
    EXPECT_EQ(Describe(f.name).ddpfPixelFormat.dwRGBBitCount, f.bits) << f.name;
    EXPECT_EQ(Describe(f.name).ddpfPixelFormat.dwRGBAlphaBitMask, f.alphaMask) << f.name;
  }
  // RGBA shifted into the format: A1R5G5B5 keeps the top bits.
  EXPECT_EQ(Texel("Glass.tga", 0, 0), 0xFEFF8040u);
  EXPECT_EQ(Texel("Glass.tga", 1, 0), 0x7F081018u);
  EXPECT_EQ(Texel("Glass16.tga", 0, 0), 0x8000u | 0x1Fu << 10 | 0x10u << 5 | 0x08u);
  EXPECT_EQ(Texel("Glass16.tga", 1, 0), 0x01u << 10 | 0x02u << 5 | 0x03u);
  // The key colour becomes transparent, every other colour opaque.
  for (const char* name : {"Black16.bmp", "White16.bmp", "Black32.bmp", "White32.bmp"}) {
    const DWORD alpha = Describe(name).ddpfPixelFormat.dwRGBAlphaBitMask;
    const bool blackKey = name[0] == 'B';
    EXPECT_EQ((Texel(name, 0, 0) & alpha) != 0, !blackKey) << name;  // black
    EXPECT_EQ((Texel(name, 1, 0) & alpha) != 0, blackKey) << name;   // white
    EXPECT_NE(Texel(name, 0, 1) & alpha, 0u) << name;                // another colour
  }
}

TEST_F(Textures, SurfacesComeWithTheDeviceAndAreMadeAgainWhenLost) {
  WriteFile("BMP/Sky.tga", Solid(4, 4, 0x102030FF, 24));
  ASSERT_EQ(Register("Sky.tga"), S_OK);
  EXPECT_EQ(D3DTextr_GetSurface("Sky.tga"), nullptr);
  Device d;
  EXPECT_EQ(D3DTextr_RestoreTexture("Sky.tga", nullptr), DDERR_INVALIDPARAMS);
  EXPECT_EQ(D3DTextr_RestoreTexture("Unknown.tga", d.device), DDERR_NOTFOUND);
  EXPECT_EQ(D3DTextr_InvalidateTexture("Unknown.tga"), DDERR_NOTFOUND);
  ASSERT_EQ(D3DTextr_RestoreAll(d.device), S_OK);
  ASSERT_NE(D3DTextr_GetSurface("SKY.tga"), nullptr);
  platform::LoseAllSurfaces();
  EXPECT_EQ(D3DTextr_GetSurface("Sky.tga")->IsLost(), DDERR_SURFACELOST);
  d.dd->RestoreAllSurfaces();
  ASSERT_EQ(D3DTextr_RestoreAll(d.device), S_OK);
  EXPECT_EQ(D3DTextr_GetSurface("Sky.tga")->IsLost(), DD_OK);
  EXPECT_EQ(Texel("Sky.tga", 3, 3), 0x102030u);
  EXPECT_EQ(D3DTextr_InvalidateAll(), S_OK);
  EXPECT_EQ(D3DTextr_GetSurface("Sky.tga"), nullptr);
}

}  // namespace
