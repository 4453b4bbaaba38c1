#include "ScoreReader.h"

#include <algorithm>
#include <limits>

#include "support/Pictures.h"

namespace replay {
namespace {

const int kCell = 32;
const int kBlankImage = 11;
// Width of a digit image as a share of the sprite sheet (0.0623047).
const double kDigitWidth = 0x1.fe6666p-5;

bool Bright(uint32_t pixel) {
  return ((pixel >> 16) & 0xFF) + ((pixel >> 8) & 0xFF) + (pixel & 0xFF) > 300;
}

// Pixels of a cell at (left, top) whose brightness differs from digit image
// `image`, at the best of the small shifts that filtering may cause. The
// score picture is dark under the cells, so only the digit's strokes are
// bright.
int Mismatch(const support::Picture& sprite, const std::vector<uint32_t>& pixels, int width,
             int left, int top, int image) {
  int best = std::numeric_limits<int>::max();
  for (int dy = -1; dy <= 1; ++dy) {
    for (int dx = -1; dx <= 1; ++dx) {
      int total = 0;
      for (int y = 0; y < kCell; ++y) {
        const int sy = static_cast<int>((image + (y + 0.5) / kCell) * sprite.height / 16) + dy;
        for (int x = 0; x < kCell; ++x) {
          const int sx = static_cast<int>((x + 0.5) / kCell * kDigitWidth * sprite.width) + dx;
          const bool inside = sx >= 0 && sy >= 0 && sx < sprite.width && sy < sprite.height;
          if ((inside && Bright(sprite.At(sx, sy))) != Bright(pixels[(top + y) * width + left + x]))
            ++total;
        }
      }
      best = std::min(best, total);
    }
  }
  return best;
}

bool ReadRow(const support::Picture& sprite, const std::vector<uint32_t>& pixels, int width,
             int height, int firstColumn, int cells, int rowTop, long* value,
             std::string* problem) {
  *value = 0;
  bool started = false;
  for (int cell = 0; cell < cells; ++cell) {
    const int left = width * (firstColumn + cell) * kCell / 640;
    const int top = height * rowTop / 480;
    int best = -1, bestScore = std::numeric_limits<int>::max();
    int second = std::numeric_limits<int>::max();
    for (int image : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, kBlankImage}) {
      const int score = Mismatch(sprite, pixels, width, left, top, image);
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
    // Leading cells stay blank, and 0 leaves the whole row blank: a number
    // never starts with a zero.
    if (!started && best == 0) {
      *problem = "a leading zero in the row at " + std::to_string(rowTop);
      return false;
    }
    started = true;
    *value = *value * 10 + best;
  }
  return true;
}

}  // namespace

bool ReadScoreScreen(const std::vector<uint32_t>& pixels, int width, int height,
                     ScoreNumbers* numbers, std::string* problem) {
  if (pixels.size() != static_cast<size_t>(width) * height || width < 640 || height < 480) {
    *problem = "no picture to read";
    return false;
  }
  const support::Picture sprite = support::ReadPicture("BMP/Sprite.bmp");
  if (!sprite.ok()) {
    *problem = "cannot read BMP/Sprite.bmp";
    return false;
  }
  return ReadRow(sprite, pixels, width, height, 10, 6, 96, &numbers->score, problem) &&
         ReadRow(sprite, pixels, width, height, 10, 6, 192, &numbers->shots, problem) &&
         ReadRow(sprite, pixels, width, height, 10, 6, 288, &numbers->hits, problem) &&
         ReadRow(sprite, pixels, width, height, 13, 3, 384, &numbers->rate, problem);
}

}  // namespace replay
