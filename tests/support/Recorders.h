// While alive, a recorder collects what the sound service or the debug report
// receive; Take() hands the lines over and forgets them.
#pragma once

#include <string>
#include <vector>

namespace support {

typedef std::vector<std::string> Lines;

class SoundRecorder {
 public:
  SoundRecorder();
  ~SoundRecorder();
  // Requested effect names ("name", or "name flags=N" for flags other than 0).
  Lines Take();
};

class DebugRecorder {
 public:
  DebugRecorder();
  ~DebugRecorder();
  Lines Take();
};

}  // namespace support
