#include "backend/stretch.h"

#include <immintrin.h>

#include <algorithm>
#include <cstring>

#include "d3d/filter.h"

namespace platform {
namespace backend {

namespace {

// A filtered position: the left (or upper) pixel and the right one's
// weight in 64ths (64 at the far edge, where the two are the last pair).
struct Tap {
  int index;
  int weight;
};

// Where output pixel i of `outSize` samples a line of `size` pixels
// (size >= 2), centres mapped to centres, 16 fractional bits.
Tap TapAt(int i, int size, int outSize) {
  const int64_t step = (int64_t{size} << 16) / outSize;
  int64_t at = step / 2 - 32768 + i * step;
  if (at < 0) at = 0;
  int index = static_cast<int>(at >> 16);
  int weight = static_cast<int>((at >> 10) & 63);
  if (index >= size - 1) {
    index = size - 2;
    weight = 64;
  }
  return {index, weight};
}

// One picture row filtered across into `count` pixels of four 16-bit
// channels (64 times the value).
void FilterAcross(const uint32_t* row, const Tap* taps, size_t count, uint16_t* out) {
  for (size_t i = 0; i < count; ++i) {
    const uint32_t a = row[taps[i].index], b = row[taps[i].index + 1];
    const uint32_t wb = static_cast<uint32_t>(taps[i].weight), wa = 64 - wb;
    for (int ch = 0; ch < 4; ++ch)
      out[4 * i + ch] =
          static_cast<uint16_t>(((a >> (8 * ch)) & 0xFF) * wa + ((b >> (8 * ch)) & 0xFF) * wb);
  }
}

__attribute__((target("avx2"))) void FilterAcrossAvx2(const uint32_t* row,
                                                      const std::vector<Tap>& taps,
                                                      const std::vector<uint64_t>& weights,
                                                      uint16_t* out) {
  const size_t n = taps.size();
  // Left and right bytes of each channel side by side.
  const __m256i interleave = _mm256_setr_epi8(0, 4, 1, 5, 2, 6, 3, 7, 8, 12, 9, 13, 10, 14, 11, 15,
                                              0, 4, 1, 5, 2, 6, 3, 7, 8, 12, 9, 13, 10, 14, 11, 15);
  size_t i = 0;
  for (; i + 4 <= n; i += 4) {
    int64_t pair[4];
    for (int k = 0; k < 4; ++k) std::memcpy(&pair[k], row + taps[i + k].index, 8);
    const __m256i pixels = _mm256_setr_epi64x(pair[0], pair[1], pair[2], pair[3]);
    const __m256i w = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(weights.data() + i));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 4 * i),
                        _mm256_maddubs_epi16(_mm256_shuffle_epi8(pixels, interleave), w));
  }
  FilterAcross(row, taps.data() + i, n - i, out + 4 * i);
}

// Two filtered rows blended down into `count` output pixels (weight below
// 64), rounded as the vector path rounds.
void FilterDown(const uint16_t* upper, const uint16_t* lower, int weight, int count,
                uint32_t* out) {
  for (int i = 0; i < count; ++i) {
    uint32_t pixel = 0;
    for (int ch = 0; ch < 4; ++ch) {
      const int a = upper[4 * i + ch], b = lower[4 * i + ch];
      const int v = a + (((b - a) * (weight << 9) + 0x4000) >> 15);
      pixel |= static_cast<uint32_t>((v + 32) >> 6) << (8 * ch);
    }
    out[i] = pixel;
  }
}

// upper + (lower - upper) x weight / 64, rounded, down to 8 bits, for four
// pixels.
__attribute__((target("avx2"))) inline __m256i Down4(const uint16_t* upper, const uint16_t* lower,
                                                     __m256i weight) {
  const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(upper));
  const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(lower));
  const __m256i v = _mm256_add_epi16(a, _mm256_mulhrs_epi16(_mm256_sub_epi16(b, a), weight));
  return _mm256_srli_epi16(_mm256_add_epi16(v, _mm256_set1_epi16(32)), 6);
}

__attribute__((target("avx2"))) void FilterDownAvx2(const uint16_t* upper, const uint16_t* lower,
                                                    int weight, int count, uint32_t* out) {
  const __m256i w = _mm256_set1_epi16(static_cast<int16_t>(weight << 9));
  int i = 0;
  for (; i + 8 <= count; i += 8) {
    const __m256i lo = Down4(upper + 4 * i, lower + 4 * i, w);
    const __m256i hi = Down4(upper + 4 * i + 16, lower + 4 * i + 16, w);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i),
                        _mm256_permute4x64_epi64(_mm256_packus_epi16(lo, hi), 0xD8));
  }
  FilterDown(upper + 4 * i, lower + 4 * i, weight, count - i, out + i);
}

}  // namespace

void ScaleWhole(const uint32_t* pixels, int width, int pitch, int top, int bottom, int scale,
                uint32_t* out, int outPitch) {
  const size_t rowBytes = sizeof(uint32_t) * static_cast<size_t>(width) * scale;
  for (int y = top; y < bottom; ++y) {
    const uint32_t* from = pixels + static_cast<size_t>(y) * pitch;
    uint32_t* first = out + static_cast<size_t>(y) * scale * outPitch;
    if (scale == 1) {
      std::memcpy(first, from, rowBytes);
      continue;
    }
    if (scale == 2) {
      for (int x = 0; x < width; ++x) first[2 * x] = first[2 * x + 1] = from[x];
    } else {
      uint32_t* o = first;
      for (int x = 0; x < width; ++x)
        for (int k = 0; k < scale; ++k) *o++ = from[x];
    }
    for (int k = 1; k < scale; ++k)
      std::memcpy(first + static_cast<size_t>(k) * outPitch, first, rowBytes);
  }
}

void ScaleLinear(const uint32_t* pixels, int width, int height, int pitch, uint32_t* out,
                 int outWidth, int outHeight, int outPitch, std::vector<uint16_t>* rows) {
  if (width < 2 || height < 2) {
    // Too small to filter: the nearest pixel.
    for (int y = 0; y < outHeight; ++y)
      for (int x = 0; x < outWidth; ++x)
        out[static_cast<size_t>(y) * outPitch + x] =
            pixels[static_cast<size_t>(y * height / outHeight) * pitch + x * width / outWidth];
    return;
  }
  std::vector<Tap> across(static_cast<size_t>(outWidth));
  std::vector<uint64_t> weights(across.size());
  for (int x = 0; x < outWidth; ++x) {
    across[x] = TapAt(x, width, outWidth);
    const uint64_t w = static_cast<uint64_t>(across[x].weight << 8 | (64 - across[x].weight));
    weights[x] = w * 0x0001000100010001ull;
  }
  const size_t rowSize = 4 * static_cast<size_t>(outWidth);
  rows->resize(2 * rowSize);
  uint16_t* filtered[2] = {rows->data(), rows->data() + rowSize};
  int held[2] = {-1, -1};  // the picture row each filtered row holds
  const bool avx2 = d3d::HaveAvx2();
  auto rowOf = [&](int y) -> const uint16_t* {
    for (int k = 0; k < 2; ++k)
      if (held[k] == y) return filtered[k];
    // Replace the row not asked for just before (the upper of the pair).
    const int k = held[0] == y - 1 ? 1 : 0;
    const uint32_t* row = pixels + static_cast<size_t>(y) * pitch;
    if (avx2)
      FilterAcrossAvx2(row, across, weights, filtered[k]);
    else
      FilterAcross(row, across.data(), across.size(), filtered[k]);
    held[k] = y;
    return filtered[k];
  };
  for (int y = 0; y < outHeight; ++y) {
    Tap down = TapAt(y, height, outHeight);
    if (down.weight == 64) down = {down.index + 1, 0};  // the last row alone
    const uint16_t* upper = rowOf(down.index);
    const uint16_t* lower = down.weight ? rowOf(down.index + 1) : upper;
    uint32_t* o = out + static_cast<size_t>(y) * outPitch;
    if (avx2)
      FilterDownAvx2(upper, lower, down.weight, outWidth, o);
    else
      FilterDown(upper, lower, down.weight, outWidth, o);
  }
}

}  // namespace backend
}  // namespace platform
