#include "d3d/key_blocks.h"

#include <cmath>

namespace platform::d3d {

namespace {

// Texel range [first, last] (any integers, wrapping) as at most two block
// ranges [a, b) within [0, blocks) of a side `size` texels long.
int BlockRanges(int64_t first, int64_t last, int size, int block, int ranges[2][2]) {
  const int blocks = (size + block - 1) / block;
  if (last - first + 1 >= size) {
    ranges[0][0] = 0;
    ranges[0][1] = blocks;
    return 1;
  }
  const int64_t from = ((first % size) + size) % size;
  const int64_t to = from + (last - first);  // < from + size
  if (to < size) {
    ranges[0][0] = static_cast<int>(from / block);
    ranges[0][1] = static_cast<int>(to / block) + 1;
    return 1;
  }
  ranges[0][0] = static_cast<int>(from / block);
  ranges[0][1] = blocks;
  ranges[1][0] = 0;
  ranges[1][1] = static_cast<int>((to - size) / block) + 1;
  return 2;
}

// Unkeyed blocks among block columns [c0, c1) and rows [r0, r1).
uint32_t Count(const KeyedBlocks::Table& t, int c0, int c1, int r0, int r1) {
  const size_t s = static_cast<size_t>(t.columns) + 1;
  return t.sums[r1 * s + c1] - t.sums[r0 * s + c1] - t.sums[r1 * s + c0] + t.sums[r0 * s + c0];
}

}  // namespace

const KeyedBlocks::Table* KeyedBlocks::TableFor(const TexelCache& texture) {
  if (!texture.Valid() || !texture.HasKey()) return nullptr;
  Table& t = tables_[&texture];
  if (t.serial == texture.Serial() && !t.sums.empty()) return &t;
  t.serial = texture.Serial();
  const int w = texture.Width(), h = texture.Height();
  t.width = w;
  t.height = h;
  t.columns = (w + kBlock - 1) / kBlock;
  t.rows = (h + kBlock - 1) / kBlock;
  const size_t stride = static_cast<size_t>(texture.Stride());
  std::vector<uint8_t> open(static_cast<size_t>(t.columns) * t.rows, 0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (!texture.KeyedAt(static_cast<size_t>(y) * stride + x))
        open[static_cast<size_t>(y / kBlock) * t.columns + x / kBlock] = 1;
  const size_t sumStride = static_cast<size_t>(t.columns) + 1;
  t.sums.assign(sumStride * (t.rows + 1), 0);
  for (int r = 0; r < t.rows; ++r)
    for (int c = 0; c < t.columns; ++c)
      t.sums[(r + 1) * sumStride + c + 1] = open[static_cast<size_t>(r) * t.columns + c] +
                                           t.sums[r * sumStride + c + 1] +
                                           t.sums[(r + 1) * sumStride + c] -
                                           t.sums[r * sumStride + c];
  t.mostlyKeyed = 2 * t.sums.back() < open.size();
  return &t;
}

bool KeyedBlocks::AllKeyed(const Table& t, double u0, double u1, double v0, double v1) {
  // Far outside the texture the coordinates lose the texel; so do NaNs:
  // unsure.
  constexpr double kFar = 4096.0;
  if (!(u0 >= -kFar && u1 <= kFar && v0 >= -kFar && v1 <= kFar)) return false;
  // A sample at u reads texel floor(u * w) (point) or the two around
  // u * w - 1/2 (bilinear); two texels more on each side also cover the
  // rounding of interpolated coordinates.
  const int64_t x0 = static_cast<int64_t>(std::floor(u0 * t.width)) - 2;
  const int64_t x1 = static_cast<int64_t>(std::floor(u1 * t.width)) + 2;
  const int64_t y0 = static_cast<int64_t>(std::floor(v0 * t.height)) - 2;
  const int64_t y1 = static_cast<int64_t>(std::floor(v1 * t.height)) + 2;
  int columns[2][2], rows[2][2];
  const int nc = BlockRanges(x0, x1, t.width, kBlock, columns);
  const int nr = BlockRanges(y0, y1, t.height, kBlock, rows);
  for (int i = 0; i < nc; ++i)
    for (int j = 0; j < nr; ++j)
      if (Count(t, columns[i][0], columns[i][1], rows[j][0], rows[j][1]) != 0) return false;
  return true;
}

}  // namespace platform::d3d
