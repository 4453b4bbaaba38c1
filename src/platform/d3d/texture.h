// Textures as the rasteriser samples them: any offered format expanded once
// into 32-bit ARGB texels, kept as vertical pairs with one wrapped column
// and row so that a bilinear footprint is two neighbouring entries.
#pragma once

#include <cstdint>
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
  // Entries per row of the padded layout: the texels are addressed as
  // (Width()+1) x (Height()+1), the last column and row repeating the
  // first (wrap addressing), so that a bilinear footprint never needs a
  // second address computation.
  int Stride() const { return width_ + 1; }
  // Half a texel across and down in 1/65536 of the texture (bilinear
  // sample points are moved by it from texel corners to centres).
  uint32_t HalfTexelU() const { return halfU_; }
  uint32_t HalfTexelV() const { return halfV_; }
  bool HasKey() const { return hasKey_; }
  // A keyed texture without alpha is kept as coverage texels: keyed ones
  // 0x00000000 and the others as they are (opaque), so that filtered alpha
  // is the share of unkeyed weight.
  bool HasCoverage() const { return hasKey_ && !hasAlpha_; }

  // The ARGB texel at `index` = y * Stride() + x of the padded layout.
  uint32_t TexelAt(size_t index) const {
    const uint32_t v = Half(index);
    return v || !HasCoverage() ? v : keyColor_;
  }
  // Whether the texel at `index` matches the colour key.
  bool KeyedAt(size_t index) const {
    if (!hasKey_) return false;
    return HasCoverage() ? Half(index) == 0 : keyed_[index] != 0;
  }
  // The texels (or, for `coverage`, the coverage texels) as vertical pairs:
  // entry y * Stride() + x, for y < Height(), holds texel (x, y) in its low
  // half and (x, y + 1) in its high half, so that entries x and x + 1 are
  // a whole bilinear footprint in 16 bytes. A keyed texture without alpha
  // keeps only its coverage pairs; its plain pairs are made on first use
  // (call it on the drawing thread before sharing the drawing with another
  // thread). Valid until the next Build.
  const uint64_t* Pairs(bool coverage) const;

 private:
  // The low or high half of a pair that holds padded entry `index`.
  uint32_t Half(size_t index) const {
    const size_t rows = static_cast<size_t>(Stride()) * height_;
    return index < rows ? static_cast<uint32_t>(pairs_.data[index])
                        : static_cast<uint32_t>(pairs_.data[index - Stride()] >> 32);
  }

  // Storage kept over rebuilds of the same size (no zero fill).
  struct PairStore {
    PairStore() = default;
    PairStore(PairStore&& other) noexcept { Take(other); }
    PairStore& operator=(PairStore&& other) noexcept {
      if (this != &other) {
        Release();
        Take(other);
      }
      return *this;
    }
    ~PairStore() { Release(); }
    void Take(PairStore& other) noexcept {
      data = other.data;
      size = other.size;
      capacity = other.capacity;
      other.data = nullptr;
      other.size = other.capacity = 0;
    }
    uint64_t* data = nullptr;
    size_t size = 0, capacity = 0;
    void Reserve(size_t n);
    void Release();
  };

  int width_ = 0;
  int height_ = 0;
  uint32_t halfU_ = 0, halfV_ = 0;
  uint64_t serial_ = 0;
  bool hasAlpha_ = false;
  bool hasKey_ = false;
  // The expanded colour of a keyed texel: every keyed texel has the key's
  // channel bits, so they all expand to this.
  uint32_t keyColor_ = 0;
  // The texels, or the coverage texels when HasCoverage().
  PairStore pairs_;
  // HasCoverage() only: the plain texels, made on first use.
  mutable PairStore plain_;
  // A keyed texture with alpha: 1 per padded entry that matches the key.
  std::vector<uint8_t> keyed_;
};

// Expands one pixel of a 16/24/32-bit RGB format to 0xAARRGGBB (alpha 0xFF
// where the format has none).
uint32_t ExpandPixel(uint32_t raw, const DDPIXELFORMAT& format);

// The bits of a raw pixel that belong to a colour channel of the format.
uint32_t DefinedBits(const DDPIXELFORMAT& format);

}  // namespace platform::d3d
