// The generated pictures and the committed content, read back with the
// game's own readers: the formats and layouts the game cuts the pictures by,
// a keyboard picture that matches the game's key table, and word lists of real
// words for every letter. The stages' rules are in test_shipped_stages.cpp.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "Classes/SceneGame/SceneGameImpl.h"
#include "KeyLayout.h"
#include "support/Folder.h"
#include "support/GameTextures.h"
#include "support/Pictures.h"

namespace {

using support::Picture;

Picture Read(const std::string& name) {
  return support::ReadPicture(std::string(VOSKAR_RUN_DIR) + "/BMP/" + name);
}

std::string Content(const std::string& name) {
  return std::string(VOSKAR_SOURCE_DIR) + "/content/Data/" + name;
}

bool Black(uint32_t argb) {
  return (argb & 0xFFFFFF) == 0;
}

int CountNotBlack(const Picture& p, int x0, int y0, int x1, int y1) {
  int n = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) n += !Black(p.At(x, y));
  return n;
}

TEST(GeneratedPictures, EveryPictureReadsInItsFormatAndSize) {
  const std::map<std::string, std::pair<int, int>> sizes = {
      {"Texture4.bmp", {512, 256}}, {"Texture5.bmp", {512, 256}}, {"Bullet.bmp", {512, 256}},
      {"Sprite.bmp", {512, 512}},   {"Sky1.bmp", {640, 480}},     {"LevelSelect.bmp", {640, 480}},
      {"Title2.bmp", {640, 480}},   {"Score.bmp", {640, 480}},    {"NowLoading.bmp", {640, 480}},
      {"Letter.bmp", {512, 256}}};
  for (const std::string& name : support::GamePictureFiles()) {
    const Picture p = Read(name);
    ASSERT_TRUE(p.ok()) << name;
    const bool tga = name.find(".tga") != std::string::npos;
    EXPECT_EQ(p.bitsPerPixel, tga ? 32 : 24) << name;
    EXPECT_LE(std::max(p.width, p.height), 2048) << name;
    auto size = sizes.find(name);
    if (size != sizes.end()) {
      EXPECT_EQ(std::make_pair(p.width, p.height), size->second) << name;
    }
    // Black is the see-through key of the world's pictures: nothing else may
    // turn black in 16 bits.
    const bool keyed = name.find("Texture") == 0 || name.find("Building") == 0 ||
                       name == "Sprite.bmp" || name == "Earth2.bmp" || name == "Bullet.bmp";
    for (uint32_t t : p.argb) {
      const bool faint = ((t >> 16) & 0xFF) < 8 || ((t >> 8) & 0xFF) < 8 || (t & 0xFF) < 8;
      ASSERT_FALSE(keyed && !Black(t) && faint)
          << name << " has texels a 16-bit conversion would make see-through";
    }
  }
}

TEST(GeneratedPictures, TargetFramesSitWhereTheGameCutsThem) {
  // Targets: 4 x 2 frames, none empty, whose outer texels are see-through so
  // that neighbours never bleed in.
  for (const char* name : {"Texture4.bmp", "Texture5.bmp", "Bullet.bmp"}) {
    const Picture p = Read(name);
    ASSERT_TRUE(p.ok()) << name;
    const int fw = p.width / 4, fh = p.height / 2;
    for (int frame = 0; frame < 8; ++frame) {
      const int x0 = frame % 4 * fw, y0 = frame / 4 * fh;
      EXPECT_GT(CountNotBlack(p, x0, y0, x0 + fw, y0 + fh), fw * fh / 50) << name << frame;
      EXPECT_EQ(CountNotBlack(p, x0, y0, x0 + fw, y0 + fh) -
                    CountNotBlack(p, x0 + 1, y0 + 1, x0 + fw - 1, y0 + fh - 1),
                0)
          << name << " frame " << frame;
    }
  }
}

TEST(GeneratedPictures, TheKeyboardPictureMatchesTheGamesKeyTable) {
  const Picture p = Read("Keyboard.tga");
  ASSERT_TRUE(p.ok());
  const int cw = p.width / assetgen::kKeyColumns, ch = p.height / assetgen::kKeyRows;
  for (int r = 0; r < assetgen::kKeyRows; ++r)
    for (int c = 0; c < assetgen::kKeyColumns; ++c) {
      // The cell the game lights for a key is where the picture draws it.
      ASSERT_EQ(assetgen::KeyCode(r, c), KeyboardCode(r, c)) << r << "," << c;
      const uint32_t alpha = p.At(c * cw + cw / 2, r * ch + ch / 2) >> 24;
      if (KeyboardCode(r, c))
        EXPECT_GE(alpha, 200u) << "key cell " << r << "," << c;
      else
        EXPECT_LE(alpha, 160u) << "empty cell " << r << "," << c;
    }
  for (char letter = 'a'; letter <= 'z'; ++letter)
    EXPECT_EQ(KeyboardLitCells({letter}).size(), 16u) << letter;
}

TEST(Content, WordListsHoldRealWordsOfTheRightLengthsForEveryLetter) {
  const struct {
    const char* file;
    size_t minLength, maxLength;
  } rules[] = {{"easy.txt", 3, 5}, {"normal.txt", 5, 8}, {"difficult.txt", 8, 40}};
  for (const auto& rule : rules) {
    const std::string text = support::ReadFile(Content(rule.file));
    EXPECT_EQ(text.find('\r'), std::string::npos) << rule.file;
    std::istringstream lines(text);
    std::set<std::string> words;
    std::set<char> initials;
    for (std::string w; std::getline(lines, w);) {
      EXPECT_TRUE(words.insert(w).second) << rule.file << ": " << w << " twice";
      EXPECT_GE(w.size(), rule.minLength) << rule.file << ": " << w;
      EXPECT_LE(w.size(), rule.maxLength) << rule.file << ": " << w;
      for (size_t i = 0; i < w.size(); ++i)
        EXPECT_TRUE(i == 0 ? std::isalpha(static_cast<unsigned char>(w[i]))
                           : std::islower(static_cast<unsigned char>(w[i])))
            << rule.file << ": " << w;
      if (!w.empty()) initials.insert(static_cast<char>(std::tolower(w[0])));
    }
    EXPECT_GE(words.size(), 250u) << rule.file;
    EXPECT_EQ(initials.size(), 26u) << rule.file << " lacks words for some initial letter";
  }
}

}  // namespace
