// Picture files as players leave them: headers announcing absurd sizes, files
// cut short, pictures still registered when the program ends, and a debug
// complaint repeated every frame.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "d3dframe/d3dtextr.h"
#include "d3dframe/d3dtextr_entry.h"
#include "support/Folder.h"
#include "support/PictureFiles.h"
#include "testing.h"
#include "win32.h"

namespace {

struct Entry {
  TextureEntry entry{};
  ~Entry() { delete[] entry.rgba; }
};

HRESULT ReadTga(const std::string& bytes, TextureEntry* entry) {
  support::WriteFile("BMP/hostile.tga", bytes);
  return D3DTextr_ReadTarga("BMP/hostile.tga", entry);
}

// An 8-bit run-length BMP with a grey colour table and the given runs.
std::string RunLengthBmp(int width, int height, const std::string& runs) {
  support::BmpLayout layout;
  layout.width = width;
  layout.height = height;
  layout.bits = 8;
  layout.compression = 1;
  for (uint32_t i = 0; i < 256; ++i) layout.palette.push_back(i * 0x010101u);
  layout.colorsUsed = 256;
  layout.pixels = runs;
  return support::BmpFile(layout);
}

bool BmpLoads(const std::string& bytes) {
  support::WriteFile("BMP/hostile.bmp", bytes);
  HANDLE bitmap = LoadImageA(nullptr, "BMP\\hostile.bmp", IMAGE_BITMAP, 0, 0,
                             LR_LOADFROMFILE | LR_CREATEDIBSECTION);
  if (!bitmap) return false;
  BITMAP described = {};
  EXPECT_EQ(GetObjectA(bitmap, sizeof described, &described), static_cast<int>(sizeof described));
  EXPECT_TRUE(DeleteObject(bitmap));
  return described.bmWidth > 0;
}

// A few header bytes used to ask for up to 16384 x 16384 pixels (a gigabyte
// for a TGA, a quarter for a run-length BMP) and the decoding took seconds.
TEST(HostilePictures, PicturesOfMoreThan2048By2048PixelsAreRefusedBeforeAnythingIsRead) {
  const std::string runOfWhite = "\xff\xff\xff\xff";  // a 128-pixel run of white
  const struct {
    int width, height;
    bool accepted;
  } sizes[] = {{2048, 2048, true},  {4096, 1024, true},  {16384, 256, true},   {2049, 2048, false},
               {4097, 1024, false}, {16384, 257, false}, {16384, 16384, false}};
  for (const auto& size : sizes) {
    SCOPED_TRACE(std::to_string(size.width) + " x " + std::to_string(size.height));
    Entry tga;
    EXPECT_EQ(ReadTga(support::TgaFile(10, size.width, size.height, 32, 0, runOfWhite), &tga.entry),
              size.accepted ? S_OK : E_FAIL);
    EXPECT_EQ(tga.entry.rgba != nullptr, size.accepted);
    // An 8-bit run-length BMP of the same size: one run, then end of picture.
    EXPECT_EQ(BmpLoads(RunLengthBmp(size.width, size.height, std::string("\x02\x07\x00\x01", 4))),
              size.accepted);
  }
}

// Bytes past the end of a TGA count as 255: the rest of the picture is
// opaque white, placed by the file's row order like any other pixel.
TEST(HostilePictures, ATgaCutShortIsFinishedInOpaqueWhiteInItsOwnRowOrder) {
  // 3 x 2, bottom row first; one run of two blue pixels, then the file ends.
  const std::string run = std::string("\x81", 1) + support::TgaPixel(0x0000FF80u, 32);
  for (int descriptor : {0x00, 0x20}) {
    SCOPED_TRACE(descriptor);
    Entry cut;
    ASSERT_EQ(ReadTga(support::TgaFile(10, 3, 2, 32, descriptor, run), &cut.entry), S_OK);
    const DWORD blue = 0x0000FF80u, white = 0xFFFFFFFFu;
    const DWORD* firstFileRow = cut.entry.rgba + (descriptor ? 0 : 3);
    const DWORD* secondFileRow = cut.entry.rgba + (descriptor ? 3 : 0);
    EXPECT_EQ(firstFileRow[0], blue);
    EXPECT_EQ(firstFileRow[1], blue);
    EXPECT_EQ(firstFileRow[2], white);
    for (int x = 0; x < 3; ++x) EXPECT_EQ(secondFileRow[x], white) << x;
    EXPECT_TRUE(cut.entry.hasAlpha);  // the blue pixels' alpha is 0x80
  }
  // An uncompressed file cut in the middle of a pixel: the missing bytes of
  // that pixel are 255 as well.
  Entry raw;
  ASSERT_EQ(ReadTga(support::TgaFile(2, 2, 1, 24, 0x20, std::string("\x10\x20", 2)), &raw.entry),
            S_OK);
  EXPECT_EQ(raw.entry.rgba[0], 0xFF2010FFu);
  EXPECT_EQ(raw.entry.rgba[1], 0xFFFFFFFFu);
  EXPECT_FALSE(raw.entry.hasAlpha);
}

// Run in a process of its own: the texture registry frees what is still
// registered when the program ends, after the picture has gone through
// LoadImageA. Under LeakSanitizer a picture left undeleted at that point
// fails the exit.
int RegisterAndEnd() {
  support::WriteFile("BMP/Kept.bmp",
                     RunLengthBmp(4, 2, std::string("\x04\x09\x00\x00\x04\x03\x00\x01", 8)));
  D3DTextr_SetTextureFolder("BMP\\");
  return D3DTextr_CreateTextureFromFile("Kept.bmp", 0, D3DTEXTR_BLACKKEY) == S_OK ? 0 : 2;
}

TEST(HostilePictures, PicturesStillRegisteredWhenTheProgramEndsAreFreed) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(std::exit(RegisterAndEnd()), ::testing::ExitedWithCode(0), "");
}

// A complaint repeated every frame (a building whose picture the scene file
// names wrongly reports it on every draw) must cost the same on the ten
// thousandth frame as on the first: the debug output keeps the newest text in
// a bounded buffer without moving all of it for every message.
TEST(HostileRepeats, ADebugMessageRepeatedForeverKeepsTheNewestTextInABoundedBuffer) {
  platform::TakeDebugOutput();
  const size_t limit = size_t{1} << 20;
  std::string last;
  for (int frame = 0; frame < 60000; ++frame) {
    last = "src\\Classes\\SceneGame\\NHClasses(137): texture != NULL (frame " +
           std::to_string(frame) + ")\n";
    OutputDebugStringA(last.c_str());
  }
  const std::string kept = platform::TakeDebugOutput();
  EXPECT_GE(kept.size(), limit);
  EXPECT_LE(kept.size(), 2 * limit);
  ASSERT_GE(kept.size(), last.size());
  EXPECT_EQ(kept.substr(kept.size() - last.size()), last);
}

}  // namespace
