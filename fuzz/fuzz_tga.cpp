// The TGA reader with whatever bytes, and the texture made from what it read:
// registered under a picture name, restored on the software device, drawn on
// a quad and destroyed again.
#include <cstddef>
#include <cstdint>

#include "FuzzPicture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::TryPicture("Fuzz.tga", data, size);
  return 0;
}
