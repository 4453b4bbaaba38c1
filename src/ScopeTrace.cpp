#include "ScopeTrace.h"

#include <cstring>
#include <fstream>

#include "port.h"
#include "win32.h"

bool g_traceEnabled = true;
int32_t g_traceDepth = 0;
bool g_frequencyWritten = false;

std::ostream& GetTraceLog() {
  // When "log.txt" cannot be opened (or is a link, which is never written
  // through) the stream stays failed and every write is silently dropped;
  // the game runs on.
  static std::ofstream log;
  static const bool opened = Port_OpenLogFile(log, "log.txt");
  (void)opened;
  return log;
}

namespace {

void WriteBars(std::ostream& out, int32_t count) {
  for (int32_t i = 0; i < count; ++i) out << "|";
}

}  // namespace

void Message(const char* text) {
  if (!g_traceEnabled) return;
  std::ostream& out = GetTraceLog();
  WriteBars(out, g_traceDepth);
  out << text << std::endl;
}

CScopeTrace::CScopeTrace(const char* name) : m_start(0), m_name(nullptr) {
  if (g_traceEnabled) {
    std::ostream& out = GetTraceLog();
    if (!g_frequencyWritten) {
      LARGE_INTEGER frequency;
      QueryPerformanceFrequency(&frequency);
      out << "Frequency:" << static_cast<int32_t>(static_cast<uint32_t>(frequency.QuadPart))
          << std::endl;
      g_frequencyWritten = true;
    }
    size_t length = std::strlen(name);
    m_name = new char[length + 1];
    std::memcpy(m_name, name, length + 1);
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    m_start = now.QuadPart;
    WriteBars(out, g_traceDepth);
    out << "+" << std::endl;
  }
  ++g_traceDepth;
}

CScopeTrace::~CScopeTrace() {
  --g_traceDepth;
  if (g_traceEnabled) {
    std::ostream& out = GetTraceLog();
    WriteBars(out, g_traceDepth);
    out << "-";
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    int64_t ticks = now.QuadPart - m_start;
    out << (m_name ? m_name : "") << ":end length:"
        << static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(ticks))) << std::endl;
  }
  delete[] m_name;
}
