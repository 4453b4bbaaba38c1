#include "d3d/factory.h"

namespace platform {

// FIXME: placeholder until the software device lands; DirectDraw reports
// E_NOINTERFACE for IID_IDirect3D7 while this returns null.
IDirect3D7* CreateDirect3D(DirectDraw*) {
  return nullptr;
}

}  // namespace platform
