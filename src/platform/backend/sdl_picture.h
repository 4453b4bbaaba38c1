// The picture shown in one native window and how it gets there: through an
// SDL renderer and a streaming texture where the renderer draws with the
// graphics hardware, or written straight into the window's own surface
// where drawing would only happen in software anyway (a software OpenGL
// such as llvmpipe costs many times more than copying the pixels).
// Either way it is scaled to fit with the aspect kept and letterboxed:
// whole-number scales (and ones close to them) use the nearest pixel so
// the picture stays sharp, others filter linearly.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <vector>

namespace platform {
namespace backend {
namespace sdl {

class WindowPicture {
 public:
  // Chooses the way for the window; false when neither works.
  bool Open(SDL_Window* window);
  void Close();
  // Whether showing waits for the display's vertical blank.
  bool Vsync() const { return vsync_; }
  // The picture (0xXXRRGGBB, the high byte ignored, rows of `pitch`
  // pixels) of which rows [top, bottom) changed since the last call. It
  // must stay in place until the next call: redraws read it again.
  void Update(const uint32_t* xrgb, int width, int height, int pitch, int top, int bottom);
  // Whether rows changed since the last show.
  bool Pending() const { return dirtyTop_ < dirtyBottom_; }
  // Shows the picture: everything when `whole` (the window's size or
  // content was disturbed), else only what changed since the last show,
  // and nothing at all when nothing did; false when nothing was shown.
  bool Show(bool whole);
  // The window's content at its native size (0xAARRGGBB).
  bool ReadBack(std::vector<uint32_t>* pixels, int* width, int* height);

 private:
  struct Placement {
    SDL_Rect dest;
    bool nearest;
  };
  static Placement Place(int outW, int outH, int width, int height);
  bool OpenRenderer();
  // Uploads what changed and draws the picture into the renderer.
  void Compose();
  bool ShowRendered(bool whole);
  bool ShowOnSurface(bool whole);

  SDL_Window* window_ = nullptr;
  SDL_Renderer* renderer_ = nullptr;  // null: the window surface is drawn
  SDL_Texture* texture_ = nullptr;
  int textureWidth_ = 0, textureHeight_ = 0;
  bool vsync_ = false;
  const uint32_t* pixels_ = nullptr;
  int width_ = 0, height_ = 0, pitch_ = 0;
  // Rows changed since the last show (top == bottom: none).
  int dirtyTop_ = 0, dirtyBottom_ = 0;
  // Rows the texture has not been given yet.
  int uploadTop_ = 0, uploadBottom_ = 0;
  int shownW_ = 0, shownH_ = 0;  // the window size last shown at
  std::vector<uint16_t> rows_;   // scratch of the linear scaling
};

}  // namespace sdl
}  // namespace backend
}  // namespace platform
