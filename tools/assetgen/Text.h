// Type drawn with SDL_ttf and the DejaVu fonts.
#pragma once

#include <string>

#include "Image.h"

typedef struct _TTF_Font TTF_Font;

namespace assetgen {

// Folder of the DejaVu fonts; VOSKAR_FONT_DIR overrides the system folder.
std::string FontDir();

class Font {
 public:
  // file is a name in FontDir(), e.g. "DejaVuSans-Bold.ttf".
  Font(const std::string& file, int pointSize);
  ~Font();
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;

  bool ok() const { return font_ != nullptr; }
  TTF_Font* get() const { return font_; }
  int Width(const std::string& text) const;
  int Height() const;

 private:
  TTF_Font* font_ = nullptr;
};

enum class Align { kLeft, kCenter, kRight };

// Anti-aliased text: alpha is the glyph coverage, colour c.
Image RenderText(const Font& font, const std::string& text, Color c);
// Hard-edged text: every texel either transparent or exactly c.
Image RenderTextSolid(const Font& font, const std::string& text, Color c);

// Draws text with its top at y; x is the left, centre or right edge. With an
// outline width, a dark rim of that many pixels is drawn under the letters.
void DrawText(Image& image, const Font& font, const std::string& text, int x, int y, Color c,
              Align align = Align::kLeft, int outline = 0, Color outlineColor = Rgb(0x080810));
// Soft coloured glow behind text (blurred copy added to the picture).
void DrawTextGlow(Image& image, const Font& font, const std::string& text, int x, int y, Color c,
                  Align align, int radius, float strength);

}  // namespace assetgen
