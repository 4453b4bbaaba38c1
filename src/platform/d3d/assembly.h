// Primitive assembly: vertex indices of the triangles of a list or strip.
#pragma once

#include <array>
#include <vector>

#include "d3d7.h"

namespace platform::d3d {

using TriangleIndices = std::array<int, 3>;

// The triangles of `count` vertices drawn as `type`; strip triangles keep
// the winding of the first one. False for a type that is not offered.
bool AssembleTriangles(D3DPRIMITIVETYPE type, int count, std::vector<TriangleIndices>* out);

}  // namespace platform::d3d
