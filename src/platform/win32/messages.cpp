// The thread's message queue, the keyboard's messages and the window
// system's events as messages. Real SDL events and the test injections go
// through the same functions here.
#include <cstdio>
#include <deque>

#include "backend/backend.h"
#include "testing.h"
#include "win32/state.h"

namespace platform {

namespace {

struct Queue {
  std::deque<MSG> messages;
  bool quitPending = false;
  int quitCode = 0;
};

Queue& GetQueue() {
  static Queue queue;
  return queue;
}

MSG MakeMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  MSG msg{};
  msg.hwnd = window;
  msg.message = message;
  msg.wParam = wParam;
  msg.lParam = lParam;
  msg.time = timeGetTime();
  return msg;
}

bool Matches(const MSG& msg, HWND window, UINT filterMin, UINT filterMax) {
  if (window && msg.hwnd != window) return false;
  if (filterMin == 0 && filterMax == 0) return true;
  return msg.message >= filterMin && msg.message <= filterMax;
}

// The character TranslateMessage makes from a key-down, or 0: only these
// four keys produce a character by themselves.
WPARAM CharacterOfKey(WPARAM virtualKey) {
  switch (virtualKey) {
    case VK_ESCAPE:
      return 27;
    case VK_BACK:
      return 8;
    case VK_TAB:
      return 9;
    case VK_RETURN:
      return 13;
    default:
      return 0;
  }
}

// Decodes one UTF-8 sequence at text; returns its length (at least 1) and
// the code point, or -1 as the code point for a malformed sequence.
int DecodeUtf8(const unsigned char* text, long* codePoint) {
  const unsigned char lead = text[0];
  int length = 0;
  long value = 0;
  if (lead < 0x80) {
    *codePoint = lead;
    return 1;
  } else if ((lead & 0xE0) == 0xC0) {
    length = 2;
    value = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3;
    value = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4;
    value = lead & 0x07;
  } else {
    *codePoint = -1;
    return 1;
  }
  for (int i = 1; i < length; ++i) {
    if ((text[i] & 0xC0) != 0x80) {
      *codePoint = -1;
      return i;  // resume at the byte that broke the sequence
    }
    value = (value << 6) | (text[i] & 0x3F);
  }
  static const long kSmallest[5] = {0, 0, 0x80, 0x800, 0x10000};
  *codePoint = value < kSmallest[length] ? -1 : value;  // overlong forms are malformed
  return length;
}

}  // namespace

// ------------------------------------------------------------------ queue
void QueuePost(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  GetQueue().messages.push_back(MakeMessage(window, message, wParam, lParam));
}

void QueuePostFront(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  GetQueue().messages.push_front(MakeMessage(window, message, wParam, lParam));
}

bool QueueHas(HWND window, UINT message) {
  for (const MSG& msg : GetQueue().messages)
    if (msg.hwnd == window && msg.message == message) return true;
  return false;
}

void QueueDiscardWindow(HWND window) {
  auto& messages = GetQueue().messages;
  for (auto it = messages.begin(); it != messages.end();)
    it = it->hwnd == window ? messages.erase(it) : it + 1;
}

void QueueReset() {
  Queue& queue = GetQueue();
  queue.messages.clear();
  queue.quitPending = false;
  queue.quitCode = 0;
}

// ------------------------------------------------------------------ keyboard
LPARAM KeyDownLParam(bool repeat) {
  return static_cast<LPARAM>(1u | (repeat ? 1u << 30 : 0u));
}

void PostKeyDown(HWND window, UINT virtualKey, bool repeat) {
  QueuePost(window, WM_KEYDOWN, virtualKey, KeyDownLParam(repeat));
}

void PostKeyUp(HWND window, UINT virtualKey) {
  QueuePost(window, WM_KEYUP, virtualKey, static_cast<LPARAM>(1u | 1u << 30 | 1u << 31));
}

std::string TextToCharBytes(const char* utf8) {
  std::string bytes;
  if (!utf8) return bytes;
  const unsigned char* p = reinterpret_cast<const unsigned char*>(utf8);
  while (*p) {
    long codePoint = 0;
    p += DecodeUtf8(p, &codePoint);
    if (codePoint < 0x20 || codePoint == 0x7F || codePoint > 0xFF) continue;
    bytes += static_cast<char>(static_cast<unsigned char>(codePoint));
  }
  return bytes;
}

void PostText(HWND window, const char* utf8) {
  for (char c : TextToCharBytes(utf8))
    QueuePost(window, WM_CHAR, static_cast<unsigned char>(c), KeyDownLParam(false));
}

// ------------------------------------------------------------------ window events
void OnWindowMinimized(HWND window) {
  WindowRecord* record = FindWindowRecord(window);
  if (!record || record->minimized) return;
  record->minimized = true;
  QueuePost(window, WM_SIZE, SIZE_MINIMIZED, 0);
}

void OnWindowRestored(HWND window, bool maximized) {
  // The client area keeps its logical size whatever the native window does,
  // so only a return from the minimised state is a change of size.
  WindowRecord* record = FindWindowRecord(window);
  if (!record || !record->minimized) return;
  record->minimized = false;
  QueuePost(window, WM_SIZE, maximized ? SIZE_MAXIMIZED : SIZE_RESTORED, MAKELPARAM(640, 480));
}

void OnWindowMoved(HWND window, int clientX, int clientY) {
  if (FindWindowRecord(window)) QueuePost(window, WM_MOVE, 0, MAKELPARAM(clientX, clientY));
}

void OnWindowCloseRequested(HWND window) {
  if (FindWindowRecord(window)) QueuePost(window, WM_CLOSE, 0, 0);
}

void OnWindowExposed(HWND window) {
  if (FindWindowRecord(window) && !QueueHas(window, WM_PAINT)) QueuePost(window, WM_PAINT, 0, 0);
}

void OnMouseMoved(HWND window) {
  if (FindWindowRecord(window) && !QueueHas(window, WM_SETCURSOR))
    QueuePost(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), MAKELPARAM(HTCLIENT, 0));
}

// ------------------------------------------------------------------ testing.h
void InjectMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  QueuePost(window, message, wParam, lParam);
}

void InjectKeyDown(HWND window, UINT virtualKey, bool repeat) {
  PostKeyDown(window, virtualKey, repeat);
}

void InjectText(HWND window, const char* utf8) {
  PostText(window, utf8);
}

}  // namespace platform

// ------------------------------------------------------------------ Win32
using namespace platform;

BOOL PeekMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax, UINT removeMsg) {
  if (!msg) return FALSE;
  backend::PumpEvents(false);
  Queue& queue = GetQueue();
  for (auto it = queue.messages.begin(); it != queue.messages.end(); ++it) {
    if (!Matches(*it, window, filterMin, filterMax)) continue;
    *msg = *it;
    if (removeMsg & PM_REMOVE) queue.messages.erase(it);
    return TRUE;
  }
  // The quit request is taken only once nothing else is waiting.
  const bool quitInRange =
      (filterMin == 0 && filterMax == 0) || (WM_QUIT >= filterMin && WM_QUIT <= filterMax);
  if (queue.quitPending && quitInRange) {
    *msg = MakeMessage(nullptr, WM_QUIT, static_cast<WPARAM>(queue.quitCode), 0);
    if (removeMsg & PM_REMOVE) queue.quitPending = false;
    return TRUE;
  }
  return FALSE;
}

BOOL GetMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax) {
  if (!msg) return FALSE;
  for (;;) {
    if (PeekMessageA(msg, window, filterMin, filterMax, PM_REMOVE))
      return msg->message == WM_QUIT ? FALSE : TRUE;
    if (CurrentBackend() == Backend::Headless) {
      // Without a window system nothing can ever arrive: end the loop rather
      // than wait for ever.
      std::fprintf(stderr, "voskar: GetMessageA with an empty queue and no window system\n");
      *msg = MakeMessage(nullptr, WM_QUIT, 0, 0);
      return FALSE;
    }
    backend::PumpEvents(true);
  }
}

BOOL TranslateMessage(const MSG* msg) {
  if (!msg || msg->message != WM_KEYDOWN) return FALSE;
  if (const WPARAM character = CharacterOfKey(msg->wParam))
    QueuePostFront(msg->hwnd, WM_CHAR, character, msg->lParam);
  return TRUE;
}

int TranslateAcceleratorA(HWND, HACCEL, LPMSG) {
  return 0;  // no accelerator tables exist
}

LRESULT DispatchMessageA(const MSG* msg) {
  if (!msg) return 0;
  return SendMessageA(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  WindowRecord* record = FindWindowRecord(window);
  if (!record || !record->proc) return 0;
  const WNDPROC proc = record->proc;
  return proc(window, message, wParam, lParam);
}

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (window && !FindWindowRecord(window)) return FALSE;
  QueuePost(window, message, wParam, lParam);
  return TRUE;
}

void PostQuitMessage(int exitCode) {
  Queue& queue = GetQueue();
  queue.quitPending = true;
  queue.quitCode = exitCode;
}
