// Window classes and windows. A window is a record here plus, with the SDL
// backend, a native window; its client area is always 640 x 480 logical
// pixels whatever the native window's size.
#include <algorithm>
#include <cctype>
#include <map>
#include <string>

#include "backend/backend.h"
#include "testing.h"
#include "win32/state.h"

namespace platform {

namespace {

constexpr LONG kClientWidth = 640;
constexpr LONG kClientHeight = 480;

struct ClassRecord {
  WNDPROC proc = nullptr;
  HCURSOR cursor = nullptr;
};

std::string Lower(const char* text) {
  std::string result = text ? text : "";
  for (char& c : result) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return result;
}

struct Windows {
  std::map<std::string, ClassRecord> classes;  // by lower-cased class name
  std::map<HWND, WindowRecord> windows;
  uintptr_t nextId = 1;
  ATOM nextAtom = 0xC000;  // where the platform's registered class atoms start
  HWND main = nullptr;
  HCURSOR cursor = nullptr;
};

Windows& GetWindows() {
  static Windows windows;
  return windows;
}

// Handles are never reused, so a stale one is recognised as invalid.
HWND NewHandle() {
  return reinterpret_cast<HWND>(static_cast<uintptr_t>(0x10000) + 0x10 * GetWindows().nextId++);
}

const HCURSOR kArrowCursor = reinterpret_cast<HCURSOR>(static_cast<uintptr_t>(0x7F00));
const HINSTANCE kModule = reinterpret_cast<HINSTANCE>(static_cast<uintptr_t>(0x400000));

POINT ClientOrigin(const WindowRecord& record) {
  POINT origin{record.windowRect.left, record.windowRect.top};
  backend::GetGeometry(record.handle, nullptr, &origin);
  return origin;
}

}  // namespace

WindowRecord* FindWindowRecord(HWND window) {
  if (!window) return nullptr;
  Windows& all = GetWindows();
  auto it = all.windows.find(window);
  return it == all.windows.end() ? nullptr : &it->second;
}

HWND MainWindow() {
  return GetWindows().main;
}

std::string Latin1ToUtf8(const char* text) {
  std::string result;
  for (const char* p = text ? text : ""; *p; ++p) {
    const unsigned char c = static_cast<unsigned char>(*p);
    if (c < 0x80) {
      result += static_cast<char>(c);
    } else {
      result += static_cast<char>(0xC0 | (c >> 6));
      result += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return result;
}

// Tests: forget every window and class, as at program start.
void ResetWindowsForTesting() {
  Windows& all = GetWindows();
  while (!all.windows.empty()) {
    const HWND window = all.windows.begin()->first;
    backend::CloseWindow(window);
    all.windows.erase(window);
  }
  all.classes.clear();
  all.main = nullptr;
  all.cursor = nullptr;
  QueueReset();
}

}  // namespace platform

// ------------------------------------------------------------------ Win32
using namespace platform;

ATOM RegisterClassA(const WNDCLASSA* wndClass) {
  if (!wndClass || !wndClass->lpszClassName || !wndClass->lpfnWndProc) return 0;
  Windows& all = GetWindows();
  const std::string name = Lower(wndClass->lpszClassName);
  if (all.classes.count(name)) return 0;  // the class already exists
  all.classes[name] = ClassRecord{wndClass->lpfnWndProc, wndClass->hCursor};
  return all.nextAtom++;
}

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND, HMENU, HINSTANCE, LPVOID) {
  Windows& all = GetWindows();
  auto cls = all.classes.find(Lower(className));
  if (cls == all.classes.end()) return nullptr;

  WindowRecord record;
  record.handle = NewHandle();
  record.proc = cls->second.proc;
  record.style = style;
  record.exStyle = exStyle;
  record.title = windowName ? windowName : "";
  record.classCursor = cls->second.cursor;
  const LONG left = x == CW_USEDEFAULT ? 0 : x;
  const LONG top = y == CW_USEDEFAULT ? 0 : y;
  record.windowRect = RECT{left, top, left + (width == CW_USEDEFAULT ? kClientWidth : width),
                           top + (height == CW_USEDEFAULT ? kClientHeight : height)};
  const HWND window = record.handle;
  if (!backend::OpenWindow(window, Latin1ToUtf8(record.title.c_str()), x, y,
                           (style & WS_VISIBLE) != 0))
    return nullptr;
  all.windows[window] = record;
  if (!all.main) all.main = window;
  if (!(style & WS_CAPTION)) backend::SetBordered(window, false);

  // The creation messages, sent in the platform's order: size limits, then
  // creation, then the first size and position of the client area.
  MINMAXINFO limits{};
  limits.ptMinTrackSize = POINT{100, 100};
  limits.ptMaxTrackSize = POINT{0x7FFF, 0x7FFF};
  SendMessageA(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
  backend::SetMinimumSize(window, limits.ptMinTrackSize.x, limits.ptMinTrackSize.y);
  if (SendMessageA(window, WM_CREATE, 0, 0) == -1) {
    DestroyWindow(window);
    return nullptr;
  }
  if (!FindWindowRecord(window)) return nullptr;
  SendMessageA(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(kClientWidth, kClientHeight));
  if (WindowRecord* created = FindWindowRecord(window)) {
    const POINT origin = ClientOrigin(*created);
    SendMessageA(window, WM_MOVE, 0, MAKELPARAM(origin.x, origin.y));
  }
  return FindWindowRecord(window) ? window : nullptr;
}

BOOL DestroyWindow(HWND window) {
  WindowRecord* record = FindWindowRecord(window);
  if (!record || record->destroying) return FALSE;
  record->destroying = true;
  SendMessageA(window, WM_DESTROY, 0, 0);
  backend::CloseWindow(window);
  QueueDiscardWindow(window);
  Windows& all = GetWindows();
  all.windows.erase(window);
  if (all.main == window) all.main = nullptr;
  return TRUE;
}

BOOL UpdateWindow(HWND window) {
  return FindWindowRecord(window) ? TRUE : FALSE;
}

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_SETCURSOR:
      if (LOWORD(lParam) == HTCLIENT) {
        // Without a class cursor the shape is left as the program set it.
        WindowRecord* record = FindWindowRecord(window);
        if (record && record->classCursor) {
          SetCursor(record->classCursor);
          return TRUE;
        }
      }
      return FALSE;
    case WM_NCHITTEST:
      return HTCLIENT;
    default:
      return 0;
  }
}

LONG GetWindowLongA(HWND window, int index) {
  WindowRecord* record = FindWindowRecord(window);
  if (!record || index != GWL_STYLE) return 0;
  return static_cast<LONG>(record->style);
}

LONG SetWindowLongA(HWND window, int index, LONG value) {
  WindowRecord* record = FindWindowRecord(window);
  if (!record || index != GWL_STYLE) return 0;
  const LONG previous = static_cast<LONG>(record->style);
  record->style = static_cast<DWORD>(value);
  backend::SetBordered(window, (record->style & WS_CAPTION) != 0);
  return previous;
}

BOOL GetWindowRect(HWND window, LPRECT rect) {
  WindowRecord* record = FindWindowRecord(window);
  if (!record || !rect) return FALSE;
  if (!backend::GetGeometry(window, rect, nullptr)) *rect = record->windowRect;
  return TRUE;
}

BOOL GetClientRect(HWND window, LPRECT rect) {
  if (!FindWindowRecord(window) || !rect) return FALSE;
  *rect = RECT{0, 0, kClientWidth, kClientHeight};
  return TRUE;
}

BOOL ClientToScreen(HWND window, LPPOINT point) {
  WindowRecord* record = FindWindowRecord(window);
  if (!record || !point) return FALSE;
  const POINT origin = ClientOrigin(*record);
  point->x += origin.x;
  point->y += origin.y;
  return TRUE;
}

BOOL SetWindowPos(HWND window, HWND, int x, int y, int cx, int cy, UINT flags) {
  WindowRecord* record = FindWindowRecord(window);
  if (!record) return FALSE;
  const bool move = !(flags & SWP_NOMOVE);
  const bool size = !(flags & SWP_NOSIZE);
  RECT& rect = record->windowRect;
  if (move) {
    rect = RECT{x, y, x + (rect.right - rect.left), y + (rect.bottom - rect.top)};
  }
  if (size) {
    rect.right = rect.left + cx;
    rect.bottom = rect.top + cy;
  }
  backend::SetGeometry(window, x, y, cx, cy, move, size);
  if (flags & SWP_SHOWWINDOW) {
    record->style |= WS_VISIBLE;
    backend::ShowWindow(window);
  }
  return TRUE;
}

HCURSOR SetCursor(HCURSOR cursor) {
  Windows& all = GetWindows();
  const HCURSOR previous = all.cursor;
  all.cursor = cursor;
  backend::ShowCursor(cursor != nullptr);
  return previous;
}

BOOL DrawMenuBar(HWND window) {
  return FindWindowRecord(window) ? TRUE : FALSE;
}

BOOL RedrawWindow(HWND window, const RECT*, void*, UINT) {
  return !window || FindWindowRecord(window) ? TRUE : FALSE;
}

HWND GetForegroundWindow() {
  return GetWindows().main;
}

// The desktop is no window of ours: a handle that is never null and matches
// no window record.
HWND GetDesktopWindow() {
  static char desktop;
  return reinterpret_cast<HWND>(&desktop);
}

HMODULE GetModuleHandleA(LPCSTR moduleName) {
  return moduleName ? nullptr : kModule;
}

// The program carries no resources: icons, menus, accelerator tables and
// dialog templates are all "not found". Only the system's arrow cursor exists.
HICON LoadIconA(HINSTANCE, LPCSTR) {
  return nullptr;
}

HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name) {
  return !instance && name == IDC_ARROW ? kArrowCursor : nullptr;
}

HMENU LoadMenuA(HINSTANCE, LPCSTR) {
  return nullptr;
}

HACCEL LoadAcceleratorsA(HINSTANCE, LPCSTR) {
  return nullptr;
}

HMENU GetSubMenu(HMENU, int) {
  return nullptr;
}

BOOL TrackPopupMenuEx(HMENU, UINT, int, int, HWND, void*) {
  return FALSE;
}

INT_PTR DialogBoxParamA(HINSTANCE, LPCSTR, HWND, DLGPROC, LPARAM) {
  return -1;
}

BOOL EndDialog(HWND, INT_PTR) {
  return FALSE;
}

HGDIOBJ GetStockObject(int object) {
  // Stock objects are never drawn with here; any valid index gives a handle.
  if (object < 0 || object > 19) return nullptr;
  return reinterpret_cast<HGDIOBJ>(static_cast<uintptr_t>(0x8A0000 + object));
}

BOOL SetRect(LPRECT rect, int left, int top, int right, int bottom) {
  if (!rect) return FALSE;
  *rect = RECT{left, top, right, bottom};
  return TRUE;
}

LPSTR lstrcpynA(LPSTR dest, LPCSTR src, int maxLength) {
  if (!dest || !src) return nullptr;
  if (maxLength <= 0) return dest;
  int i = 0;
  for (; i < maxLength - 1 && src[i]; ++i) dest[i] = src[i];
  dest[i] = '\0';
  return dest;
}

int lstrcmpiA(LPCSTR a, LPCSTR b) {
  if (!a || !b) return a == b ? 0 : (a ? 1 : -1);
  // Case folding of the Western code page: ASCII and the accented capitals.
  auto fold = [](unsigned char c) -> unsigned {
    if (c >= 'A' && c <= 'Z') return c + 0x20u;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20u;
    return c;
  };
  for (;; ++a, ++b) {
    const unsigned ca = fold(static_cast<unsigned char>(*a));
    const unsigned cb = fold(static_cast<unsigned char>(*b));
    if (ca != cb) return ca < cb ? -1 : 1;
    if (!ca) return 0;
  }
}
