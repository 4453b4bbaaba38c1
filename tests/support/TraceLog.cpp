#include "support/TraceLog.h"

#include <sstream>

#include "ScopeTrace.h"
#include "support/Folder.h"

namespace support {

std::string ReadTraceLog() {
  GetTraceLog().flush();
  return ReadFile("log.txt");
}

std::vector<std::string> ClosedScopes(const std::string& trace) {
  std::vector<std::string> names;
  std::istringstream lines(trace);
  std::string line;
  while (std::getline(lines, line)) {
    const size_t dash = line.find_first_not_of('|');
    const size_t end = line.find(":end length:");
    if (dash == std::string::npos || line[dash] != '-' || end == std::string::npos) continue;
    names.push_back(line.substr(dash + 1, end - dash - 1));
  }
  return names;
}

int CountScopes(const std::string& trace, const std::string& name) {
  int count = 0;
  for (const std::string& closed : ClosedScopes(trace))
    if (closed == name) ++count;
  return count;
}

}  // namespace support
