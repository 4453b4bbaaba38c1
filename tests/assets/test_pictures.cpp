// The generated pictures, read back from disk: formats, sizes and the
// layouts the game cuts them by.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "KeyLayout.h"
#include "PictureFiles.h"

namespace {

// Pictures the game draws with black as the see-through colour key.
const char* const kBlackKeyed[] = {"Texture4.bmp",   "Texture5.bmp",   "Building1a.bmp",
                                   "Building2a.bmp", "Building3a.bmp", "Building4a.bmp",
                                   "Building5a.bmp", "Building6a.bmp", "Sprite.bmp",
                                   "Earth2.bmp",     "Bullet.bmp"};

int CountIf(const Picture& p, int x0, int y0, int x1, int y1, bool (*pred)(const Texel&)) {
  int n = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) n += pred(p.At(x, y));
  return n;
}

bool NotBlack(const Texel& t) {
  return !t.IsBlack();
}

// Mean absolute channel difference of two equally sized regions.
double RegionDifference(const Picture& p, int ax, int ay, int bx, int by, int w, int h) {
  double sum = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const Texel& a = p.At(ax + x, ay + y);
      const Texel& b = p.At(bx + x, by + y);
      sum += std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b);
    }
  return sum / (3.0 * w * h);
}

TEST(GeneratedPictures, EveryFileReadsInItsFormatAndSize) {
  struct Expect {
    const char* name;
    int w, h;  // 0: any
  };
  const Expect bitmaps[] = {
      {"Texture4.bmp", 512, 256},   {"Texture5.bmp", 512, 256},    {"Bullet.bmp", 512, 256},
      {"Building1a.bmp", 0, 0},     {"Building2a.bmp", 0, 0},      {"Building3a.bmp", 0, 0},
      {"Building4a.bmp", 0, 0},     {"Building5a.bmp", 0, 0},      {"Building6a.bmp", 0, 0},
      {"Sprite.bmp", 512, 512},     {"Earth2.bmp", 0, 0},          {"Sight.bmp", 0, 0},
      {"Sky1.bmp", 640, 480},       {"LevelSelect.bmp", 640, 480}, {"Title2.bmp", 640, 480},
      {"NowLoading.bmp", 640, 480}, {"Score.bmp", 640, 480},       {"Letter.bmp", 512, 256}};
  for (const Expect& e : bitmaps) {
    Picture p = LoadBitmap(PicturePath(e.name));
    ASSERT_TRUE(p.ok()) << e.name;
    EXPECT_EQ(p.bitsPerPixel, 24) << e.name;
    EXPECT_LE(std::max(p.width, p.height), 2048) << e.name;
    if (e.w) {
      EXPECT_EQ(p.width, e.w) << e.name;
      EXPECT_EQ(p.height, e.h) << e.name;
    }
  }
  for (const char* name : {"Frame.tga", "Keyboard.tga"}) {
    Picture p = LoadTga(PicturePath(name));
    ASSERT_TRUE(p.ok()) << name;
    EXPECT_EQ(p.tgaType, 10) << name << " is written run-length encoded";
    EXPECT_EQ(p.bitsPerPixel, 32) << name;
  }
}

TEST(GeneratedPictures, SeeThroughBlackIsExactAndEverythingElseSurvivesSixteenBits) {
  for (const char* name : kBlackKeyed) {
    Picture p = LoadBitmap(PicturePath(name));
    ASSERT_TRUE(p.ok()) << name;
    int faint = 0;
    for (const Texel& t : p.texels)
      if (!t.IsBlack() && (t.r < 8 || t.g < 8 || t.b < 8)) ++faint;
    EXPECT_EQ(faint, 0) << name << " has texels a 16-bit conversion would make see-through";
  }
}

TEST(GeneratedPictures, GlyphSheetHoldsEveryLetterInItsCellInOneColour) {
  Picture p = LoadBitmap(PicturePath("Letter.bmp"));
  ASSERT_TRUE(p.ok());
  ASSERT_GE(p.height, 256);
  std::set<std::tuple<int, int, int>> inks;
  for (const Texel& t : p.texels)
    if (!t.IsWhite()) inks.insert({t.r, t.g, t.b});
  ASSERT_EQ(inks.size(), 1u) << "every texel is white or the one letter colour (no grey fringe)";

  auto ink = [](const Texel& t) { return !t.IsWhite(); };
  std::vector<std::vector<int>> shapes;
  for (int row : {0, 2})
    for (int k = 0; k < 26; ++k) {
      int left = (k % 16) * 32, top = (k / 16 + row) * 64;
      int n = CountIf(p, left, top, left + 32, top + 64, +ink);
      EXPECT_GT(n, 60) << "letter " << char((row ? 'A' : 'a') + k);
      std::vector<int> shape;
      for (int y = top; y < top + 64; ++y)
        for (int x = left; x < left + 32; ++x) shape.push_back(ink(p.At(x, y)));
      shapes.push_back(shape);
    }
  // Every cell's glyph differs from every other (no letter drawn twice).
  for (size_t i = 0; i < shapes.size(); ++i)
    for (size_t j = i + 1; j < shapes.size(); ++j) EXPECT_NE(shapes[i], shapes[j]) << i << " " << j;
  // Cells that hold no letter (after 'z' and 'Z') stay white.
  for (int top : {64, 192}) EXPECT_EQ(CountIf(p, 10 * 32, top, 512, top + 64, +ink), 0);
}

TEST(GeneratedPictures, SpriteSheetHasDigitsAndIconsWhereThePanelCutsThem) {
  Picture p = LoadBitmap(PicturePath("Sprite.bmp"));
  ASSERT_TRUE(p.ok());
  EXPECT_TRUE(p.At(0, 0).IsBlack()) << "hidden icons sample texel (0, 0)";
  std::vector<std::vector<int>> digits;
  for (int j = 0; j < 10; ++j) {
    EXPECT_GT(CountIf(p, 0, 32 * j, 32, 32 * j + 32, NotBlack), 60) << "digit " << j;
    // A black frame around each digit keeps filtering from pulling in a
    // neighbour.
    EXPECT_EQ(CountIf(p, 31, 32 * j, 33, 32 * j + 32, NotBlack), 0) << "digit " << j;
    EXPECT_EQ(CountIf(p, 0, 32 * j, 32, 32 * j + 1, NotBlack), 0) << "digit " << j;
    std::vector<int> shape;
    for (int y = 32 * j; y < 32 * j + 32; ++y)
      for (int x = 0; x < 32; ++x) shape.push_back(!p.At(x, y).IsBlack());
    digits.push_back(shape);
  }
  for (int i = 0; i < 10; ++i)
    for (int j = i + 1; j < 10; ++j) EXPECT_NE(digits[i], digits[j]) << i << " and " << j;
  EXPECT_EQ(CountIf(p, 0, 32 * 11, 32, 32 * 12, NotBlack), 0) << "image 11 is the blank";
  EXPECT_GT(CountIf(p, 129, 0, 186, 31, NotBlack), 57 * 31 / 4) << "ammunition icon";
  EXPECT_GT(CountIf(p, 32, 175, 63, 206, NotBlack), 31 * 31 / 4) << "life icon";
  // Nothing else on the sheet.
  int stray = CountIf(p, 0, 0, 512, 512, NotBlack) - CountIf(p, 0, 0, 32, 320, NotBlack) -
              CountIf(p, 129, 0, 186, 31, NotBlack) - CountIf(p, 32, 175, 63, 206, NotBlack);
  EXPECT_EQ(stray, 0);
}

TEST(GeneratedPictures, TargetStripsHaveEightFramesOnBlack) {
  for (const char* name : {"Texture4.bmp", "Texture5.bmp", "Bullet.bmp"}) {
    Picture p = LoadBitmap(PicturePath(name));
    ASSERT_TRUE(p.ok()) << name;
    ASSERT_EQ(p.width % 4, 0);
    ASSERT_EQ(p.height % 2, 0);
    int fw = p.width / 4, fh = p.height / 2;
    for (int row = 0; row < 2; ++row)
      for (int col = 0; col < 4; ++col) {
        int x0 = col * fw, y0 = row * fh;
        EXPECT_GT(CountIf(p, x0, y0, x0 + fw, y0 + fh, NotBlack), fw * fh / 50)
            << name << " frame " << col << "," << row;
        // The frame's outer texels are see-through, so neighbours never bleed in.
        int edge = CountIf(p, x0, y0, x0 + fw, y0 + 1, NotBlack) +
                   CountIf(p, x0, y0 + fh - 1, x0 + fw, y0 + fh, NotBlack) +
                   CountIf(p, x0, y0, x0 + 1, y0 + fh, NotBlack) +
                   CountIf(p, x0 + fw - 1, y0, x0 + fw, y0 + fh, NotBlack);
        EXPECT_EQ(edge, 0) << name << " frame " << col << "," << row;
      }
    EXPECT_TRUE(p.At(0, 0).IsBlack());
    // The living frames animate, and the explosion looks different from them.
    for (int col = 1; col < 4; ++col)
      EXPECT_GT(RegionDifference(p, 0, 0, col * fw, 0, fw, fh), 1.0) << name << " frame " << col;
    EXPECT_GT(RegionDifference(p, fw, 0, fw, fh, fw, fh), 5.0) << name;
  }
}

TEST(GeneratedPictures, KeyboardKeysSitOnTheirGridCells) {
  Picture p = LoadTga(PicturePath("Keyboard.tga"));
  ASSERT_TRUE(p.ok());
  ASSERT_EQ(p.width % assetgen::kKeyColumns, 0);
  ASSERT_EQ(p.height % assetgen::kKeyRows, 0);
  const int cw = p.width / assetgen::kKeyColumns, ch = p.height / assetgen::kKeyRows;
  for (int r = 0; r < assetgen::kKeyRows; ++r)
    for (int c = 0; c < assetgen::kKeyColumns; ++c) {
      const Texel& centre = p.At(c * cw + cw / 2, r * ch + ch / 2);
      if (assetgen::KeyCode(r, c))
        EXPECT_GE(centre.a, 200) << "key cell " << r << "," << c;
      else
        EXPECT_LE(centre.a, 160) << "empty cell " << r << "," << c;
    }
  // Between two different keys there is a gap: the texels on the boundary are
  // not key cap.
  for (int r = 0; r < assetgen::kKeyRows; ++r)
    for (int c = 0; c + 1 < assetgen::kKeyColumns; ++c) {
      int a = assetgen::KeyCode(r, c), b = assetgen::KeyCode(r, c + 1);
      if (a && b && a != b) {
        const Texel& t = p.At((c + 1) * cw, r * ch + ch / 2);
        EXPECT_LT(t.a, 200) << "no gap between keys at " << r << "," << c;
      }
    }
  for (const Texel& t : p.texels) ASSERT_FALSE(t.IsWhite() && t.a > 0) << "white is keyed away";
}

TEST(GeneratedPictures, KeyTableMatchesTheKeyboardRows) {
  using assetgen::KeyCode;
  EXPECT_EQ(KeyCode(2, 2), 256);   // Escape
  EXPECT_EQ(KeyCode(5, 61), 283);  // F12
  EXPECT_EQ(KeyCode(8, 6), '1');
  EXPECT_EQ(KeyCode(11, 57), '\\');
  EXPECT_EQ(KeyCode(12, 8), 'q');
  EXPECT_EQ(KeyCode(15, 55), '[');
  EXPECT_EQ(KeyCode(13, 56), 10);
  EXPECT_EQ(KeyCode(18, 57), 10);  // the Enter key's lower part
  EXPECT_EQ(KeyCode(16, 9), 'a');
  EXPECT_EQ(KeyCode(19, 56), ']');
  EXPECT_EQ(KeyCode(20, 11), 'z');
  EXPECT_EQ(KeyCode(23, 54), '\\');
  EXPECT_EQ(KeyCode(22, 55), 260);
  EXPECT_EQ(KeyCode(24, 20), ' ');
  EXPECT_EQ(KeyCode(27, 35), ' ');
  EXPECT_EQ(KeyCode(26, 61), 258);
  for (int r : {0, 1, 6, 7, 28, 29})
    for (int c = 0; c < assetgen::kKeyColumns; ++c) EXPECT_EQ(KeyCode(r, c), 0) << r << "," << c;
  // Each letter covers 16 cells (four columns by four rows).
  for (char ch = 'a'; ch <= 'z'; ++ch) {
    int cells = 0;
    for (int r = 0; r < assetgen::kKeyRows; ++r)
      for (int c = 0; c < assetgen::kKeyColumns; ++c) cells += KeyCode(r, c) == ch;
    EXPECT_EQ(cells, 16) << ch;
  }
}

TEST(GeneratedPictures, LabelFrameIsOpaqueAtTheRimAndTranslucentInside) {
  Picture p = LoadTga(PicturePath("Frame.tga"));
  ASSERT_TRUE(p.ok());
  EXPECT_EQ(p.At(p.width / 2, 2).a, 255);
  EXPECT_EQ(p.At(2 + 1, p.height / 2).a, 255);
  const Texel& middle = p.At(p.width / 2, p.height / 2);
  EXPECT_GT(middle.a, 60);
  EXPECT_LT(middle.a, 230);
  EXPECT_EQ(p.At(0, 0).a, 0) << "rounded corner";
  // The middle is dark, so that the letter colour reads on it.
  EXPECT_LT(middle.Luma(), 60);
}

TEST(GeneratedPictures, ScoreLabelsStandLeftOfTheDigitColumns) {
  Picture p = LoadBitmap(PicturePath("Score.bmp"));
  ASSERT_TRUE(p.ok());
  auto bright = [](const Texel& t) { return t.Luma() > 150; };
  struct Row {
    int y, digitsLeft;
  };
  for (Row r : {Row{96, 320}, Row{192, 320}, Row{288, 320}, Row{384, 416}}) {
    EXPECT_GT(CountIf(p, 0, r.y, r.digitsLeft, r.y + 32, +bright), 150) << "label at " << r.y;
    // The digit columns (up to x 512) are kept dark for the digits.
    double luma = 0;
    for (int y = r.y; y < r.y + 32; ++y)
      for (int x = r.digitsLeft; x < 512; ++x) luma += p.At(x, y).Luma();
    EXPECT_LT(luma / (32.0 * (512 - r.digitsLeft)), 40.0) << "digits at " << r.y;
  }
}

TEST(GeneratedPictures, BuildingsAreSixDifferentWallStrips) {
  std::vector<Picture> walls;
  for (int i = 1; i <= 6; ++i) {
    Picture p = LoadBitmap(PicturePath("Building" + std::to_string(i) + "a.bmp"));
    ASSERT_TRUE(p.ok());
    ASSERT_EQ(p.width % 4, 0);
    // Almost all of the wall is solid; only the roof line may be cut away.
    int solid = CountIf(p, 0, 0, p.width, p.height, NotBlack);
    EXPECT_GT(solid, p.width * p.height * 95 / 100) << i;
    EXPECT_EQ(CountIf(p, 0, p.height / 8, p.width, p.height, NotBlack),
              p.width * (p.height - p.height / 8))
        << "building " << i << " below its roof line";
    walls.push_back(p);
  }
  for (int i = 0; i < 6; ++i)
    for (int j = i + 1; j < 6; ++j) {
      if (walls[i].width != walls[j].width || walls[i].height != walls[j].height) continue;
      double d = 0;
      for (size_t k = 0; k < walls[i].texels.size(); ++k)
        d += std::abs(walls[i].texels[k].Luma() - walls[j].texels[k].Luma());
      EXPECT_GT(d / walls[i].texels.size(), 10.0) << "buildings " << i + 1 << " and " << j + 1;
    }
}

TEST(GeneratedPictures, GroundTileRepeatsWithoutSeams) {
  Picture p = LoadBitmap(PicturePath("Earth2.bmp"));
  ASSERT_TRUE(p.ok());
  auto diff = [&](int ax, int ay, int bx, int by) {
    const Texel& a = p.At(ax, ay);
    const Texel& b = p.At(bx, by);
    return std::abs(a.Luma() - b.Luma());
  };
  // Texel steps across the tile border are no larger than steps inside it.
  double inside = 0, across = 0;
  int n = 0;
  for (int k = 0; k < p.height; ++k) {
    across += diff(p.width - 1, k, 0, k) + diff(k % p.width, p.height - 1, k % p.width, 0);
    for (int x = 0; x + 1 < p.width; ++x) inside += diff(x, k, x + 1, k);
    n += p.width - 1;
  }
  across /= 2.0 * p.height;
  inside /= n;
  EXPECT_LE(across, inside * 1.5 + 1.0);
}

TEST(GeneratedPictures, FullScreenPicturesAndSightHaveContent) {
  for (const char* name :
       {"Sky1.bmp", "Title2.bmp", "LevelSelect.bmp", "Score.bmp", "NowLoading.bmp", "Sight.bmp"}) {
    Picture p = LoadBitmap(PicturePath(name));
    ASSERT_TRUE(p.ok()) << name;
    std::set<int> lumas;
    for (const Texel& t : p.texels) lumas.insert(t.Luma());
    EXPECT_GT(lumas.size(), 40u) << name << " looks flat";
  }
  Picture sight = LoadBitmap(PicturePath("Sight.bmp"));
  ASSERT_TRUE(sight.ok());
  // Drawn additively: the background is black and adds nothing.
  EXPECT_TRUE(sight.At(0, 0).IsBlack());
  EXPECT_TRUE(sight.At(sight.width - 1, 0).IsBlack());
  EXPECT_GT(CountIf(sight, 0, 0, sight.width, sight.height, NotBlack), 300);
}

TEST(PictureFileReader, RunLengthPacketsAndRowOrder) {
  // 2 × 2, 32 bits, bottom row first: a run of two red texels, then a raw
  // packet of one green and one blue texel.
  std::vector<uint8_t> tga(18, 0);
  tga[2] = 10, tga[12] = 2, tga[14] = 2, tga[16] = 32;
  for (uint8_t b : {0x81, 0, 0, 255, 255, 0x01, 0, 255, 0, 128, 255, 0, 0, 255}) tga.push_back(b);
  Picture p = ParseTga(tga);
  ASSERT_TRUE(p.ok());
  EXPECT_EQ(p.At(0, 1).r, 255);
  EXPECT_EQ(p.At(1, 1).r, 255);
  EXPECT_EQ(p.At(0, 0).g, 255);
  EXPECT_EQ(p.At(0, 0).a, 128);
  EXPECT_EQ(p.At(1, 0).b, 255);
  // A packet running past the row end is refused.
  tga[18] = 0x82;
  EXPECT_FALSE(ParseTga(tga).ok());
}

}  // namespace
