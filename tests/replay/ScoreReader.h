// Reads the four numbers of a presented score screen (score, rounds fired,
// correct letters, hit rate) back from its pixels, the way a player reads
// them: each 32 x 32 digit cell is matched against the digit images of
// "BMP/Sprite.bmp", and the best match wins.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace replay {

struct ScoreNumbers {
  long score = 0, shots = 0, hits = 0, rate = 0;
};

// False, with the reason, when the sheet cannot be read or a cell matches no
// image clearly. A row of blank cells reads as 0.
bool ReadScoreScreen(const std::vector<uint32_t>& pixels, int width, int height,
                     ScoreNumbers* numbers, std::string* problem);

}  // namespace replay
