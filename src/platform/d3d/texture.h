// Textures as the rasteriser samples them: any offered format expanded once
// into 32-bit ARGB texels, padded by one wrapped column and row so that a
// bilinear footprint never needs a second address computation.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "d3d7.h"

namespace platform::d3d {

// Where a texture's pixels are and how they are laid out.
struct TextureSource {
  const uint8_t* bits = nullptr;
  int pitch = 0;
  int width = 0;
  int height = 0;
  DDPIXELFORMAT format{};
  bool hasColorKey = false;
  DWORD colorKey = 0;  // in the texture's own format
};

class TexelCache {
 public:
  // Expands the source; a format the device does not offer yields an empty
  // cache (Valid() false), which draws as if no texture were bound.
  void Build(const TextureSource& source);

  bool Valid() const { return width_ > 0 && height_ > 0; }
  // Different for every Build of every cache, so that data derived from
  // the texels can tell whether it is still current.
  uint64_t Serial() const { return serial_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  int Stride() const { return width_ + 1; }
  // Half a texel across and down in 1/65536 of the texture (bilinear
  // sample points are moved by it from texel corners to centres).
  uint32_t HalfTexelU() const { return halfU_; }
  uint32_t HalfTexelV() const { return halfV_; }
  bool HasAlpha() const { return hasAlpha_; }
  bool HasKey() const { return !keyed_.empty(); }
  // Row-major (Width()+1) x (Height()+1) ARGB texels; the last column and
  // row repeat the first (wrap addressing).
  const uint32_t* Texels() const { return texels_.data(); }
  // Same layout, 1 where the texel matches the colour key.
  const uint8_t* Keyed() const { return keyed_.data(); }
  // For a keyed texture without alpha: the texels with keyed ones made
  // 0x00000000 and the others opaque, so that filtered alpha is the share
  // of unkeyed weight (empty otherwise).
  bool HasCoverage() const { return !coverage_.empty(); }
  const uint32_t* Coverage() const { return coverage_.data(); }
  // Texels() (or Coverage()) as vertical pairs: entry y * Stride() + x
  // holds texel (x, y) in its low half and (x, y + 1) in its high half, so
  // that entries x and x + 1 are a whole bilinear footprint in 16 bytes.
  // Made on first use: call it on the drawing thread before sharing the
  // drawing with another thread; valid until the next Build.
  const uint64_t* Pairs(bool coverage) const;

 private:
  int width_ = 0;
  int height_ = 0;
  uint32_t halfU_ = 0, halfV_ = 0;
  uint64_t serial_ = 0;
  bool hasAlpha_ = false;
  std::vector<uint32_t> texels_;
  std::vector<uint8_t> keyed_;
  std::vector<uint32_t> coverage_;
  // Of texels_ and of coverage_; storage kept over rebuilds (no zero fill).
  struct PairStore {
    std::unique_ptr<uint64_t[]> data;
    size_t size = 0, capacity = 0;
  };
  mutable PairStore pairs_[2];
};

// Expands one pixel of a 16/24/32-bit RGB format to 0xAARRGGBB (alpha 0xFF
// where the format has none).
uint32_t ExpandPixel(uint32_t raw, const DDPIXELFORMAT& format);

// The bits of a raw pixel that belong to a colour channel of the format.
uint32_t DefinedBits(const DDPIXELFORMAT& format);

}  // namespace platform::d3d
