// Comparing a picture with its reference PNG (golden picture).
// VOSKAR_UPDATE_GOLDEN=1 in the environment rewrites the reference instead.
#pragma once

#include <sys/stat.h>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "backend/png.h"

namespace golden {

struct Tolerance {
  int channel;       // a channel may move by this much (filtering, rounding)
  int pixelDivisor;  // at most width * height / pixelDivisor pixels may differ
  int skipTopRows;   // rows left out (the statistics line)
};

// Returns "" when the capture matches (or the reference was rewritten), else
// what is wrong.
inline std::string CompareWithReference(const std::string& name, const std::string& refPath,
                                        const std::vector<uint32_t>& pixels, int width, int height,
                                        const Tolerance& tolerance) {
  const char* update = std::getenv("VOSKAR_UPDATE_GOLDEN");
  if (update && std::string(update) == "1") {
    if (!platform::WritePng(refPath, pixels.data(), width, height, width))
      return "cannot write " + refPath;
    return "";
  }
  std::vector<uint32_t> expected;
  int refWidth = 0, refHeight = 0;
  if (!platform::ReadPng(refPath, &expected, &refWidth, &refHeight))
    return "missing reference " + refPath + " (run with VOSKAR_UPDATE_GOLDEN=1)";
  if (refWidth != width || refHeight != height) return name + ": size differs";
  int differing = 0;
  for (size_t i = static_cast<size_t>(width) * tolerance.skipTopRows; i < pixels.size(); ++i) {
    for (int shift = 0; shift < 24; shift += 8) {
      int a = (pixels[i] >> shift) & 0xFF, b = (expected[i] >> shift) & 0xFF;
      if (std::abs(a - b) > tolerance.channel) {
        ++differing;
        break;
      }
    }
  }
  if (differing > width * height / tolerance.pixelDivisor)
    return name + ": " + std::to_string(differing) + " pixels differ from " + refPath;
  return "";
}

// Writes the picture to <outputDir>/<name>.png for a look, then compares it
// with <referenceDir>/<name>.png.
inline std::string CheckPicture(const std::string& referenceDir, const std::string& outputDir,
                                const std::string& name, const std::vector<uint32_t>& pixels,
                                int width, int height, const Tolerance& tolerance) {
  mkdir(outputDir.c_str(), 0755);
  platform::WritePng(outputDir + "/" + name + ".png", pixels.data(), width, height, width);
  return CompareWithReference(name, referenceDir + "/" + name + ".png", pixels, width, height,
                              tolerance);
}

}  // namespace golden
