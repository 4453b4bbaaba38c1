#include "backend/png.h"

#include <png.h>

#include <cstdio>
#include <memory>

namespace platform {

namespace {
struct FileCloser {
  void operator()(FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<FILE, FileCloser>;
}  // namespace

bool WritePng(const std::string& path, const uint32_t* argb, int width, int height, int pitch,
              bool withAlpha) {
  if (!argb || width <= 0 || height <= 0) return false;
  File file(std::fopen(path.c_str(), "wb"));
  if (!file) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    return false;
  }
  const int channels = withAlpha ? 4 : 3;
  std::vector<png_byte> row(static_cast<size_t>(width) * channels);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_init_io(png, file.get());
  png_set_IHDR(png, info, width, height, 8, withAlpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < height; ++y) {
    const uint32_t* src = argb + static_cast<size_t>(y) * pitch;
    png_byte* out = row.data();
    for (int x = 0; x < width; ++x) {
      const uint32_t p = src[x];
      *out++ = static_cast<png_byte>(p >> 16);
      *out++ = static_cast<png_byte>(p >> 8);
      *out++ = static_cast<png_byte>(p);
      if (withAlpha) *out++ = static_cast<png_byte>(p >> 24);
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

bool ReadPng(const std::string& path, std::vector<uint32_t>* argb, int* width, int* height) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
  image.format = PNG_FORMAT_BGRA;  // little-endian bytes B, G, R, A = 0xAARRGGBB words
  std::vector<uint32_t> pixels(static_cast<size_t>(image.width) * image.height);
  if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) {
    png_image_free(&image);
    return false;
  }
  *width = static_cast<int>(image.width);
  *height = static_cast<int>(image.height);
  *argb = std::move(pixels);
  return true;
}

}  // namespace platform
