#include "backend/sdl_picture.h"

#include "backend/stretch.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace platform {
namespace backend {
namespace sdl {

namespace {

// Whether an OpenGL renderer draws in software: composing with it would
// cost more than the whole frame of the game.
bool SoftwareOpenGl(const char* rendererName) {
  if (std::strncmp(rendererName, "opengl", 6) != 0) return false;
  using GetString = const unsigned char* (*)(unsigned);
  auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
  constexpr unsigned kGlRenderer = 0x1F01;
  const unsigned char* name = getString ? getString(kGlRenderer) : nullptr;
  if (!name) return false;
  const char* text = reinterpret_cast<const char*>(name);
  for (const char* software : {"llvmpipe", "softpipe", "Software Rasterizer", "swrast", "SWR"})
    if (std::strstr(text, software)) return true;
  return false;
}

void Union(int* top, int* bottom, int from, int to) {
  if (from >= to) return;
  if (*top >= *bottom) {
    *top = from;
    *bottom = to;
    return;
  }
  *top = std::min(*top, from);
  *bottom = std::max(*bottom, to);
}

}  // namespace

WindowPicture::Placement WindowPicture::Place(int outW, int outH, int width, int height) {
  const double fit =
      std::min(static_cast<double>(outW) / width, static_cast<double>(outH) / height);
  double scale = fit;
  bool nearest = false;
  if (fit >= 1.0) {
    const double whole = std::floor(fit);
    if (whole / fit >= 0.9) {
      scale = whole;
      nearest = true;
    }
  }
  Placement p;
  p.dest.w = static_cast<int>(std::lround(width * scale));
  p.dest.h = static_cast<int>(std::lround(height * scale));
  p.dest.x = (outW - p.dest.w) / 2;
  p.dest.y = (outH - p.dest.h) / 2;
  p.nearest = nearest;
  return p;
}

bool WindowPicture::Open(SDL_Window* window) {
  window_ = window;
  // The window's own surface is plain memory shown by the window system,
  // not a texture of another software renderer.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  if (OpenRenderer()) return true;
  vsync_ = false;
  // Colour-mapped displays (8 bits a pixel) are not drawn on: the game
  // needs 16, 24 or 32 bits a pixel, and says so.
  const SDL_Surface* surface = SDL_GetWindowSurface(window);
  return surface && !SDL_ISPIXELFORMAT_INDEXED(surface->format->format) &&
         surface->format->BitsPerPixel >= 15;
}

bool WindowPicture::OpenRenderer() {
  renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC);
  if (!renderer_) return false;
  SDL_RendererInfo info;
  if (SDL_GetRendererInfo(renderer_, &info) != 0 || !(info.flags & SDL_RENDERER_ACCELERATED) ||
      SoftwareOpenGl(info.name)) {
    SDL_DestroyRenderer(renderer_);
    renderer_ = nullptr;
    return false;
  }
  vsync_ = (info.flags & SDL_RENDERER_PRESENTVSYNC) != 0;
  return true;
}

void WindowPicture::Close() {
  if (texture_) SDL_DestroyTexture(texture_);
  if (renderer_) SDL_DestroyRenderer(renderer_);
  texture_ = nullptr;
  renderer_ = nullptr;
  window_ = nullptr;
  pixels_ = nullptr;
}

void WindowPicture::Update(const uint32_t* xrgb, int width, int height, int pitch, int top,
                           int bottom) {
  const bool sameSize = width == width_ && height == height_;
  pixels_ = xrgb;
  width_ = width;
  height_ = height;
  pitch_ = pitch;
  if (!sameSize) {
    top = 0;
    bottom = height;
    shownW_ = shownH_ = 0;  // the letterbox moves
  }
  Union(&dirtyTop_, &dirtyBottom_, top, bottom);
  Union(&uploadTop_, &uploadBottom_, top, bottom);
}

bool WindowPicture::Show(bool whole) {
  if (!window_) return false;
  const bool shown = renderer_ ? ShowRendered(whole) : ShowOnSurface(whole);
  dirtyTop_ = dirtyBottom_ = 0;
  return shown;
}

bool WindowPicture::ShowRendered(bool whole) {
  if (!whole && dirtyTop_ >= dirtyBottom_) return false;
  Compose();
  SDL_RenderPresent(renderer_);
  return true;
}

void WindowPicture::Compose() {
  if (pixels_ && (!texture_ || textureWidth_ != width_ || textureHeight_ != height_)) {
    if (texture_) SDL_DestroyTexture(texture_);
    texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING,
                                 width_, height_);
    textureWidth_ = texture_ ? width_ : 0;
    textureHeight_ = texture_ ? height_ : 0;
    uploadTop_ = 0;
    uploadBottom_ = height_;
  }
  if (texture_ && uploadTop_ < uploadBottom_) {
    const SDL_Rect rows{0, uploadTop_, width_, uploadBottom_ - uploadTop_};
    SDL_UpdateTexture(texture_, &rows, pixels_ + static_cast<size_t>(uploadTop_) * pitch_,
                      pitch_ * 4);
    uploadTop_ = uploadBottom_ = 0;
  }
  // The whole drawable, even if the renderer has not yet seen a size change.
  SDL_RenderSetViewport(renderer_, nullptr);
  SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
  SDL_RenderClear(renderer_);
  if (texture_) {
    int outW = 0, outH = 0;
    SDL_GetRendererOutputSize(renderer_, &outW, &outH);
    const Placement p = Place(outW, outH, textureWidth_, textureHeight_);
    SDL_SetTextureScaleMode(texture_, p.nearest ? SDL_ScaleModeNearest : SDL_ScaleModeLinear);
    SDL_RenderCopy(renderer_, texture_, nullptr, &p.dest);
  }
}

bool WindowPicture::ShowOnSurface(bool whole) {
  SDL_Surface* surface = SDL_GetWindowSurface(window_);
  if (!surface) return false;
  if (surface->w != shownW_ || surface->h != shownH_) whole = true;
  if (!whole && dirtyTop_ >= dirtyBottom_) return false;
  shownW_ = surface->w;
  shownH_ = surface->h;
  if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0) return false;
  const Uint32 black = SDL_MapRGB(surface->format, 0, 0, 0);
  if (!pixels_) {
    SDL_FillRect(surface, nullptr, black);
    if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
    SDL_UpdateWindowSurface(window_);
    return true;
  }
  const Placement p = Place(surface->w, surface->h, width_, height_);
  if (whole) {
    // Only the bars around the picture: the picture covers the rest.
    const SDL_Rect& d = p.dest;
    const SDL_Rect bars[4] = {{0, 0, surface->w, d.y},
                              {0, d.y + d.h, surface->w, surface->h - d.y - d.h},
                              {0, d.y, d.x, d.h},
                              {d.x + d.w, d.y, surface->w - d.x - d.w, d.h}};
    SDL_FillRects(surface, bars, 4, black);
  }
  const int top = whole ? 0 : dirtyTop_;
  const int bottom = whole ? height_ : dirtyBottom_;
  const bool samePixels = surface->format->format == SDL_PIXELFORMAT_RGB888 ||
                          surface->format->format == SDL_PIXELFORMAT_ARGB8888;
  const int scale = p.dest.w / width_;
  SDL_Rect changed = p.dest;
  if (samePixels && p.dest.x >= 0 && p.dest.y >= 0 && p.dest.w > 0 && p.dest.h > 0) {
    uint32_t* at = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(surface->pixels) +
                                               static_cast<size_t>(p.dest.y) * surface->pitch) +
                   p.dest.x;
    const int outPitch = surface->pitch / 4;
    if (p.nearest) {
      // Only the rows that changed.
      ScaleWhole(pixels_, width_, pitch_, top, bottom, scale, at, outPitch);
      changed.y = p.dest.y + top * scale;
      changed.h = (bottom - top) * scale;
    } else {
      ScaleLinear(pixels_, width_, height_, pitch_, at, p.dest.w, p.dest.h, outPitch, &rows_);
    }
  } else if (SDL_Surface* from =
                 SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(pixels_), width_, height_,
                                                    32, pitch_ * 4, SDL_PIXELFORMAT_RGB888)) {
    // Another pixel layout: converted by SDL's blitter, the nearest pixel.
    if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
    SDL_Rect dest = p.dest;
    SDL_BlitScaled(from, nullptr, surface, &dest);
    SDL_FreeSurface(from);
    if (SDL_MUSTLOCK(surface)) SDL_LockSurface(surface);
  }
  if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
  if (whole)
    SDL_UpdateWindowSurface(window_);
  else
    SDL_UpdateWindowSurfaceRects(window_, &changed, 1);
  return true;
}

bool WindowPicture::ReadBack(std::vector<uint32_t>* pixels, int* width, int* height) {
  if (!window_ || !pixels) return false;
  int w = 0, h = 0;
  bool ok = false;
  if (renderer_) {
    // Drawn again and read from the back buffer before it is shown.
    SDL_GetRendererOutputSize(renderer_, &w, &h);
    pixels->assign(static_cast<size_t>(w) * h, 0);
    Compose();
    ok = SDL_RenderReadPixels(renderer_, nullptr, SDL_PIXELFORMAT_ARGB8888, pixels->data(),
                              w * 4) == 0;
    SDL_RenderPresent(renderer_);
  } else {
    // What the window shows, not drawn again (unless its size changed).
    ShowOnSurface(false);
    SDL_Surface* surface = SDL_GetWindowSurface(window_);
    if (surface) {
      w = surface->w;
      h = surface->h;
      pixels->assign(static_cast<size_t>(w) * h, 0);
      ok = SDL_ConvertPixels(w, h, surface->format->format, surface->pixels, surface->pitch,
                             SDL_PIXELFORMAT_ARGB8888, pixels->data(), w * 4) == 0;
    }
  }
  if (width) *width = w;
  if (height) *height = h;
  return ok;
}

}  // namespace sdl
}  // namespace backend
}  // namespace platform
