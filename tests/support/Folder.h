// A private working folder for a test process, and whole files in and out.
#pragma once

#include <string>

namespace support {

// Makes a fresh folder /tmp/<prefix>-XXXXXX the working folder; it is removed
// when the process ends. False when it cannot be made or entered.
bool EnterTemporaryFolder(const char* prefix);

// Writes the bytes as they are (no line-end translation), making the folders
// on the way; returns the path.
std::string WriteFile(const std::string& path, const std::string& bytes);
// The whole file, or "" when it cannot be read.
std::string ReadFile(const std::string& path);

}  // namespace support
