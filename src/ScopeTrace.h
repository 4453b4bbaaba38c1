// Scope trace log: every traced operation writes a start line when it begins
// and an end line with its name and its running time in performance-counter
// ticks when it ends, indented by the nesting depth, into "log.txt".
#pragma once

#include <cstdint>
#include <ostream>

// The logging switch (on for the whole run).
extern bool g_traceEnabled;
// Number of scope traces currently open.
extern int32_t g_traceDepth;
// Whether the "Frequency:" line has been written.
extern bool g_frequencyWritten;

// The trace log, created and opened on "log.txt" (truncated) on the first call.
std::ostream& GetTraceLog();

// Writes one free text line at the current depth; nothing when logging is off.
void Message(const char* text);

// One open scope: opens when constructed, closes when destroyed (also when the
// operation is left by an exception).
class CScopeTrace {
 public:
  explicit CScopeTrace(const char* name);
  ~CScopeTrace();

  CScopeTrace(const CScopeTrace&) = delete;
  CScopeTrace& operator=(const CScopeTrace&) = delete;

 private:
  int64_t m_start;
  char* m_name;
};
