// The texture registry: TGA decoding (both row orders, run and raw packets,
// malformed files), registration rules, size and format choice against a
// device's caps, key-to-alpha passes and RGBA conversion.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "d3dframe/d3dtextr.h"
#include "d3dframe/d3dtextr_entry.h"
#include "fake_device.h"
#include "image_files.h"

namespace {

using testdev::Describe;
using testdev::DeviceFixture;
using testdev::ReadTexel;
using testimg::AddPixel;
using testimg::Tga;

// Every test of this file runs in a fresh folder with a "BMP" subfolder,
// the way the game finds its pictures.
class TextureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/voskar-textr-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    m_folder = pattern;
    ASSERT_EQ(getcwd(m_oldDir, sizeof(m_oldDir)), m_oldDir);
    ASSERT_EQ(chdir(m_folder.c_str()), 0);
    ASSERT_EQ(mkdir("BMP", 0755), 0);
    D3DTextr_SetTextureFolder("BMP\\");
  }
  void TearDown() override {
    for (const std::string& name : m_registered) D3DTextr_DestroyTexture(name.c_str());
    D3DTextr_SetTextureFolder(nullptr);
    ASSERT_EQ(chdir(m_oldDir), 0);
  }
  HRESULT Register(const std::string& name, DWORD flags = 0) {
    m_registered.push_back(name);
    return D3DTextr_CreateTextureFromFile(name.c_str(), 0, flags);
  }
  HRESULT ReadTga(const Tga& tga, TextureEntry* entry) {
    testimg::WriteTga("BMP/image.tga", tga);
    return D3DTextr_ReadTarga("BMP/image.tga", entry);
  }

  std::string m_folder;
  char m_oldDir[4096];
  std::vector<std::string> m_registered;
};

struct EntryHolder {
  TextureEntry entry{};
  ~EntryHolder() { delete[] entry.rgba; }
};

// ------------------------------------------------------------------ TGA reader

TEST_F(TextureTest, UncompressedRowOrderFollowsTheDescriptor) {
  for (uint8_t descriptor : {uint8_t(0x00), uint8_t(0x20)}) {
    Tga tga;
    tga.width = 2;
    tga.height = 2;
    tga.depth = 24;
    tga.descriptor = descriptor;
    // First row in the file: red, green. Second: blue, white.
    for (uint32_t p : {0xFF0000FFu, 0x00FF00FFu, 0x0000FFFFu, 0xFFFFFFFFu})
      AddPixel(tga.payload, p, 24);
    EntryHolder h;
    ASSERT_EQ(ReadTga(tga, &h.entry), S_OK);
    ASSERT_EQ(h.entry.width, 2u);
    ASSERT_EQ(h.entry.height, 2u);
    EXPECT_EQ(h.entry.bitsPerPixel, 24u);
    const DWORD* image = h.entry.rgba;
    if (descriptor & 0x20) {
      EXPECT_EQ(image[0], 0xFF0000FFu);  // first file row is the top row
      EXPECT_EQ(image[3], 0xFFFFFFFFu);
    } else {
      EXPECT_EQ(image[2], 0xFF0000FFu);  // first file row is the bottom row
      EXPECT_EQ(image[3], 0x00FF00FFu);
      EXPECT_EQ(image[0], 0x0000FFFFu);
    }
    EXPECT_FALSE(h.entry.hasAlpha);  // 24-bit pixels are opaque
  }
}

TEST_F(TextureTest, RunAndRawPacketsInBothRowOrders) {
  for (uint8_t descriptor : {uint8_t(0x00), uint8_t(0x20)}) {
    Tga tga;
    tga.type = 10;
    tga.width = 7;
    tga.height = 1;
    tga.depth = 32;
    tga.descriptor = descriptor;
    tga.payload.push_back(0x83);  // run: the next pixel four times
    AddPixel(tga.payload, 0x11223344, 32);
    tga.payload.push_back(0x02);  // raw: three pixels follow
    for (uint32_t p : {0xA0A0A0FFu, 0xB0B0B0FFu, 0xC0C0C0FFu}) AddPixel(tga.payload, p, 32);
    EntryHolder h;
    ASSERT_EQ(ReadTga(tga, &h.entry), S_OK);
    const DWORD expected[7] = {0x11223344, 0x11223344, 0x11223344, 0x11223344,
                               0xA0A0A0FF, 0xB0B0B0FF, 0xC0C0C0FF};
    for (int i = 0; i < 7; ++i) EXPECT_EQ(h.entry.rgba[i], expected[i]) << i;
    EXPECT_TRUE(h.entry.hasAlpha);
  }
}

TEST_F(TextureTest, RunPastTheRowEndContinuesOnTheNextRowAndStopsAtTheImageEnd) {
  Tga tga;
  tga.type = 10;
  tga.width = 3;
  tga.height = 2;
  tga.depth = 24;
  tga.descriptor = 0x20;
  tga.payload.push_back(0x83);  // four pixels: a whole row and one more
  AddPixel(tga.payload, 0x102030FF, 24);
  tga.payload.push_back(0xFF);  // 128 pixels where only two remain
  AddPixel(tga.payload, 0x405060FF, 24);
  EntryHolder h;
  ASSERT_EQ(ReadTga(tga, &h.entry), S_OK);
  const DWORD expected[6] = {0x102030FF, 0x102030FF, 0x102030FF,
                             0x102030FF, 0x405060FF, 0x405060FF};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(h.entry.rgba[i], expected[i]) << i;
}

TEST_F(TextureTest, AlphaIsSeenFromASingle254) {
  Tga tga;
  tga.width = 3;
  tga.height = 1;
  tga.depth = 32;
  for (uint32_t p : {0x000000FFu, 0x808080FFu, 0xFFFFFFFFu}) AddPixel(tga.payload, p, 32);
  EntryHolder opaque;
  ASSERT_EQ(ReadTga(tga, &opaque.entry), S_OK);
  EXPECT_FALSE(opaque.entry.hasAlpha);

  tga.payload.clear();
  for (uint32_t p : {0x000000FFu, 0x808080FEu, 0xFFFFFFFFu}) AddPixel(tga.payload, p, 32);
  EntryHolder seeThrough;
  ASSERT_EQ(ReadTga(tga, &seeThrough.entry), S_OK);
  EXPECT_TRUE(seeThrough.entry.hasAlpha);
}

TEST_F(TextureTest, IdFieldIsSkippedAndMissingBytesReadAsWhite) {
  Tga tga;
  tga.width = 2;
  tga.height = 1;
  tga.depth = 24;
  tga.descriptor = 0x20;
  tga.id = "made by a test";
  AddPixel(tga.payload, 0x123456FF, 24);
  tga.payload.push_back(0x00);  // the second pixel is cut short after one byte
  EntryHolder h;
  ASSERT_EQ(ReadTga(tga, &h.entry), S_OK);
  EXPECT_EQ(h.entry.rgba[0], 0x123456FFu);
  EXPECT_EQ(h.entry.rgba[1], 0xFFFF00FFu);  // blue 0 from the file, green and red past its end
}

TEST_F(TextureTest, UnsupportedOrOversizedImagesAreRefused) {
  struct Case {
    uint8_t type, colourMap;
    uint16_t width, height;
  };
  const Case cases[] = {{1, 1, 4, 4},  {3, 0, 4, 4},     {2, 0, 0, 4},
                        {10, 0, 4, 0}, {2, 0, 16385, 1}, {10, 0, 1, 65535}};
  for (const Case& c : cases) {
    Tga tga;
    tga.type = c.type;
    tga.colourMapType = c.colourMap;
    tga.width = c.width;
    tga.height = c.height;
    EntryHolder h;
    EXPECT_EQ(ReadTga(tga, &h.entry), E_FAIL) << int(c.type) << " " << c.width << "x" << c.height;
    EXPECT_EQ(h.entry.rgba, nullptr);
  }
  EntryHolder h;
  EXPECT_EQ(D3DTextr_ReadTarga("BMP/absent.tga", &h.entry), E_FAIL);
  // And through registration, which removes the failed entry again.
  Tga empty;
  empty.width = 0;
  testimg::WriteTga("BMP/Empty.tga", empty);
  EXPECT_EQ(Register("Empty.tga"), E_FAIL);
  EXPECT_EQ(D3DTextr_FindEntry("Empty.tga"), nullptr);
}

// ------------------------------------------------------------------ registration

Tga SolidTga(uint16_t width, uint16_t height, uint32_t rgba, uint8_t depth = 32) {
  Tga tga;
  tga.width = width;
  tga.height = height;
  tga.depth = depth;
  for (int i = 0; i < width * height; ++i) AddPixel(tga.payload, rgba, depth);
  return tga;
}

TEST_F(TextureTest, RegistrationIsOncePerNameAndLookUpIgnoresCase) {
  testimg::WriteTga("BMP/Frame.tga", SolidTga(2, 2, 0xFFFFFFFF));
  ASSERT_EQ(Register("Frame.tga", 0x11), S_OK);
  TextureEntry* first = D3DTextr_FindEntry("Frame.tga");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(Register("Frame.tga", 0x4), S_OK);
  EXPECT_EQ(D3DTextr_FindEntry("FRAME.TGA"), first);
  EXPECT_EQ(first->flags, 0x11u);  // the first registration's flags stay
  EXPECT_EQ(D3DTextr_CreateBlankTexture("frame.TGA", 8, 8, 0, 0), E_FAIL);

  D3DTextr_DestroyTexture("frame.tga");
  EXPECT_EQ(D3DTextr_FindEntry("Frame.tga"), nullptr);
  EXPECT_EQ(D3DTextr_DestroyTexture("frame.tga"), S_OK);
}

TEST_F(TextureTest, BadNamesAndMissingFilesFailCleanly) {
  EXPECT_EQ(D3DTextr_CreateTextureFromFile(nullptr, 0, 0), DDERR_INVALIDPARAMS);
  EXPECT_EQ(D3DTextr_CreateBlankTexture(nullptr, 8, 8, 0, 0), DDERR_INVALIDPARAMS);
  EXPECT_EQ(Register("Missing.bmp"), E_FAIL);
  testimg::WriteTga("BMP/picture.png", SolidTga(1, 1, 0));
  EXPECT_EQ(Register("picture.png"), E_FAIL);
  testimg::WriteTga("BMP/noextension", SolidTga(1, 1, 0));
  EXPECT_EQ(Register("noextension"), E_FAIL);

  // A name of 80 characters does not fit the entry; 79 does.
  std::string name79 = std::string(75, 'a') + ".tga";
  std::string name80 = std::string(76, 'a') + ".tga";
  testimg::WriteTga("BMP/" + name79, SolidTga(1, 1, 0));
  testimg::WriteTga("BMP/" + name80, SolidTga(1, 1, 0));
  EXPECT_EQ(Register(name79), S_OK);
  EXPECT_NE(Register(name80), S_OK);
  EXPECT_EQ(D3DTextr_FindEntry(name80.c_str()), nullptr);
  EXPECT_NE(D3DTextr_CreateBlankTexture(name80.c_str(), 4, 4, 0, 0), S_OK);

  // Folder and name together must stay below 256 characters.
  std::string longFolder = std::string(200, 'f');
  ASSERT_EQ(mkdir(longFolder.c_str(), 0755), 0);
  testimg::WriteTga(longFolder + "/" + name79, SolidTga(1, 1, 0));
  D3DTextr_SetTextureFolder((longFolder + "\\").c_str());
  std::string other = std::string(74, 'b') + ".tga";
  testimg::WriteTga(longFolder + "/" + other, SolidTga(1, 1, 0));
  EXPECT_EQ(Register(other), E_FAIL);
  EXPECT_EQ(D3DTextr_FindEntry(other.c_str()), nullptr);
}

TEST_F(TextureTest, FileOutsideTheFolderIsFoundInTheWorkingDirectory) {
  // No media folder is registered, so the bare name is tried next.
  testimg::WriteTga("Loose.tga", SolidTga(1, 1, 0x00FF00FF));
  EXPECT_EQ(Register("Loose.tga"), S_OK);
  // Names match files case-insensitively, as on the game's own platform.
  testimg::WriteTga("BMP/lowercase.tga", SolidTga(1, 1, 0x00FF00FF));
  EXPECT_EQ(Register("LowerCase.TGA"), S_OK);
}

TEST_F(TextureTest, BlankTexturesTakeTheirDepthAndAlphaFromTheFlags) {
  m_registered.push_back("blank16");
  m_registered.push_back("blank32");
  ASSERT_EQ(D3DTextr_CreateBlankTexture("blank16", 8, 4, 1, 0), S_OK);
  ASSERT_EQ(
      D3DTextr_CreateBlankTexture("blank32", 8, 4, 0, D3DTEXTR_32BITSPERPIXEL | D3DTEXTR_ALPHA),
      S_OK);
  EXPECT_EQ(D3DTextr_FindEntry("blank16")->bitsPerPixel, 16u);
  EXPECT_FALSE(D3DTextr_FindEntry("blank16")->hasAlpha);
  EXPECT_EQ(D3DTextr_FindEntry("blank32")->bitsPerPixel, 32u);
  EXPECT_TRUE(D3DTextr_FindEntry("blank32")->hasAlpha);
  EXPECT_EQ(D3DTextr_FindEntry("blank16")->stage, 1u);
}

// ------------------------------------------------------------------ restore

TEST_F(TextureTest, SurfaceExistsOnlyBetweenRestoreAndInvalidate) {
  DeviceFixture fixture;
  testimg::WriteTga("BMP/Sky.tga", SolidTga(4, 4, 0x102030FF, 24));
  ASSERT_EQ(Register("Sky.tga"), S_OK);
  EXPECT_EQ(D3DTextr_GetSurface("Sky.tga"), nullptr);
  EXPECT_EQ(D3DTextr_RestoreAll(fixture.device()), S_OK);
  EXPECT_NE(D3DTextr_GetSurface("SKY.tga"), nullptr);
  EXPECT_EQ(D3DTextr_InvalidateAll(), S_OK);
  EXPECT_EQ(D3DTextr_GetSurface("Sky.tga"), nullptr);
  EXPECT_EQ(D3DTextr_RestoreTexture("Sky.tga", fixture.device()), S_OK);
  EXPECT_EQ(D3DTextr_InvalidateTexture("Sky.tga"), S_OK);
  EXPECT_EQ(D3DTextr_GetSurface("Sky.tga"), nullptr);

  EXPECT_EQ(D3DTextr_RestoreTexture("Unknown.tga", fixture.device()), DDERR_NOTFOUND);
  EXPECT_EQ(D3DTextr_InvalidateTexture("Unknown.tga"), DDERR_NOTFOUND);
  EXPECT_EQ(D3DTextr_RestoreTexture("Sky.tga", nullptr), DDERR_INVALIDPARAMS);
  fixture.device()->failCaps = true;
  EXPECT_EQ(D3DTextr_RestoreTexture("Sky.tga", fixture.device()), E_FAIL);
  EXPECT_EQ(D3DTextr_GetSurface("Sky.tga"), nullptr);
}

TEST_F(TextureTest, SizeFollowsPowerOfTwoMaximumAndSquareCaps) {
  DeviceFixture fixture;
  testimg::WriteTga("BMP/Odd.tga", SolidTga(100, 60, 0x808080FF, 24));
  ASSERT_EQ(Register("Odd.tga"), S_OK);
  struct Case {
    DWORD textureCaps, maxWidth, maxHeight, width, height;
  };
  const Case cases[] = {
      {0, 2048, 2048, 100, 60},
      {D3DPTEXTURECAPS_POW2, 0, 0, 128, 64},
      {D3DPTEXTURECAPS_POW2 | D3DPTEXTURECAPS_SQUAREONLY, 0, 0, 128, 128},
      {D3DPTEXTURECAPS_SQUAREONLY, 64, 32, 64, 64},
      {0, 0, 0, 100, 60},
  };
  for (const Case& c : cases) {
    fixture.device()->caps.dpcTriCaps.dwTextureCaps = c.textureCaps;
    fixture.device()->caps.dwMaxTextureWidth = c.maxWidth;
    fixture.device()->caps.dwMaxTextureHeight = c.maxHeight;
    ASSERT_EQ(D3DTextr_RestoreTexture("Odd.tga", fixture.device()), S_OK);
    DDSURFACEDESC2 desc = Describe(D3DTextr_GetSurface("Odd.tga"));
    EXPECT_EQ(desc.dwWidth, c.width) << c.textureCaps;
    EXPECT_EQ(desc.dwHeight, c.height) << c.textureCaps;
  }
  D3DTextr_InvalidateAll();
}

TEST_F(TextureTest, FormatChoiceFollowsDepthAlphaAndFlags) {
  DeviceFixture fixture;
  testimg::WriteTga("BMP/Opaque.tga", SolidTga(2, 2, 0x336699FF));
  Tga seeThrough = SolidTga(2, 2, 0x336699FF);
  seeThrough.payload[7] = 254;  // alpha of the second pixel
  testimg::WriteTga("BMP/Glass.tga", seeThrough);
  testimg::WriteTga("BMP/Both.tga", SolidTga(2, 2, 0x336699FF));
  testimg::WriteTga("BMP/Deep.tga", SolidTga(2, 2, 0x336699FF, 24));
  ASSERT_EQ(Register("Opaque.tga"), S_OK);
  ASSERT_EQ(Register("Glass.tga"), S_OK);
  ASSERT_EQ(Register("Both.tga", D3DTEXTR_16BITSPERPIXEL | D3DTEXTR_32BITSPERPIXEL), S_OK);
  ASSERT_EQ(Register("Deep.tga"), S_OK);
  D3DTextr_RestoreAll(fixture.device());

  DDPIXELFORMAT opaque = Describe(D3DTextr_GetSurface("Opaque.tga")).ddpfPixelFormat;
  EXPECT_EQ(opaque.dwRGBBitCount, 32u);
  EXPECT_EQ(opaque.dwRGBAlphaBitMask, 0u);
  DDPIXELFORMAT glass = Describe(D3DTextr_GetSurface("Glass.tga")).ddpfPixelFormat;
  EXPECT_EQ(glass.dwRGBBitCount, 32u);
  EXPECT_EQ(glass.dwRGBAlphaBitMask, 0xFF000000u);
  DDPIXELFORMAT both = Describe(D3DTextr_GetSurface("Both.tga")).ddpfPixelFormat;
  EXPECT_EQ(both.dwRGBBitCount, 16u);
  DDPIXELFORMAT deep = Describe(D3DTextr_GetSurface("Deep.tga")).ddpfPixelFormat;
  EXPECT_EQ(deep.dwRGBBitCount, 24u);

  // A device offering nothing near the wish falls back to 16 bits once.
  fixture.device()->formats = {testdev::RgbFormat(16, 0xF800, 0x07E0, 0x001F, 0)};
  fixture.device()->enumCalls = 0;
  EXPECT_EQ(D3DTextr_RestoreTexture("Opaque.tga", fixture.device()), S_OK);
  EXPECT_EQ(fixture.device()->enumCalls, 2);
  EXPECT_EQ(Describe(D3DTextr_GetSurface("Opaque.tga")).ddpfPixelFormat.dwRGBBitCount, 16u);
  // Only the excluded 4-4-4-4 format: nothing at all.
  fixture.device()->formats = {testdev::RgbFormat(16, 0x0F00, 0x00F0, 0x000F, 0xF000)};
  EXPECT_EQ(D3DTextr_RestoreTexture("Glass.tga", fixture.device()), E_FAIL);
  EXPECT_EQ(D3DTextr_GetSurface("Glass.tga"), nullptr);
  D3DTextr_InvalidateAll();
}

TEST_F(TextureTest, RgbaPixelsAreShiftedIntoTheTextureFormat) {
  DeviceFixture fixture;
  Tga tga;
  tga.width = 2;
  tga.height = 1;
  tga.depth = 32;
  tga.descriptor = 0x20;
  AddPixel(tga.payload, 0xFF8040FE, 32);
  AddPixel(tga.payload, 0x0810187F, 32);
  testimg::WriteTga("BMP/Mixed32.tga", tga);
  testimg::WriteTga("BMP/Mixed16.tga", tga);
  ASSERT_EQ(Register("Mixed32.tga"), S_OK);
  ASSERT_EQ(Register("Mixed16.tga", D3DTEXTR_16BITSPERPIXEL), S_OK);
  D3DTextr_RestoreAll(fixture.device());

  LPDIRECTDRAWSURFACE7 deep = D3DTextr_GetSurface("Mixed32.tga");
  ASSERT_NE(deep, nullptr);
  EXPECT_EQ(ReadTexel(deep, 0, 0), 0xFEFF8040u);
  EXPECT_EQ(ReadTexel(deep, 1, 0), 0x7F081018u);
  // A1R5G5B5: channels keep their top five bits, alpha its top bit.
  LPDIRECTDRAWSURFACE7 shallow = D3DTextr_GetSurface("Mixed16.tga");
  ASSERT_NE(shallow, nullptr);
  EXPECT_EQ(Describe(shallow).ddpfPixelFormat.dwRGBAlphaBitMask, 0x8000u);
  EXPECT_EQ(ReadTexel(shallow, 0, 0), 0x8000u | (0x1Fu << 10) | (0x10u << 5) | 0x08u);
  EXPECT_EQ(ReadTexel(shallow, 1, 0), (0x01u << 10) | (0x02u << 5) | 0x03u);
  D3DTextr_InvalidateAll();
}

TEST_F(TextureTest, KeyColourBecomesTransparentIn16And32BitTextures) {
  DeviceFixture fixture;
  // An 8-bit picture with a key has to take a format with alpha; without a
  // palettised format it falls back to 16 bits (A1R5G5B5), or 32 with the flag.
  std::vector<uint32_t> palette = {0x000000, 0xFFFFFF, 0x336699};
  std::vector<uint8_t> indices = {0, 1, 2, 0};
  testimg::WriteBmp8("BMP/Black16.bmp", 2, 2, palette, indices);
  testimg::WriteBmp8("BMP/White16.bmp", 2, 2, palette, indices);
  testimg::WriteBmp8("BMP/Black32.bmp", 2, 2, palette, indices);
  testimg::WriteBmp8("BMP/White32.bmp", 2, 2, palette, indices);
  ASSERT_EQ(Register("Black16.bmp", D3DTEXTR_BLACKKEY), S_OK);
  ASSERT_EQ(Register("White16.bmp", D3DTEXTR_WHITEKEY), S_OK);
  ASSERT_EQ(Register("Black32.bmp", D3DTEXTR_BLACKKEY | D3DTEXTR_32BITSPERPIXEL), S_OK);
  ASSERT_EQ(Register("White32.bmp", D3DTEXTR_WHITEKEY | D3DTEXTR_32BITSPERPIXEL), S_OK);
  EXPECT_EQ(D3DTextr_FindEntry("Black16.bmp")->bitsPerPixel, 8u);
  D3DTextr_RestoreAll(fixture.device());

  struct Case {
    const char* name;
    DWORD alphaMask;
    bool keyBlack;
  };
  for (const Case& c :
       {Case{"Black16.bmp", 0x8000, true}, Case{"White16.bmp", 0x8000, false},
        Case{"Black32.bmp", 0xFF000000, true}, Case{"White32.bmp", 0xFF000000, false}}) {
    LPDIRECTDRAWSURFACE7 surface = D3DTextr_GetSurface(c.name);
    ASSERT_NE(surface, nullptr) << c.name;
    EXPECT_EQ(Describe(surface).ddpfPixelFormat.dwRGBAlphaBitMask, c.alphaMask) << c.name;
    bool blackOpaque = (ReadTexel(surface, 0, 0) & c.alphaMask) != 0;
    bool whiteOpaque = (ReadTexel(surface, 1, 0) & c.alphaMask) != 0;
    bool otherOpaque = (ReadTexel(surface, 0, 1) & c.alphaMask) != 0;
    EXPECT_EQ(blackOpaque, !c.keyBlack) << c.name;
    EXPECT_EQ(whiteOpaque, c.keyBlack) << c.name;
    EXPECT_TRUE(otherOpaque) << c.name;
  }

  // With a palettised format and alpha in palettes the picture stays at 8 bits.
  fixture.device()->formats.insert(fixture.device()->formats.begin(), testdev::Palette8Format());
  fixture.device()->caps.dpcTriCaps.dwTextureCaps = D3DPTEXTURECAPS_ALPHAPALETTE;
  ASSERT_EQ(D3DTextr_RestoreTexture("Black16.bmp", fixture.device()), S_OK);
  DDPIXELFORMAT indexed = Describe(D3DTextr_GetSurface("Black16.bmp")).ddpfPixelFormat;
  EXPECT_EQ(indexed.dwRGBBitCount, 8u);
  EXPECT_TRUE(indexed.dwFlags & DDPF_PALETTEINDEXED8);
  fixture.device()->formats = testdev::SoftwareFormats();
  fixture.device()->caps.dpcTriCaps.dwTextureCaps = 0;

  // A 24-bit picture never asks for alpha, so its key makes nothing transparent.
  testimg::WriteBmp24("BMP/True.bmp", 2, 1, {0x000000, 0xFFFFFF});
  ASSERT_EQ(Register("True.bmp", D3DTEXTR_BLACKKEY), S_OK);
  ASSERT_EQ(D3DTextr_RestoreTexture("True.bmp", fixture.device()), S_OK);
  DDSURFACEDESC2 desc = Describe(D3DTextr_GetSurface("True.bmp"));
  EXPECT_EQ(desc.ddpfPixelFormat.dwRGBBitCount, 24u);
  EXPECT_EQ(desc.ddpfPixelFormat.dwRGBAlphaBitMask, 0u);
  D3DTextr_InvalidateAll();
}

TEST_F(TextureTest, BitmapIsStretchedToTheTextureSize) {
  DeviceFixture fixture;
  fixture.device()->caps.dpcTriCaps.dwTextureCaps = D3DPTEXTURECAPS_POW2;
  std::vector<uint32_t> pixels(3 * 3, 0x0000FF);
  pixels[0] = 0xFF0000;
  testimg::WriteBmp24("BMP/Three.bmp", 3, 3, pixels);
  ASSERT_EQ(Register("Three.bmp", D3DTEXTR_32BITSPERPIXEL), S_OK);
  ASSERT_EQ(D3DTextr_RestoreTexture("Three.bmp", fixture.device()), S_OK);
  LPDIRECTDRAWSURFACE7 surface = D3DTextr_GetSurface("Three.bmp");
  DDSURFACEDESC2 desc = Describe(surface);
  EXPECT_EQ(desc.dwWidth, 4u);
  EXPECT_EQ(desc.dwHeight, 4u);
  EXPECT_EQ(ReadTexel(surface, 0, 0) & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(ReadTexel(surface, 3, 3) & 0xFFFFFF, 0x0000FFu);
  D3DTextr_InvalidateAll();
}

}  // namespace
