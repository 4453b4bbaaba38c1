#include "d3d/texture.h"

#include <atomic>
#include <cstring>

namespace platform::d3d {

namespace {

int ShiftOf(uint32_t mask) {
  if (!mask) return 0;
  int s = 0;
  while (!(mask & 1u)) {
    mask >>= 1;
    ++s;
  }
  return s;
}

int BitsOf(uint32_t mask) {
  int n = 0;
  for (; mask; mask &= mask - 1) ++n;
  return n;
}

// Scales a channel of `bits` bits to 8 bits by replicating its high bits, so
// that full intensity stays 0xFF.
uint32_t Widen(uint32_t value, int bits) {
  if (bits <= 0) return 0;
  if (bits >= 8) return value >> (bits - 8);
  uint32_t v = value << (8 - bits);
  for (int filled = bits; filled < 8; filled += bits) v |= v >> bits;
  return v & 0xFF;
}

struct ChannelLayout {
  uint32_t mask[4];  // a, r, g, b
  int shift[4];
  int bits[4];
};

ChannelLayout LayoutOf(const DDPIXELFORMAT& f) {
  ChannelLayout l{};
  const uint32_t alpha = (f.dwFlags & DDPF_ALPHAPIXELS) ? f.dwRGBAlphaBitMask : 0;
  const uint32_t masks[4] = {alpha, f.dwRBitMask, f.dwGBitMask, f.dwBBitMask};
  for (int c = 0; c < 4; ++c) {
    l.mask[c] = masks[c];
    l.shift[c] = ShiftOf(masks[c]);
    l.bits[c] = BitsOf(masks[c]);
  }
  return l;
}

uint32_t ReadRaw(const uint8_t* p, int bytes) {
  switch (bytes) {
    case 2: {
      uint16_t v;
      std::memcpy(&v, p, 2);
      return v;
    }
    case 3:
      return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16);
    default: {
      uint32_t v;
      std::memcpy(&v, p, 4);
      return v;
    }
  }
}

uint32_t Expand(uint32_t raw, const ChannelLayout& l) {
  uint32_t out = 0;
  for (int c = 0; c < 4; ++c) {
    uint32_t v = l.mask[c] ? Widen((raw & l.mask[c]) >> l.shift[c], l.bits[c]) : 0xFF;
    out |= v << (24 - 8 * c);
  }
  return out;
}

}  // namespace

uint32_t ExpandPixel(uint32_t raw, const DDPIXELFORMAT& format) {
  return Expand(raw, LayoutOf(format));
}

uint32_t DefinedBits(const DDPIXELFORMAT& f) {
  uint32_t bits = f.dwRBitMask | f.dwGBitMask | f.dwBBitMask;
  if (f.dwFlags & DDPF_ALPHAPIXELS) bits |= f.dwRGBAlphaBitMask;
  return bits;
}

const uint64_t* TexelCache::Pairs(bool coverage) const {
  PairStore& p = pairs_[coverage ? 1 : 0];
  const size_t n = static_cast<size_t>(Stride()) * height_;
  if (p.size != n && Valid()) {
    if (p.capacity < n) {
      p.data.reset(new uint64_t[n]);
      p.capacity = n;
    }
    const uint32_t* t = coverage ? coverage_.data() : texels_.data();
    const size_t stride = static_cast<size_t>(Stride());
    for (size_t i = 0; i < n; ++i) p.data[i] = t[i] | static_cast<uint64_t>(t[i + stride]) << 32;
    p.size = n;
  }
  return p.data.get();
}

void TexelCache::Build(const TextureSource& s) {
  static std::atomic<uint64_t> builds{0};
  serial_ = ++builds;
  pairs_[0].size = pairs_[1].size = 0;
  const int bytes = static_cast<int>(s.format.dwRGBBitCount / 8);
  const bool supported = (s.format.dwFlags & DDPF_RGB) && (bytes == 2 || bytes == 3 || bytes == 4);
  if (!supported || !s.bits || s.width <= 0 || s.height <= 0) {
    width_ = height_ = 0;
    texels_.clear();
    keyed_.clear();
    coverage_.clear();
    return;
  }
  width_ = s.width;
  height_ = s.height;
  halfU_ = 32768u / static_cast<uint32_t>(width_);
  halfV_ = 32768u / static_cast<uint32_t>(height_);
  const ChannelLayout layout = LayoutOf(s.format);
  hasAlpha_ = layout.mask[0] != 0;
  const int stride = width_ + 1;
  // Every entry is written below; resize keeps earlier storage.
  texels_.resize(static_cast<size_t>(stride) * (height_ + 1));
  const uint32_t defined = DefinedBits(s.format);
  const uint32_t key = s.colorKey & defined;
  if (s.hasColorKey)
    keyed_.resize(texels_.size());
  else
    keyed_.clear();

  const bool x8r8g8b8 = bytes == 4 && (layout.mask[0] == 0 || layout.mask[0] == 0xFF000000u) &&
                        layout.mask[1] == 0x00FF0000 && layout.mask[2] == 0x0000FF00 &&
                        layout.mask[3] == 0x000000FF;
  const bool r5g6b5 = bytes == 2 && !hasAlpha_ && layout.mask[1] == 0xF800 &&
                      layout.mask[2] == 0x07E0 && layout.mask[3] == 0x001F;
  for (int y = 0; y < height_; ++y) {
    const uint8_t* row = s.bits + static_cast<size_t>(y) * s.pitch;
    uint32_t* out = &texels_[static_cast<size_t>(y) * stride];
    uint8_t* keyOut = s.hasColorKey ? &keyed_[static_cast<size_t>(y) * stride] : nullptr;
    // Textures may be re-expanded often (a colour key set every frame
    // counts as a change), so the common formats have loops of their own.
    if (x8r8g8b8) {
      const uint32_t alphaFill = hasAlpha_ ? 0 : 0xFF000000u;
      for (int x = 0; x < width_; ++x) {
        uint32_t v;
        std::memcpy(&v, row + 4 * x, 4);
        out[x] = v | alphaFill;
        if (keyOut) keyOut[x] = (v & defined) == key;
      }
    } else if (r5g6b5) {
      for (int x = 0; x < width_; ++x) {
        uint16_t v;
        std::memcpy(&v, row + 2 * x, 2);
        const uint32_t r = (v >> 11) & 31, g = (v >> 5) & 63, b = v & 31;
        out[x] = 0xFF000000u | (((r << 3) | (r >> 2)) << 16) | (((g << 2) | (g >> 4)) << 8) |
                 ((b << 3) | (b >> 2));
        if (keyOut) keyOut[x] = (v & defined) == key;
      }
    } else {
      for (int x = 0; x < width_; ++x) {
        const uint32_t raw = ReadRaw(row + x * bytes, bytes);
        out[x] = Expand(raw, layout);
        if (keyOut) keyOut[x] = (raw & defined) == key;
      }
    }
    out[width_] = out[0];
    if (keyOut) keyOut[width_] = keyOut[0];
  }
  std::memcpy(&texels_[static_cast<size_t>(height_) * stride], texels_.data(),
              sizeof(uint32_t) * stride);
  if (s.hasColorKey)
    std::memcpy(&keyed_[static_cast<size_t>(height_) * stride], keyed_.data(), stride);
  if (s.hasColorKey && !hasAlpha_) {
    coverage_.resize(texels_.size());
    for (size_t i = 0; i < texels_.size(); ++i) coverage_[i] = keyed_[i] ? 0u : texels_[i];
  } else {
    coverage_.clear();
  }
}

}  // namespace platform::d3d
