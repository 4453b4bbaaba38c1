#include "backend/sdl_keys.h"

namespace platform {

namespace {

// Codes that win32.h does not name because the game never tests for them.
constexpr UINT kVkPrior = 0x21, kVkNext = 0x22, kVkEnd = 0x23, kVkHome = 0x24;
constexpr UINT kVkInsert = 0x2D, kVkDelete = 0x2E, kVkPause = 0x13, kVkCapital = 0x14;
constexpr UINT kVkNumpad0 = 0x60, kVkMultiply = 0x6A, kVkAdd = 0x6B, kVkSubtract = 0x6D;
constexpr UINT kVkDecimal = 0x6E, kVkDivide = 0x6F, kVkNumLock = 0x90, kVkScroll = 0x91;
constexpr UINT kVkLWin = 0x5B, kVkRWin = 0x5C, kVkApps = 0x5D, kVkSnapshot = 0x2C;
constexpr UINT kVkOem1 = 0xBA, kVkOemPlus = 0xBB, kVkOemComma = 0xBC, kVkOemMinus = 0xBD;
constexpr UINT kVkOemPeriod = 0xBE, kVkOem2 = 0xBF, kVkOem3 = 0xC0, kVkOem4 = 0xDB;
constexpr UINT kVkOem5 = 0xDC, kVkOem6 = 0xDD, kVkOem7 = 0xDE, kVkOem102 = 0xE2;

UINT FromSymbol(SDL_Keycode symbol) {
  if (symbol >= 'a' && symbol <= 'z') return static_cast<UINT>(symbol - 'a' + 'A');
  if (symbol >= '0' && symbol <= '9') return static_cast<UINT>(symbol);
  if (symbol >= SDLK_F1 && symbol <= SDLK_F12) return VK_F1 + static_cast<UINT>(symbol - SDLK_F1);
  if (symbol >= SDLK_KP_1 && symbol <= SDLK_KP_9)
    return kVkNumpad0 + 1 + static_cast<UINT>(symbol - SDLK_KP_1);
  switch (symbol) {
    case SDLK_ESCAPE:
      return VK_ESCAPE;
    case SDLK_BACKSPACE:
      return VK_BACK;
    case SDLK_TAB:
      return VK_TAB;
    case SDLK_RETURN:
    case SDLK_RETURN2:
    case SDLK_KP_ENTER:
      return VK_RETURN;
    case SDLK_SPACE:
      return VK_SPACE;
    case SDLK_LEFT:
      return VK_LEFT;
    case SDLK_UP:
      return VK_UP;
    case SDLK_RIGHT:
      return VK_RIGHT;
    case SDLK_DOWN:
      return VK_DOWN;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT:
      return VK_SHIFT;
    case SDLK_LCTRL:
    case SDLK_RCTRL:
      return VK_CONTROL;
    case SDLK_LALT:
    case SDLK_RALT:
      return VK_MENU;
    case SDLK_LGUI:
      return kVkLWin;
    case SDLK_RGUI:
      return kVkRWin;
    case SDLK_APPLICATION:
      return kVkApps;
    case SDLK_PAGEUP:
      return kVkPrior;
    case SDLK_PAGEDOWN:
      return kVkNext;
    case SDLK_END:
      return kVkEnd;
    case SDLK_HOME:
      return kVkHome;
    case SDLK_INSERT:
      return kVkInsert;
    case SDLK_DELETE:
      return kVkDelete;
    case SDLK_PAUSE:
      return kVkPause;
    case SDLK_CAPSLOCK:
      return kVkCapital;
    case SDLK_NUMLOCKCLEAR:
      return kVkNumLock;
    case SDLK_SCROLLLOCK:
      return kVkScroll;
    case SDLK_PRINTSCREEN:
      return kVkSnapshot;
    case SDLK_KP_0:
      return kVkNumpad0;
    case SDLK_KP_MULTIPLY:
      return kVkMultiply;
    case SDLK_KP_PLUS:
      return kVkAdd;
    case SDLK_KP_MINUS:
      return kVkSubtract;
    case SDLK_KP_PERIOD:
      return kVkDecimal;
    case SDLK_KP_DIVIDE:
      return kVkDivide;
    case SDLK_SEMICOLON:
      return kVkOem1;
    case SDLK_EQUALS:
    case SDLK_PLUS:
      return kVkOemPlus;
    case SDLK_COMMA:
      return kVkOemComma;
    case SDLK_MINUS:
      return kVkOemMinus;
    case SDLK_PERIOD:
      return kVkOemPeriod;
    case SDLK_SLASH:
      return kVkOem2;
    case SDLK_BACKQUOTE:
      return kVkOem3;
    case SDLK_LEFTBRACKET:
      return kVkOem4;
    case SDLK_BACKSLASH:
      return kVkOem5;
    case SDLK_RIGHTBRACKET:
      return kVkOem6;
    case SDLK_QUOTE:
      return kVkOem7;
    case SDLK_LESS:
      return kVkOem102;
    default:
      return 0;
  }
}

}  // namespace

UINT VirtualKeyFromSdl(SDL_Keycode symbol, SDL_Scancode scancode) {
  const UINT bySymbol = FromSymbol(symbol);
  if (bySymbol) return bySymbol;
  // The symbol is not one the platform names (a key of another script, or a
  // layout's own punctuation): report the key at that position of a US layout.
  if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z)
    return 'A' + static_cast<UINT>(scancode - SDL_SCANCODE_A);
  if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9)
    return '1' + static_cast<UINT>(scancode - SDL_SCANCODE_1);
  if (scancode == SDL_SCANCODE_0) return '0';
  const SDL_Keycode usSymbol = SDL_SCANCODE_TO_KEYCODE(scancode);
  switch (scancode) {
    case SDL_SCANCODE_SEMICOLON:
      return kVkOem1;
    case SDL_SCANCODE_EQUALS:
      return kVkOemPlus;
    case SDL_SCANCODE_COMMA:
      return kVkOemComma;
    case SDL_SCANCODE_MINUS:
      return kVkOemMinus;
    case SDL_SCANCODE_PERIOD:
      return kVkOemPeriod;
    case SDL_SCANCODE_SLASH:
      return kVkOem2;
    case SDL_SCANCODE_GRAVE:
      return kVkOem3;
    case SDL_SCANCODE_LEFTBRACKET:
      return kVkOem4;
    case SDL_SCANCODE_BACKSLASH:
      return kVkOem5;
    case SDL_SCANCODE_RIGHTBRACKET:
      return kVkOem6;
    case SDL_SCANCODE_APOSTROPHE:
      return kVkOem7;
    case SDL_SCANCODE_NONUSBACKSLASH:
      return kVkOem102;
    default:
      return FromSymbol(usSymbol);
  }
}

}  // namespace platform
