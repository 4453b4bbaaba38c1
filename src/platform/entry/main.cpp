// The program entry: the C runtime's main hands over to the game's WinMain,
// as the Windows runtime would, and records the command line that
// GetCommandLineA answers.
#include <string>

#include "testing.h"
#include "win32.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand);

int main(int argc, char** argv) {
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
