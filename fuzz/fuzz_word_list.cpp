// The word list loader with whatever bytes: the generator must only hand out
// words that begin with a free letter, and a stage with more enemies than
// letters must keep its letter books straight while a typist plays it.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>

#include "Application.h"
#include "Classes/SceneGame/SceneGame.h"
#include "Classes/SceneGame/WordGenerator.h"
#include "FuzzGame.h"
#include "StageFiles.h"

namespace {

// Twenty-eight enemies whose windows all overlap from 1 s to 20 s: more
// targets than there are letters.
std::string CrowdedScene() {
  std::string text = "scene{ texture Texture4.bmp\n";
  for (int i = 0; i < 28; ++i) {
    text += "enemy{ position " + std::to_string(i % 10 - 5) + " 0 " + std::to_string(10 + i / 10) +
            " time " + std::to_string(900 + 10 * i) + " 20000 }\n";
  }
  return text + "}\n";
}

void CheckGenerator(const std::string& words, uint32_t seed) {
  CWordGenerator generator(words);
  std::set<char> freeLetters;
  for (char c = 'a'; c <= 'z'; ++c) freeLetters.insert(c);
  // Take letters away one by one, as targets do, until none is left.
  for (int round = 0; round < 40; ++round) {
    const bool single = round % 5 == 4;
    std::string word = generator.GetWord(freeLetters, 1, single ? 1 : -1);
    if (word.empty()) {
      if (single && !freeLetters.empty()) fuzz::Fail("no single letter with letters free");
      continue;
    }
    char initial = static_cast<char>(std::tolower(static_cast<unsigned char>(word[0])));
    if (!freeLetters.count(initial)) fuzz::Fail("a word for a letter that is not free: " + word);
    if (single && word.size() != 1) fuzz::Fail("a single letter asked, a word given");
    if (word.size() > 255) fuzz::Fail("a word longer than a line may be");
    if ((seed + round) % 3 != 0) freeLetters.erase(initial);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::StartGame();
  static const std::string path = fuzz::WriteInput("Data/path.txt", fuzz::kLongPath);
  static const std::string scene = fuzz::WriteInput("Data/crowd.txt", CrowdedScene());
  const std::string words = fuzz::WriteInput("Data/words.txt", data, size);
  CheckGenerator(words, static_cast<uint32_t>(size));
  CApplication::GetInstance()->GetPlayerStatus()->Reset();
  CSceneGame game(scene, path, words, size % 2 == 0);
  // Not drawn: the labels' words are still written into their surfaces, and
  // drawing them is the scene file target's business.
  fuzz::PlayStage(game, 21000, 500, 0, static_cast<uint32_t>(size) * 7u);
  return 0;
}
