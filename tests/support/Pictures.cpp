#include "support/Pictures.h"

#include <SDL.h>

#include "d3dframe/d3dtextr.h"
#include "d3dframe/d3dtextr_entry.h"

namespace support {

namespace {

Picture ReadBmp(const std::string& path) {
  Picture picture;
  SDL_Surface* file = SDL_LoadBMP(path.c_str());
  if (!file) return picture;
  picture.bitsPerPixel = file->format->BitsPerPixel;
  SDL_Surface* argb = SDL_ConvertSurfaceFormat(file, SDL_PIXELFORMAT_ARGB8888, 0);
  SDL_FreeSurface(file);
  if (!argb) return picture;
  picture.width = argb->w;
  picture.height = argb->h;
  picture.argb.resize(static_cast<size_t>(argb->w) * argb->h);
  for (int y = 0; y < argb->h; ++y) {
    const uint32_t* row = reinterpret_cast<const uint32_t*>(
        static_cast<const uint8_t*>(argb->pixels) + static_cast<size_t>(y) * argb->pitch);
    for (int x = 0; x < argb->w; ++x) picture.argb[static_cast<size_t>(y) * argb->w + x] = row[x];
  }
  SDL_FreeSurface(argb);
  return picture;
}

Picture ReadTga(const std::string& path) {
  Picture picture;
  TextureEntry entry{};
  if (D3DTextr_ReadTarga(path.c_str(), &entry) == S_OK) {
    picture.width = static_cast<int>(entry.width);
    picture.height = static_cast<int>(entry.height);
    picture.bitsPerPixel = static_cast<int>(entry.bitsPerPixel);
    // The reader gives 0xRRGGBBAA, top row first.
    for (size_t i = 0; i < static_cast<size_t>(entry.width) * entry.height; ++i)
      picture.argb.push_back(entry.rgba[i] >> 8 | entry.rgba[i] << 24);
  }
  delete[] entry.rgba;
  return picture;
}

}  // namespace

Picture ReadPicture(const std::string& path) {
  const bool tga = path.size() > 4 && (path.compare(path.size() - 4, 4, ".tga") == 0 ||
                                       path.compare(path.size() - 4, 4, ".TGA") == 0);
  return tga ? ReadTga(path) : ReadBmp(path);
}

}  // namespace support
