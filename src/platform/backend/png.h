// PNG writing for captures and golden-image tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// Writes width x height 0xAARRGGBB pixels (rows of `pitch` pixels) as an
// RGB PNG, or RGBA when withAlpha. False when the file can't be written.
bool WritePng(const std::string& path, const uint32_t* argb, int width, int height, int pitch,
              bool withAlpha = false);

// Reads a PNG into 0xAARRGGBB pixels; false when the file can't be read.
bool ReadPng(const std::string& path, std::vector<uint32_t>* argb, int* width, int* height);

}  // namespace platform
