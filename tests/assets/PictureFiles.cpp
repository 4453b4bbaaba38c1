#include "PictureFiles.h"

#include <SDL.h>

#include <fstream>
#include <iterator>

std::string PicturePath(const std::string& name) {
  return std::string(VOSKAR_PICTURE_DIR) + "/" + name;
}

Picture LoadBitmap(const std::string& path) {
  Picture pic;
  SDL_Surface* s = SDL_LoadBMP(path.c_str());
  if (!s) return pic;
  pic.bitsPerPixel = s->format->BitsPerPixel;
  SDL_Surface* rgba = SDL_ConvertSurfaceFormat(s, SDL_PIXELFORMAT_ABGR8888, 0);
  SDL_FreeSurface(s);
  if (!rgba) return pic;
  pic.width = rgba->w;
  pic.height = rgba->h;
  pic.texels.resize(size_t(pic.width) * pic.height);
  for (int y = 0; y < pic.height; ++y) {
    const auto* row = static_cast<const uint8_t*>(rgba->pixels) + y * rgba->pitch;
    for (int x = 0; x < pic.width; ++x)
      pic.texels[y * pic.width + x] = Texel{row[4 * x], row[4 * x + 1], row[4 * x + 2], 255};
  }
  SDL_FreeSurface(rgba);
  return pic;
}

Picture ParseTga(const std::vector<uint8_t>& d) {
  Picture pic;
  if (d.size() < 18 || d[1] != 0 || (d[2] != 2 && d[2] != 10)) return pic;
  int w = d[12] | d[13] << 8, h = d[14] | d[15] << 8, bpp = d[16];
  bool topFirst = d[17] & 0x20;
  int bytes = bpp == 32 ? 4 : 3;
  size_t pos = 18 + d[0];
  std::vector<Texel> tex(size_t(w) * h);
  auto read = [&](Texel& t) {
    if (pos + bytes > d.size()) return false;
    t = Texel{d[pos + 2], d[pos + 1], d[pos], uint8_t(bytes == 4 ? d[pos + 3] : 255)};
    pos += bytes;
    return true;
  };
  for (int y = 0; y < h; ++y) {
    int row = topFirst ? y : h - 1 - y;
    int x = 0;
    while (x < w) {
      if (d[2] == 2) {
        if (!read(tex[row * w + x])) return pic;
        ++x;
        continue;
      }
      if (pos >= d.size()) return pic;
      int head = d[pos++];
      int count = (head & 0x7F) + 1;
      // A packet crossing the row end is a fault of the writer.
      if (x + count > w) return pic;
      if (head & 0x80) {
        Texel t;
        if (!read(t)) return pic;
        for (int i = 0; i < count; ++i) tex[row * w + x++] = t;
      } else {
        for (int i = 0; i < count; ++i)
          if (!read(tex[row * w + x++])) return pic;
      }
    }
  }
  pic.width = w;
  pic.height = h;
  pic.bitsPerPixel = bpp;
  pic.tgaType = d[2];
  pic.texels = std::move(tex);
  return pic;
}

Picture LoadTga(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                             std::istreambuf_iterator<char>());
  return ParseTga(bytes);
}
