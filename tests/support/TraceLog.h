// Reading the game's trace log "log.txt" in the working folder.
#pragma once

#include <string>
#include <vector>

namespace support {

// Everything written to the trace log so far (the log is flushed first).
std::string ReadTraceLog();
// Names of the scopes in the order they closed in a piece of trace text.
std::vector<std::string> ClosedScopes(const std::string& trace);
// How many scopes of this name closed in a piece of trace text.
int CountScopes(const std::string& trace, const std::string& name);

}  // namespace support
