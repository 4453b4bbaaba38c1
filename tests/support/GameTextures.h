// The pictures the game loads from BMP/ by name: the twenty it registers at
// start-up (with the buffer "empty.bmp", which has no file) and the glyph
// sheet the word labels are cut from. Enemy pictures are named by the scene
// files and come on top.
#pragma once

#include <string>
#include <vector>

namespace support {

inline const std::vector<std::string>& GamePictureFiles() {
  static const std::vector<std::string> files = {
      "Texture4.bmp",   "Texture5.bmp",   "Building1a.bmp", "Building2a.bmp", "Building3a.bmp",
      "Building4a.bmp", "Building5a.bmp", "Building6a.bmp", "Sprite.bmp",     "Frame.tga",
      "Earth2.bmp",     "Bullet.bmp",     "Sight.bmp",      "Sky1.bmp",       "LevelSelect.bmp",
      "Keyboard.tga",   "Title2.bmp",     "NowLoading.bmp", "Score.bmp",      "Letter.bmp"};
  return files;
}

}  // namespace support
