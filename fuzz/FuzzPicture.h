// Picture files with whatever bytes: registered with the texture registry
// (which reads ".tga" itself and loads ".bmp" through LoadImageA), restored
// on the software device, drawn, and destroyed.
#pragma once

#include <cstddef>
#include <cstdint>

namespace fuzz {

// name is the picture's file name, e.g. "Fuzz.tga"; its extension chooses the
// reader. The registration flags follow from the size of the input.
void TryPicture(const char* name, const uint8_t* data, size_t size);

}  // namespace fuzz
