#include "KeyLayout.h"

#include <array>
#include <cstdio>

namespace assetgen {

namespace {

using Table = std::array<std::array<int, kKeyColumns>, kKeyRows>;

// Fills rows [row, row + 4) over columns [first, last].
void Span(Table& t, int row, int first, int last, int code) {
  for (int r = row; r < row + 4; ++r)
    for (int c = first; c <= last; ++c) t[r][c] = code;
}

// Keys four columns wide, side by side from column `first`.
void Keys(Table& t, int row, int first, const char* chars) {
  for (int i = 0; chars[i]; ++i)
    Span(t, row, first + 4 * i, first + 4 * i + 3, static_cast<unsigned char>(chars[i]));
}

Table Build() {
  Table t{};
  // Function row: Esc, then F1–F12 in groups of four.
  Span(t, 2, 2, 5, 256);
  for (int i = 0; i < 4; ++i) Span(t, 2, 9 + 4 * i, 12 + 4 * i, 272 + i);
  for (int i = 0; i < 4; ++i) Span(t, 2, 27 + 4 * i, 30 + 4 * i, 276 + i);
  for (int i = 0; i < 4; ++i) Span(t, 2, 46 + 4 * i, 49 + 4 * i, 280 + i);
  // Number row.
  Span(t, 8, 2, 5, 257);
  Keys(t, 8, 6, "1234567890-^\\");
  Span(t, 8, 58, 61, 262);
  // Letter rows; the Enter key (10) spans the first two of them.
  Span(t, 12, 2, 7, 263);
  Keys(t, 12, 8, "qwertyuiop@[");
  Span(t, 12, 56, 61, 10);
  Span(t, 16, 2, 8, 259);
  Keys(t, 16, 9, "asdfghjkl;:]");
  Span(t, 16, 57, 61, 10);
  Span(t, 20, 2, 10, 260);
  Keys(t, 20, 11, "zxcvbnm,./\\");
  Span(t, 20, 55, 61, 260);
  // Bottom row.
  Span(t, 24, 2, 6, 258);
  Span(t, 24, 7, 10, 287);
  Span(t, 24, 11, 15, 261);
  Span(t, 24, 16, 19, 264);
  Span(t, 24, 20, 35, ' ');
  Span(t, 24, 36, 39, 265);
  Span(t, 24, 40, 43, 266);
  Span(t, 24, 44, 48, 261);
  Span(t, 24, 49, 52, 287);
  Span(t, 24, 53, 56, 288);
  Span(t, 24, 57, 61, 258);
  return t;
}

const Table& Get() {
  static const Table table = Build();
  return table;
}

}  // namespace

int KeyCode(int row, int column) {
  if (row < 0 || row >= kKeyRows || column < 0 || column >= kKeyColumns) return 0;
  return Get()[row][column];
}

std::string KeyLegend(int code) {
  switch (code) {
    case 10:
      return "Enter";
    case 32:
      return "";
    case 256:
      return "Esc";
    case 257:
      return "H/Z";
    case 258:
      return "Ctrl";
    case 259:
      return "Caps";
    case 260:
      return "Shift";
    case 261:
      return "Alt";
    case 262:
      return "BS";
    case 263:
      return "Tab";
    case 264:
      return "NoCv";
    case 265:
      return "Conv";
    case 266:
      return "Kana";
    case 287:
      return "Win";
    case 288:
      return "Menu";
    default:
      break;
  }
  if (code >= 272 && code <= 283) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "F%d", code - 271);
    return buf;
  }
  if (code >= 'a' && code <= 'z') return std::string(1, static_cast<char>(code - 'a' + 'A'));
  if (code > 32 && code < 127) return std::string(1, static_cast<char>(code));
  return "";
}

}  // namespace assetgen
