// The scene file reader with whatever bytes: the stage built from it is
// played for three minutes by a typist and drawn now and then.
#include <cstddef>
#include <cstdint>
#include <string>

#include "Application.h"
#include "Classes/SceneGame/SceneGame.h"
#include "FuzzGame.h"
#include "StageFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::StartGame();
  static const std::string path = fuzz::WriteInput("Data/path.txt", fuzz::kLongPath);
  static const std::string words = fuzz::WriteInput("Data/words.txt", fuzz::kWords);
  const std::string scene = fuzz::WriteInput("Data/scene.txt", data, size);
  CApplication::GetInstance()->GetPlayerStatus()->Reset();
  CSceneGame game(scene, path, words, size % 2 == 1);
  fuzz::PlayStage(game, 180000, 500, 60, static_cast<uint32_t>(size));
  return 0;
}
