// Time, the command line and environment, message boxes, debugger output
// and the registry.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "backend/backend.h"
#include "testing.h"
#include "win32/state.h"

namespace platform {

namespace {

// The performance counter ticks in microseconds, with the real clock and
// with the manual one.
constexpr LONGLONG kCounterFrequency = 1000000;

struct Clock {
  bool manual = false;
  uint32_t manualMilliseconds = 0;
};

Clock& GetClock() {
  static Clock clock;
  return clock;
}

// Microseconds of a monotonic clock that does not stop while the program runs.
uint64_t RealMicroseconds() {
  using namespace std::chrono;
  return static_cast<uint64_t>(
      duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count());
}

// Older text is dropped beyond this, so a chatty program cannot grow it for ever.
constexpr size_t kDebugOutputLimit = 1 << 20;

// Never destroyed: objects torn down at exit (a game kept in a static)
// still write to it after every function-local static is gone.
std::string& DebugOutput() {
  static std::string* const text = new std::string;
  return *text;
}

std::string& CommandLine() {
  static std::string text;
  return text;
}

std::vector<MessageBoxCall>& MessageBoxes() {
  static std::vector<MessageBoxCall> calls;
  return calls;
}

}  // namespace

void UseManualClock(bool manual) {
  Clock& clock = GetClock();
  if (manual && !clock.manual) clock.manualMilliseconds = 0;
  clock.manual = manual;
}

void AdvanceClock(uint32_t milliseconds) {
  GetClock().manualMilliseconds += milliseconds;
}

void SetClock(uint32_t milliseconds) {
  GetClock().manualMilliseconds = milliseconds;
}

std::string TakeDebugOutput() {
  std::string text;
  text.swap(DebugOutput());
  return text;
}

void SetCommandLine(const std::string& commandLine) {
  CommandLine() = commandLine;
}

std::vector<MessageBoxCall> TakeMessageBoxes() {
  std::vector<MessageBoxCall> calls;
  calls.swap(MessageBoxes());
  return calls;
}

}  // namespace platform

// ------------------------------------------------------------------ Win32
using namespace platform;

DWORD timeGetTime() {
  const Clock& clock = GetClock();
  if (clock.manual) return clock.manualMilliseconds;
  return static_cast<DWORD>(RealMicroseconds() / 1000);  // wraps like the platform's
}

BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency) {
  if (!frequency) return FALSE;
  frequency->QuadPart = kCounterFrequency;
  return TRUE;
}

BOOL QueryPerformanceCounter(LARGE_INTEGER* count) {
  if (!count) return FALSE;
  const Clock& clock = GetClock();
  count->QuadPart = clock.manual ? static_cast<LONGLONG>(clock.manualMilliseconds) * 1000
                                 : static_cast<LONGLONG>(RealMicroseconds());
  return TRUE;
}

LPSTR GetCommandLineA() {
  return &CommandLine()[0];
}

DWORD GetEnvironmentVariableA(LPCSTR name, LPSTR buffer, DWORD size) {
  const char* value = name ? std::getenv(name) : nullptr;
  if (!value) return 0;
  const DWORD length = static_cast<DWORD>(std::strlen(value));
  if (!buffer || size <= length) return length + 1;
  std::memcpy(buffer, value, length + 1);
  return length;
}

int MessageBoxA(HWND window, LPCSTR text, LPCSTR caption, UINT type) {
  const char* shownCaption = caption ? caption : "Error";
  const char* shownText = text ? text : "";
  MessageBoxes().push_back(MessageBoxCall{shownCaption, shownText, type});
  // The text also goes to the terminal, where it survives the box.
  std::fprintf(stderr, "%s: %s\n", shownCaption, shownText);
  backend::ShowMessageBox(FindWindowRecord(window) ? window : nullptr, Latin1ToUtf8(shownCaption),
                          Latin1ToUtf8(shownText), type);
  return IDOK;
}

void OutputDebugStringA(LPCSTR text) {
  if (!text) return;
  std::string& output = DebugOutput();
  output += text;
  // The oldest text goes once the buffer holds twice the limit, not a little
  // with every message: a message repeated every frame would otherwise move
  // the whole buffer each time.
  if (output.size() > 2 * kDebugOutputLimit) output.erase(0, output.size() - kDebugOutputLimit);
  if (std::getenv("VOSKAR_DEBUG_ECHO")) std::fputs(text, stderr);
}

// The registry holds nothing here: every key is absent.
LONG RegOpenKeyExA(HKEY, LPCSTR, DWORD, REGSAM, HKEY* result) {
  if (result) *result = nullptr;
  return ERROR_FILE_NOT_FOUND;
}

LONG RegQueryValueExA(HKEY, LPCSTR, LPDWORD, LPDWORD, LPBYTE, LPDWORD) {
  return ERROR_FILE_NOT_FOUND;
}

LONG RegCloseKey(HKEY key) {
  // The predefined root keys may be closed; no other key was ever opened.
  constexpr LONG kErrorInvalidHandle = 6;
  return reinterpret_cast<uintptr_t>(key) >= 0x80000000u ? ERROR_SUCCESS : kErrorInvalidHandle;
}
