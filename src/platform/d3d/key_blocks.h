// Which parts of a colour-keyed texture hold any unkeyed texel, in blocks,
// so that a triangle or span whose texture coordinates stay within keyed
// texels (a sprite's empty margin filling the screen as it flies past the
// camera) is dropped before its pixels are worked out: every one of them
// would be discarded by the key.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "d3d/texture.h"

namespace platform::d3d {

class KeyedBlocks {
 public:
  struct Table {
    uint64_t serial = 0;
    int width = 0, height = 0;  // texels
    int columns = 0, rows = 0;  // blocks
    // Fewer than half the blocks hold an unkeyed texel: worth testing
    // spans, not only whole triangles.
    bool mostlyKeyed = false;
    // Inclusive prefix sums of blocks with an unkeyed texel, (rows + 1) x
    // (columns + 1), first row and column zero.
    std::vector<uint32_t> sums;
  };

  // The table of a keyed texture (made or remade on the calling thread),
  // or null when it has no key. Valid until Forget.
  const Table* TableFor(const TexelCache& texture);
  // Drops every table (when no drawing refers to them).
  void Forget() { tables_.clear(); }
  size_t Size() const { return tables_.size(); }

  // True when every texel that a sample with coordinates in [u0, u1] x
  // [v0, v1] (texture units, wrapping) may read, point or bilinear, is
  // keyed. False whenever unsure.
  static bool AllKeyed(const Table& table, double u0, double u1, double v0, double v1);

 private:
  static constexpr int kBlock = 8;  // texels per block side
  std::unordered_map<const TexelCache*, Table> tables_;
};

}  // namespace platform::d3d
