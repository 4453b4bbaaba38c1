#include "d3d/texture.h"

#include <atomic>
#include <cstring>
#include <new>

#include "backend/paged_memory.h"

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

// Which of the row loops below expands a format.
enum class RowKind { X8R8G8B8, R5G6B5, Other };

// Expands `width` pixels of one source row into out[] and, when keyOut is
// given, marks in it the texels that match the key. Textures may be
// re-expanded often (a colour key set every frame counts as a change), so
// the common formats have loops of their own.
void ExpandRow(const uint8_t* row, int width, int bytes, RowKind kind, const ChannelLayout& layout,
               uint32_t defined, uint32_t key, uint32_t* out, uint8_t* keyOut) {
  if (kind == RowKind::X8R8G8B8) {
    const uint32_t alphaFill = layout.mask[0] ? 0 : 0xFF000000u;
    for (int x = 0; x < width; ++x) {
      uint32_t v;
      std::memcpy(&v, row + 4 * x, 4);
      out[x] = v | alphaFill;
      if (keyOut) keyOut[x] = (v & defined) == key;
    }
  } else if (kind == RowKind::R5G6B5) {
    for (int x = 0; x < width; ++x) {
      uint16_t v;
      std::memcpy(&v, row + 2 * x, 2);
      const uint32_t r = (v >> 11) & 31, g = (v >> 5) & 63, b = v & 31;
      out[x] = 0xFF000000u | (((r << 3) | (r >> 2)) << 16) | (((g << 2) | (g >> 4)) << 8) |
               ((b << 3) | (b >> 2));
      if (keyOut) keyOut[x] = (v & defined) == key;
    }
  } else {
    for (int x = 0; x < width; ++x) {
      const uint32_t raw = ReadRaw(row + x * bytes, bytes);
      out[x] = Expand(raw, layout);
      if (keyOut) keyOut[x] = (raw & defined) == key;
    }
  }
}

// One row of vertical pairs from two rows of texels.
void JoinRows(const uint32_t* upper, const uint32_t* lower, size_t count, uint64_t* out) {
  for (size_t x = 0; x < count; ++x) out[x] = upper[x] | static_cast<uint64_t>(lower[x]) << 32;
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

void TexelCache::PairStore::Reserve(size_t n) {
  if (capacity == n) return;
  Release();
  data = static_cast<uint64_t*>(AllocatePaged(n * sizeof(uint64_t)));
  capacity = n;
}

void TexelCache::PairStore::Release() {
  FreePaged(data, capacity * sizeof(uint64_t));
  data = nullptr;
  size = capacity = 0;
}

const uint64_t* TexelCache::Pairs(bool coverage) const {
  if (!Valid()) return nullptr;
  if (!HasCoverage()) return coverage ? nullptr : pairs_.data;
  if (coverage) return pairs_.data;
  // The plain texels differ from the coverage ones only where keyed.
  if (plain_.size != pairs_.size) {
    plain_.Reserve(pairs_.size);
    const uint32_t key = keyColor_;
    for (size_t i = 0; i < pairs_.size; ++i) {
      const uint64_t v = pairs_.data[i];
      const uint32_t lo = static_cast<uint32_t>(v), hi = static_cast<uint32_t>(v >> 32);
      plain_.data[i] = (lo ? lo : key) | static_cast<uint64_t>(hi ? hi : key) << 32;
    }
    plain_.size = pairs_.size;
  }
  return plain_.data;
}

void TexelCache::Build(const TextureSource& s) {
  static std::atomic<uint64_t> builds{0};
  serial_ = ++builds;
  plain_.size = 0;
  const int bytes = static_cast<int>(s.format.dwRGBBitCount / 8);
  const bool supported = (s.format.dwFlags & DDPF_RGB) && (bytes == 2 || bytes == 3 || bytes == 4);
  if (!supported || !s.bits || s.width <= 0 || s.height <= 0) {
    width_ = height_ = 0;
    hasKey_ = false;
    pairs_.Release();
    plain_.Release();
    std::vector<uint8_t>().swap(keyed_);
    return;
  }
  width_ = s.width;
  height_ = s.height;
  halfU_ = 32768u / static_cast<uint32_t>(width_);
  halfV_ = 32768u / static_cast<uint32_t>(height_);
  const ChannelLayout layout = LayoutOf(s.format);
  hasAlpha_ = layout.mask[0] != 0;
  hasKey_ = s.hasColorKey;
  const uint32_t defined = DefinedBits(s.format);
  const uint32_t key = s.colorKey & defined;
  keyColor_ = Expand(key, layout);
  const size_t stride = static_cast<size_t>(width_) + 1;
  // Every entry is written below.
  pairs_.Reserve(stride * height_);
  pairs_.size = stride * height_;
  if (!HasCoverage()) plain_.Release();
  if (hasKey_ && hasAlpha_)
    keyed_.resize(stride * (height_ + 1));
  else
    std::vector<uint8_t>().swap(keyed_);

  RowKind kind = RowKind::Other;
  if (bytes == 4 && (layout.mask[0] == 0 || layout.mask[0] == 0xFF000000u) &&
      layout.mask[1] == 0x00FF0000 && layout.mask[2] == 0x0000FF00 && layout.mask[3] == 0x000000FF)
    kind = RowKind::X8R8G8B8;
  else if (bytes == 2 && !hasAlpha_ && layout.mask[1] == 0xF800 && layout.mask[2] == 0x07E0 &&
           layout.mask[3] == 0x001F)
    kind = RowKind::R5G6B5;
  // Rows are expanded one at a time and joined with the one above; the
  // first is kept for the wrapped row below the last.
  std::vector<uint32_t> rows(3 * stride);
  uint32_t* const first = rows.data();
  uint32_t* const spare[2] = {first + stride, first + 2 * stride};
  std::vector<uint8_t> keyRow(hasKey_ ? stride : 0);
  const bool coverage = HasCoverage();
  uint64_t* out = pairs_.data;
  const uint32_t* above = nullptr;
  for (int y = 0; y < height_; ++y) {
    uint32_t* row = y == 0 ? first : spare[y & 1];
    ExpandRow(s.bits + static_cast<size_t>(y) * s.pitch, width_, bytes, kind, layout, defined, key,
              row, hasKey_ ? keyRow.data() : nullptr);
    if (coverage)
      for (int x = 0; x < width_; ++x)
        if (keyRow[x]) row[x] = 0;
    row[width_] = row[0];
    if (!keyed_.empty()) {
      keyRow[width_] = keyRow[0];
      std::memcpy(&keyed_[y * stride], keyRow.data(), stride);
    }
    if (above) JoinRows(above, row, stride, out + (y - 1) * stride);
    above = row;
  }
  JoinRows(above, first, stride, out + (height_ - 1) * stride);
  if (!keyed_.empty()) std::memcpy(&keyed_[height_ * stride], keyed_.data(), stride);
}

}  // namespace platform::d3d
