// Picture loading through LoadImageA with whatever bytes, and the texture
// made from the bitmap: registered, restored on the software device (the GDI
// copy into the texture), drawn on a quad and destroyed again.
#include <cstddef>
#include <cstdint>

#include "FuzzPicture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::TryPicture("Fuzz.bmp", data, size);
  return 0;
}
