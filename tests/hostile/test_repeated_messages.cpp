// A complaint repeated every frame (a building whose picture the scene file
// names wrongly reports it on every draw) must cost the same on the ten
// thousandth frame as on the first: the debug output keeps the newest text in
// a bounded buffer without moving all of it for every message.
#include <gtest/gtest.h>

#include <string>

#include "testing.h"
#include "win32.h"

namespace {

TEST(HostileRepeats, ADebugMessageRepeatedForeverKeepsTheNewestTextInABoundedBuffer) {
  platform::TakeDebugOutput();
  const size_t limit = size_t{1} << 20;
  std::string last;
  for (int frame = 0; frame < 60000; ++frame) {
    last = "src\\Classes\\SceneGame\\NHClasses(137): texture != NULL (frame " +
           std::to_string(frame) + ")\n";
    OutputDebugStringA(last.c_str());
  }
  const std::string kept = platform::TakeDebugOutput();
  EXPECT_GE(kept.size(), limit);
  EXPECT_LE(kept.size(), 2 * limit);
  ASSERT_GE(kept.size(), last.size());
  EXPECT_EQ(kept.substr(kept.size() - last.size()), last);
  EXPECT_EQ(platform::TakeDebugOutput(), "");
}

}  // namespace
