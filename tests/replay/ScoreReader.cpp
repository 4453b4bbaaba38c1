#include "ScoreReader.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <limits>

namespace replay {
namespace {

const int kCell = 32;
const int kBlankImage = 11;
// Width of a digit image as a share of the sprite sheet (0.0623047).
const double kDigitWidth = 0x1.fe6666p-5;

uint32_t Read32(const unsigned char* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

struct Sheets {
  std::vector<uint32_t> sprite, background;
  int spriteWidth = 0, spriteHeight = 0, backgroundWidth = 0, backgroundHeight = 0;
};

bool Bright(uint32_t pixel) {
  return ((pixel >> 16) & 0xFF) + ((pixel >> 8) & 0xFF) + (pixel & 0xFF) > 300;
}

// Pixels of a cell at (left, top) whose brightness differs from digit image
// j's, at the best of the small shifts that filtering may cause. The score
// picture is dark under the cells, so only the digit's strokes are bright.
int Mismatch(const Sheets& sheets, const std::vector<uint32_t>& pixels, int width, int left,
             int top, int image) {
  int best = std::numeric_limits<int>::max();
  for (int dy = -1; dy <= 1; ++dy) {
    for (int dx = -1; dx <= 1; ++dx) {
      int total = 0;
      for (int y = 0; y < kCell; ++y) {
        int sy = static_cast<int>((image + (y + 0.5) / kCell) * sheets.spriteHeight / 16) + dy;
        for (int x = 0; x < kCell; ++x) {
          int sx = static_cast<int>((x + 0.5) / kCell * kDigitWidth * sheets.spriteWidth) + dx;
          bool inside = sx >= 0 && sy >= 0 && sx < sheets.spriteWidth && sy < sheets.spriteHeight;
          bool expected = inside && Bright(sheets.sprite[sy * sheets.spriteWidth + sx]);
          if (expected != Bright(pixels[(top + y) * width + left + x])) ++total;
        }
      }
      best = std::min(best, total);
    }
  }
  return best;
}

bool ReadRow(const Sheets& sheets, const std::vector<uint32_t>& pixels, int width, int height,
             int firstColumn, int cells, int rowTop, long* value, std::string* problem) {
  *value = 0;
  bool started = false;
  for (int cell = 0; cell < cells; ++cell) {
    int left = width * (firstColumn + cell) * kCell / 640;
    int top = height * rowTop / 480;
    int best = -1, bestScore = std::numeric_limits<int>::max();
    int second = std::numeric_limits<int>::max();
    for (int image : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, kBlankImage}) {
      int score = Mismatch(sheets, pixels, width, left, top, image);
      if (score < bestScore) {
        second = bestScore;
        bestScore = score;
        best = image;
      } else if (score < second) {
        second = score;
      }
    }
    // Filtering softens the strokes' edges, so a few dozen pixels differ even
    // for the right image; a wrong one differs in many more.
    if (bestScore > 64 || second < bestScore + 16) {
      *problem = "cell " + std::to_string(firstColumn + cell) + " of the row at " +
                 std::to_string(rowTop) + " matches no digit clearly";
      return false;
    }
    if (best == kBlankImage) {
      if (started) {
        *problem = "a blank inside the number of the row at " + std::to_string(rowTop);
        return false;
      }
      continue;
    }
    started = true;
    *value = *value * 10 + best;
  }
  return true;
}

}  // namespace

bool ReadBmp(const std::string& path, std::vector<uint32_t>* pixels, int* width, int* height) {
  std::ifstream file(path, std::ios::binary);
  std::vector<unsigned char> data((std::istreambuf_iterator<char>(file)),
                                  std::istreambuf_iterator<char>());
  if (data.size() < 54 || data[0] != 'B' || data[1] != 'M') return false;
  uint32_t offset = Read32(&data[10]);
  int w = static_cast<int>(Read32(&data[18]));
  int h = static_cast<int>(Read32(&data[22]));
  int bits = data[28] | (data[29] << 8);
  uint32_t compression = Read32(&data[30]);
  if ((bits != 24 && bits != 32) || compression != 0 || w <= 0 || h == 0) return false;
  bool bottomUp = h > 0;
  h = std::abs(h);
  size_t pitch = ((static_cast<size_t>(w) * bits / 8) + 3) & ~static_cast<size_t>(3);
  if (offset + pitch * h > data.size()) return false;
  pixels->assign(static_cast<size_t>(w) * h, 0);
  for (int y = 0; y < h; ++y) {
    const unsigned char* row = &data[offset + pitch * (bottomUp ? h - 1 - y : y)];
    for (int x = 0; x < w; ++x) {
      const unsigned char* p = row + x * bits / 8;
      (*pixels)[static_cast<size_t>(y) * w + x] = p[0] | (p[1] << 8) | (p[2] << 16);
    }
  }
  *width = w;
  *height = h;
  return true;
}

bool ReadScoreScreen(const std::vector<uint32_t>& pixels, int width, int height,
                     ScoreNumbers* numbers, std::string* problem) {
  if (pixels.size() != static_cast<size_t>(width) * height || width < 640 || height < 480) {
    *problem = "no picture to read";
    return false;
  }
  Sheets sheets;
  if (!ReadBmp("BMP/Sprite.bmp", &sheets.sprite, &sheets.spriteWidth, &sheets.spriteHeight) ||
      !ReadBmp("BMP/Score.bmp", &sheets.background, &sheets.backgroundWidth,
               &sheets.backgroundHeight)) {
    *problem = "cannot read BMP/Sprite.bmp or BMP/Score.bmp";
    return false;
  }
  return ReadRow(sheets, pixels, width, height, 10, 6, 96, &numbers->score, problem) &&
         ReadRow(sheets, pixels, width, height, 10, 6, 192, &numbers->shots, problem) &&
         ReadRow(sheets, pixels, width, height, 10, 6, 288, &numbers->hits, problem) &&
         ReadRow(sheets, pixels, width, height, 13, 3, 384, &numbers->rate, problem);
}

}  // namespace replay
