#include "d3d/assembly.h"

namespace platform::d3d {

bool AssembleTriangles(D3DPRIMITIVETYPE type, int count, std::vector<TriangleIndices>* out) {
  out->clear();
  switch (type) {
    case D3DPT_TRIANGLELIST:
      for (int i = 0; i + 2 < count; i += 3) out->push_back({i, i + 1, i + 2});
      return true;
    case D3DPT_TRIANGLESTRIP:
      for (int i = 0; i + 2 < count; ++i) {
        if (i % 2 == 0)
          out->push_back({i, i + 1, i + 2});
        else
          out->push_back({i + 1, i, i + 2});
      }
      return true;
    default:
      return false;
  }
}

}  // namespace platform::d3d
