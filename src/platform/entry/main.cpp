// The program entry: the C runtime's main hands over to the game's WinMain,
// as the Windows runtime would, and records the command line that
// GetCommandLineA answers. Before that it makes sure there is a display to
// show the window on and a working folder that holds the game's files.
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <string>

#include "backend/backend.h"
#include "port.h"
#include "testing.h"
#include "win32.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand);

#ifndef VOSKAR_ENTRY_STAYS
namespace {

// Whether the working folder holds this folder (names match without regard
// to case, as the game's file opens do).
bool HasFolder(const char* name) {
  struct stat info;
  return ::stat(Port_FilePath(name).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The game reads BMP/ and Data/ from its working folder and writes log.txt
// there. Started from anywhere else (a file manager, another folder of a
// terminal), it moves to its own folder first when that one holds them, as a
// program started from its icon runs in its own folder on Windows. A folder
// still missing is named on stderr: without it the game runs with blank
// pictures or empty stages.
void ChooseWorkingFolder() {
  if (!HasFolder("BMP") && !HasFolder("Data")) {
    char program[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", program, sizeof(program) - 1);
    if (length > 0) {
      std::string folder(program, static_cast<size_t>(length));
      folder.erase(folder.find_last_of('/') + 1);
      char here[PATH_MAX];
      const bool back = ::getcwd(here, sizeof(here)) != nullptr;
      if (::chdir(folder.c_str()) == 0 && !HasFolder("BMP") && !HasFolder("Data")) {
        // Nothing there either: the folder it was started in is as good.
        if (!back || ::chdir(here) != 0)
          std::fprintf(stderr, "voskar: cannot return to the folder it was started in\n");
      }
    }
  }
  char here[PATH_MAX];
  const char* folder = ::getcwd(here, sizeof(here)) ? here : ".";
  if (!HasFolder("BMP"))
    std::fprintf(stderr, "voskar: no BMP folder in %s: the pictures are missing\n", folder);
  if (!HasFolder("Data"))
    std::fprintf(stderr, "voskar: no Data folder in %s: the stages and word lists are missing\n",
                 folder);
}

}  // namespace
#endif

int main(int argc, char** argv) {
  if (!platform::backend::CheckDisplay()) return 1;
#ifndef VOSKAR_ENTRY_STAYS
  ChooseWorkingFolder();
#endif
  std::string arguments;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) arguments += ' ';
    arguments += argv[i];
  }
  std::string program = argc > 0 ? argv[0] : "voskar";
  if (program.find(' ') != std::string::npos) program = '"' + program + '"';
  platform::SetCommandLine(arguments.empty() ? program : program + ' ' + arguments);
  return WinMain(GetModuleHandleA(nullptr), nullptr, arguments.data(), SW_SHOW);
}
