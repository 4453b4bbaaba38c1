// Windows paths to files on disk: '\' separates, and names match without
// regard to case as on the platform's file system; and the log file, which
// is never written through a link.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "port.h"

namespace {

bool Exists(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0;
}

bool SameIgnoringCase(const std::string& a, const char* b) {
  size_t i = 0;
  for (; i < a.size() && b[i]; ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return i == a.size() && !b[i];
}

// The entry of directory whose name equals name ignoring case; the
// alphabetically first when several do, so the choice never depends on the
// order the directory lists them in. Empty when none matches.
std::string FindIgnoringCase(const std::string& directory, const std::string& name) {
  DIR* dir = ::opendir(directory.empty() ? "." : directory.c_str());
  if (!dir) return {};
  std::vector<std::string> matches;
  while (const dirent* entry = ::readdir(dir))
    if (SameIgnoringCase(name, entry->d_name)) matches.emplace_back(entry->d_name);
  ::closedir(dir);
  if (matches.empty()) return {};
  return *std::min_element(matches.begin(), matches.end());
}

}  // namespace

std::string Port_FilePath(const char* windowsPath) {
  if (!windowsPath) return {};
  std::string path = windowsPath;
  std::replace(path.begin(), path.end(), '\\', '/');
  if (path.empty() || Exists(path)) return path;

  // Walk the components, keeping what exists and matching the rest by case.
  std::string resolved = path[0] == '/' ? "/" : "";
  size_t start = resolved.size();
  bool matching = true;
  while (start <= path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    const std::string component = path.substr(start, end - start);
    start = end + 1;
    if (component.empty()) continue;
    const std::string directory = resolved;
    std::string next = directory;
    if (!next.empty() && next.back() != '/') next += '/';
    if (matching && component != "." && component != ".." && !Exists(next + component)) {
      const std::string found = FindIgnoringCase(directory, component);
      if (found.empty())
        matching = false;  // nothing further can exist: keep the names as written
      else
        next += found;
      if (!found.empty()) {
        resolved = next;
        continue;
      }
    }
    resolved = next + component;
  }
  if (path.back() == '/' && !resolved.empty() && resolved.back() != '/') resolved += '/';
  return resolved;
}

bool Port_OpenLogFile(std::ofstream& stream, const char* windowsPath) {
  const std::string path = Port_FilePath(windowsPath);
  // Not through a symbolic link; and without waiting, should it be a pipe.
  const int file =
      ::open(path.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
  if (file < 0) {
    stream.setstate(std::ios::failbit);
    return false;
  }
  struct stat info;
  const bool plain = ::fstat(file, &info) == 0 && S_ISREG(info.st_mode) && info.st_nlink == 1;
  if (plain) {
    // The file just checked, whatever has become of its name meanwhile.
    stream.open("/proc/self/fd/" + std::to_string(file), std::ios::out | std::ios::trunc);
    if (!stream.is_open()) {
      stream.clear();
      stream.open(path.c_str(), std::ios::out | std::ios::trunc);
    }
  }
  ::close(file);
  if (!plain) stream.setstate(std::ios::failbit);
  return stream.is_open();
}
