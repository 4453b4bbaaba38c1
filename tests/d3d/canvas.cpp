#include "canvas.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "backend/png.h"

namespace d3dtest {

Canvas::Canvas(int width, int height, int colorBytes, int depthBytes, uint32_t zMask)
    : width_(width),
      height_(height),
      colorBytes_(colorBytes),
      depthBytes_(depthBytes),
      zMask_(depthBytes == 2 ? 0xFFFF : zMask),
      color_(static_cast<size_t>(width) * height * colorBytes),
      depth_(static_cast<size_t>(width) * height * (depthBytes ? depthBytes : 1)) {
  Clear(0xFF000000u);
}

DrawTarget Canvas::Target() const {
  DrawTarget t;
  t.color.bits = color_.data();
  t.color.pitch = width_ * colorBytes_;
  t.color.width = width_;
  t.color.height = height_;
  t.color.bytesPerPixel = colorBytes_;
  if (colorBytes_ == 2) {
    t.color.rMask = 0xF800;
    t.color.gMask = 0x07E0;
    t.color.bMask = 0x001F;
  }
  if (depthBytes_) {
    t.depth.bits = depth_.data();
    t.depth.pitch = width_ * depthBytes_;
    t.depth.width = width_;
    t.depth.height = height_;
    t.depth.bytesPerPixel = depthBytes_;
    t.depth.zMask = zMask_;
  }
  t.viewport = {0, 0, width_, height_, 0.0f, 1.0f};
  return t;
}

uint32_t Canvas::Pixel(int x, int y) const {
  const uint8_t* p = color_.data() + (static_cast<size_t>(y) * width_ + x) * colorBytes_;
  if (colorBytes_ == 4) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v & 0xFFFFFF;
  }
  uint16_t v;
  std::memcpy(&v, p, 2);
  const uint32_t r = (v >> 11) & 31, g = (v >> 5) & 63, b = v & 31;
  return (((r << 3) | (r >> 2)) << 16) | (((g << 2) | (g >> 4)) << 8) | ((b << 3) | (b >> 2));
}

uint32_t Canvas::Depth(int x, int y) const {
  const uint8_t* p = depth_.data() + (static_cast<size_t>(y) * width_ + x) * depthBytes_;
  if (depthBytes_ == 2) {
    uint16_t v;
    std::memcpy(&v, p, 2);
    return v;
  }
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v & zMask_;
}

std::vector<uint32_t> Canvas::Pixels() const {
  std::vector<uint32_t> out(static_cast<size_t>(width_) * height_);
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x)
      out[static_cast<size_t>(y) * width_ + x] = 0xFF000000u | Pixel(x, y);
  return out;
}

void Canvas::Clear(uint32_t argb, float z) {
  const DrawTarget t = Target();
  Rasterizer::ClearColor(t.color, 0, 0, width_, height_, argb);
  Rasterizer::ClearDepth(t.depth, 0, 0, width_, height_, z);
}

D3DTLVERTEX Tl(float x, float y, float z, float rhw, D3DCOLOR color, float u, float v) {
  D3DTLVERTEX t;
  t.sx = x;
  t.sy = y;
  t.sz = z;
  t.rhw = rhw;
  t.color = color;
  t.specular = 0;
  t.tu = u;
  t.tv = v;
  return t;
}

DDPIXELFORMAT RgbFormat(int bits, uint32_t r, uint32_t g, uint32_t b, uint32_t a) {
  DDPIXELFORMAT f{};
  f.dwSize = sizeof(f);
  f.dwFlags = DDPF_RGB | (a ? DDPF_ALPHAPIXELS : 0);
  f.dwRGBBitCount = static_cast<DWORD>(bits);
  f.dwRBitMask = r;
  f.dwGBitMask = g;
  f.dwBBitMask = b;
  f.dwRGBAlphaBitMask = a;
  return f;
}

TestTexture Checkerboard(int size, int cells, uint32_t a, uint32_t b) {
  TestTexture t;
  t.bits.resize(static_cast<size_t>(size) * size * 4);
  const int cell = size / cells;
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const uint32_t v = ((x / cell + y / cell) % 2) ? b : a;
      std::memcpy(&t.bits[(static_cast<size_t>(y) * size + x) * 4], &v, 4);
    }
  t.source.bits = t.bits.data();
  t.source.pitch = size * 4;
  t.source.width = size;
  t.source.height = size;
  t.source.format = RgbFormat(32, 0xFF0000, 0xFF00, 0xFF);
  t.Rebuild();
  return t;
}

std::string CompareGolden(const std::string& name, const std::vector<uint32_t>& pixels, int width,
                          int height, int tolerance) {
  std::filesystem::create_directories(VOSKAR_D3D_OUTPUT_DIR);
  const std::string outPath = std::string(VOSKAR_D3D_OUTPUT_DIR) + "/" + name + ".png";
  platform::WritePng(outPath, pixels.data(), width, height, width);
  const std::string refPath = std::string(VOSKAR_D3D_REFERENCE_DIR) + "/" + name + ".png";
  const char* update = std::getenv("VOSKAR_UPDATE_GOLDEN");
  if (update && std::strcmp(update, "1") == 0) {
    if (!platform::WritePng(refPath, pixels.data(), width, height, width))
      return "cannot write " + refPath;
    return "";
  }
  std::vector<uint32_t> ref;
  int rw = 0, rh = 0;
  if (!platform::ReadPng(refPath, &ref, &rw, &rh))
    return "missing reference " + refPath + " (run with VOSKAR_UPDATE_GOLDEN=1)";
  if (rw != width || rh != height) return "reference size differs";
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const uint32_t a = pixels[static_cast<size_t>(y) * width + x];
      const uint32_t b = ref[static_cast<size_t>(y) * width + x];
      for (int ch = 0; ch < 24; ch += 8) {
        const int d = static_cast<int>((a >> ch) & 0xFF) - static_cast<int>((b >> ch) & 0xFF);
        if (d > tolerance || d < -tolerance) {
          char msg[160];
          std::snprintf(msg, sizeof msg, "%s: pixel (%d, %d) is %06X, reference %06X", name.c_str(),
                        x, y, a & 0xFFFFFF, b & 0xFFFFFF);
          return msg;
        }
      }
    }
  return "";
}

}  // namespace d3dtest
