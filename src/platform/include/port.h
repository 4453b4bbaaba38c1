// The few helpers the game needs beyond the platform's API. On Windows they
// are the platform itself: paths are used as written, the log is opened as
// the C++ library opens any file, and the C runtime calls WinMain.
#pragma once

#include <fstream>
#include <string>

#ifdef _WIN32
inline std::string Port_FilePath(const char* windowsPath) {
  return windowsPath ? windowsPath : "";
}

inline bool Port_OpenLogFile(std::ofstream& stream, const char* windowsPath) {
  stream.open(Port_FilePath(windowsPath).c_str(), std::ios::out | std::ios::trunc);
  return stream.is_open();
}
#else
// Turns a Windows path ("Data\\scene10e.txt") into the file to open: '\' becomes
// '/', and when the exact name is not on disk each component is matched
// case-insensitively, as the Windows file system would. Returns the
// translated path even when nothing matches, so that opening it fails.
std::string Port_FilePath(const char* windowsPath);

// Opens a log file for writing from its start, creating it if need be. A
// name that is a symbolic link, another name of a file that has more than
// one, or anything but a plain file is not opened (and not followed): the
// stream is left failed and whatever is written to it is dropped.
bool Port_OpenLogFile(std::ofstream& stream, const char* windowsPath);
#endif
