// Device contexts on DirectDraw surfaces: IDirectDrawSurface7::GetDC hands one
// out, ReleaseDC gives it back. GDI drawing on it writes the surface's pixels
// in the surface's own format.
#pragma once

#include "win32.h"

namespace platform {

class Surface;

// A new DC drawing onto the surface, or null.
HDC CreateSurfaceDC(Surface* surface);
// Ends a DC made by CreateSurfaceDC.
void DeleteSurfaceDC(HDC dc);

}  // namespace platform
