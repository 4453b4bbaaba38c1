// Draws the game's pictures into a folder:
//   assetgen OUTPUT_DIR [--preview PNG_DIR]
// Every file is written in the format the texture registry reads; with
// --preview a PNG copy of each goes to PNG_DIR for looking at.
#include <SDL.h>
#include <SDL_ttf.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "Pictures.h"

using namespace assetgen;

namespace {

struct Entry {
  const char* name;
  std::function<Image()> make;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_DIR [--preview PNG_DIR]\n", argv[0]);
    return 2;
  }
  std::string out = argv[1];
  std::string preview;
  if (argc >= 4 && std::string(argv[2]) == "--preview") preview = argv[3];

  if (TTF_Init() != 0) {
    std::fprintf(stderr, "TTF_Init: %s\n", TTF_GetError());
    return 1;
  }
  const std::vector<Entry> entries = {
      {"Texture4.bmp", MakeEnemyA},
      {"Texture5.bmp", MakeEnemyB},
      {"Building1a.bmp", [] { return MakeBuilding(1); }},
      {"Building2a.bmp", [] { return MakeBuilding(2); }},
      {"Building3a.bmp", [] { return MakeBuilding(3); }},
      {"Building4a.bmp", [] { return MakeBuilding(4); }},
      {"Building5a.bmp", [] { return MakeBuilding(5); }},
      {"Building6a.bmp", [] { return MakeBuilding(6); }},
      {"Sprite.bmp", MakeSprite},
      {"Frame.tga", MakeFrame},
      {"Earth2.bmp", MakeGround},
      {"Bullet.bmp", MakeBullet},
      {"Sight.bmp", MakeSight},
      {"Sky1.bmp", MakeSky},
      {"LevelSelect.bmp", MakeLevelSelect},
      {"Keyboard.tga", MakeKeyboard},
      {"Title2.bmp", MakeTitle},
      {"NowLoading.bmp", MakeNowLoading},
      {"Score.bmp", MakeScore},
      {"Letter.bmp", MakeLetters},
  };
  int failures = 0;
  for (const Entry& e : entries) {
    Image image = e.make();
    std::string name = e.name;
    bool tga = name.size() > 4 && name.substr(name.size() - 4) == ".tga";
    std::string path = out + "/" + name;
    bool ok = tga ? image.SaveTga(path) : image.SaveBmp(path);
    if (!ok) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      ++failures;
    }
    if (!preview.empty()) image.SavePng(preview + "/" + name.substr(0, name.size() - 4) + ".png");
  }
  TTF_Quit();
  SDL_Quit();
  return failures ? 1 : 0;
}
