// Draws the game's pictures into a folder:
//   assetgen OUTPUT_DIR [--icon ICO_FILE] [--preview PNG_DIR]
// Every file is written in the format the texture registry reads; with
// --icon the program's icon is written too; with --preview a PNG copy of
// each picture goes to PNG_DIR for looking at.
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
  auto usage = [&] {
    std::fprintf(stderr, "usage: %s OUTPUT_DIR [--icon ICO_FILE] [--preview PNG_DIR]\n", argv[0]);
    return 2;
  };
  std::string out, icon, preview;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--icon" && i + 1 < argc)
      icon = argv[++i];
    else if (arg == "--preview" && i + 1 < argc)
      preview = argv[++i];
    else if (out.empty() && arg.rfind("--", 0) != 0)
      out = arg;
    else
      return usage();
  }
  if (out.empty()) return usage();

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
  if (!icon.empty()) {
    // The sizes the desktop asks for: window captions and task bars (16, 32),
    // icon views (48) and the Linux window manager's larger tiles (64).
    std::vector<Image> sizes;
    for (int size : {16, 32, 48, 64}) sizes.push_back(MakeIcon(size));
    if (!SaveIco(sizes, icon)) {
      std::fprintf(stderr, "cannot write %s\n", icon.c_str());
      ++failures;
    }
    if (!preview.empty()) sizes.back().SavePng(preview + "/Icon.png");
  }
  TTF_Quit();
  SDL_Quit();
  return failures ? 1 : 0;
}
