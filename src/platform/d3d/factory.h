// How DirectDraw hands out its Direct3D interface (QueryInterface with
// IID_IDirect3D7) without knowing the device's internals.
#pragma once

#include "d3d7.h"

namespace platform {

class DirectDraw;

// Creates the IDirect3D7 object of a DirectDraw object, with one reference,
// which itself holds a reference on the DirectDraw object. Null on failure.
IDirect3D7* CreateDirect3D(DirectDraw* directDraw);

}  // namespace platform
