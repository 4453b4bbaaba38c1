// Placeholder program until the game lands: FIXME replace with the game.
#include "win32.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return 0; }
