// The two helpers the game needs beyond the platform's API. On Windows both
// are the platform itself: paths are used as written and the C runtime calls
// WinMain.
#pragma once

#include <string>

#ifdef _WIN32
inline std::string Port_FilePath(const char* windowsPath) {
  return windowsPath ? windowsPath : "";
}
#else
// Turns a Windows path ("Data\\scene10e.txt") into the file to open: '\' becomes
// '/', and when the exact name is not on disk each component is matched
// case-insensitively, as the Windows file system would. Returns the
// translated path even when nothing matches, so that opening it fails.
std::string Port_FilePath(const char* windowsPath);
#endif
