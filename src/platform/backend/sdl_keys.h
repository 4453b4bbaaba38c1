// The virtual-key code the platform reports for an SDL key.
#pragma once

#include <SDL.h>

#include "win32.h"

namespace platform {

// Letters give 'A'..'Z' and digits '0'..'9' after the key's symbol in the
// current layout, as the platform's layouts do for Latin keys; other keys
// give their VK_ code. Keys whose symbol has no code (a letter of another
// script, say) fall back to the code of the key at that position on a US
// layout. 0 for keys the platform has no code for.
UINT VirtualKeyFromSdl(SDL_Keycode symbol, SDL_Scancode scancode);

}  // namespace platform
