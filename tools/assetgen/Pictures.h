// Every picture the game loads, one function each.
#pragma once

#include "Image.h"

namespace assetgen {

// Full-screen pictures (640 × 480).
Image MakeSky();
Image MakeTitle();
Image MakeLevelSelect();
Image MakeScore();
Image MakeNowLoading();

// Sheets cut up by the game.
Image MakeLetters();  // 512 × 256 glyph sheet
Image MakeSprite();   // 512 × 512 panel sheet: digits, ammunition and life icons
Image MakeSight();

// 4 × 2 animation grids: living frames on top, explosion below.
Image MakeEnemyA();  // "Texture4.bmp"
Image MakeEnemyB();  // "Texture5.bmp"
Image MakeBullet();

// The city: wall strips wrapped once around a box, and the ground tile.
Image MakeBuilding(int which);  // 1 … 6
Image MakeGround();

// Translucent overlays written as 32-bit TGA.
Image MakeFrame();
Image MakeKeyboard();

// The program's icon at one size (square, with alpha), written into an .ico
// with SaveIco.
Image MakeIcon(int size);

// Colour of every letter texel in the glyph sheet (the rest is pure white).
constexpr Color kLetterColor{255, 214, 64, 255};

}  // namespace assetgen
