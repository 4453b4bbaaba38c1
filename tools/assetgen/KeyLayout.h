// The on-screen keyboard's key table: the lower half of the screen is a grid
// of 64 columns × 30 rows, and each cell holds the code of the key drawn under
// it in "Keyboard.tga" (0 where there is no key). Codes 1–255 are the
// characters the key types (letters in lower case); 256 and up are keys that
// type nothing.
#pragma once

#include <string>

namespace assetgen {

constexpr int kKeyColumns = 64;
constexpr int kKeyRows = 30;

// Code of the key at grid cell (row, column), or 0.
int KeyCode(int row, int column);
// Legend printed on the key with this code ("Esc", "Q", "Enter", …).
std::string KeyLegend(int code);

}  // namespace assetgen
