// Shared pieces of the game tests: the suite runs in a private temporary
// folder (its own content files and "log.txt"); recorders collect what the
// sound service and the debug report receive.
#pragma once

#include <string>
#include <vector>

namespace gametest {

typedef std::vector<std::string> Lines;

// Writes `content` byte for byte to "Data/<name>" in the suite's folder.
void WriteData(const std::string& name, const std::string& content);
std::string ReadTraceLog();

// While alive, sound requests ("name", or "name flags=N") and debug reports
// are recorded; Take() hands them over and forgets them.
class SoundRecorder {
 public:
  SoundRecorder();
  ~SoundRecorder();
  Lines Take();
};

class DebugRecorder {
 public:
  DebugRecorder();
  ~DebugRecorder();
  Lines Take();
};

}  // namespace gametest
