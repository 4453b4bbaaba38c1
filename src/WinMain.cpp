// The program entry: builds the game's frame object and runs its message loop.
#include "MyD3DApplication.h"
#include "win32.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR commandLine,
                   int /*showCommand*/) {
  CMyD3DApplication application;
  // A start-up that failed (its error box has been shown) ends with a
  // failure status, not 0.
  if (FAILED(application.Create(instance, commandLine))) return 1;
  return application.Run();
}
