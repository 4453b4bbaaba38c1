// Scaling of a 32-bit picture into a window's memory when no graphics
// hardware does it: each pixel repeated (whole-number scales) or filtered
// linearly between pixel centres. Pixels are 32-bit words whose bytes are
// scaled channel by channel, whatever their order.
#pragma once

#include <cstdint>
#include <vector>

namespace platform {
namespace backend {

// Rows [top, bottom) of the picture (rows of `pitch` words), each pixel
// written `scale` x `scale` times from `out` on (rows of `outPitch` words).
void ScaleWhole(const uint32_t* pixels, int width, int pitch, int top, int bottom, int scale,
                uint32_t* out, int outPitch);

// The width x height picture filtered into outWidth x outHeight (both at
// least 1). `rows` is scratch storage kept between calls.
void ScaleLinear(const uint32_t* pixels, int width, int height, int pitch, uint32_t* out,
                 int outWidth, int outHeight, int outPitch, std::vector<uint16_t>* rows);

}  // namespace backend
}  // namespace platform
