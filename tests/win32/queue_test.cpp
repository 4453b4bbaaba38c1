// The message queue, windows and the window system's events.
#include "recorder.h"

namespace {

constexpr UINT kFirst = 0x400, kSecond = 0x401, kThird = 0x402;

using MessageQueue = RecordingWindow;

TEST_F(MessageQueue, CreationSendsLimitsCreateSizeAndMoveInOrder) {
  HWND second = CreateWindowExA(0, "d3d WINDOW", "Second", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 30, 40,
                                640, 480, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(second, nullptr);
  ASSERT_GE(Log().size(), 4u);
  EXPECT_EQ(Log()[0].message, UINT(WM_GETMINMAXINFO));
  EXPECT_EQ(Log()[1].message, UINT(WM_CREATE));
  EXPECT_EQ(Log()[2], (Received{WM_SIZE, SIZE_RESTORED, MAKELPARAM(640, 480)}));
  EXPECT_EQ(Log()[3], (Received{WM_MOVE, 0, MAKELPARAM(30, 40)}));
  EXPECT_EQ(platform::MainWindow(), window_);  // the first window stays the main one
  EXPECT_EQ(
      CreateWindowExA(0, "No Such Class", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr),
      nullptr);
}

TEST_F(MessageQueue, ClassNamesAreUniqueWithoutRegardToCase) {
  WNDCLASSA again{};
  again.lpfnWndProc = Proc;
  again.lpszClassName = "d3d window";
  EXPECT_EQ(RegisterClassA(&again), 0);
}

TEST_F(MessageQueue, PeekKeepsOrderFiltersAndRemovesOnlyWhenAsked) {
  ASSERT_TRUE(PostMessageA(window_, kFirst, 1, 0));
  ASSERT_TRUE(PostMessageA(window_, kSecond, 2, 0));
  ASSERT_TRUE(PostMessageA(nullptr, kThird, 3, 0));  // a thread message
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(msg.message, kFirst);
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(msg.message, kFirst);
  // A range takes the first message inside it, leaving the others in place.
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, kSecond, kThird, PM_REMOVE));
  EXPECT_EQ(msg.message, kSecond);
  EXPECT_EQ(msg.hwnd, window_);
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, kSecond, kSecond, PM_REMOVE));
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, kFirst);
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, kThird);
  EXPECT_EQ(msg.hwnd, nullptr);
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_TRUE(Log().empty());  // posting never calls the window procedure
}

TEST_F(MessageQueue, SendCallsTheProcedureAtOnceAndReturnsItsResult) {
  PostMessageA(window_, kFirst, 0, 0);
  EXPECT_EQ(SendMessageA(window_, WM_NCHITTEST, 0, 0), HTCLIENT);
  ASSERT_EQ(Log().size(), 1u);
  EXPECT_EQ(Log()[0].message, UINT(WM_NCHITTEST));
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, kFirst);
  EXPECT_EQ(DispatchMessageA(&msg), 0);
  EXPECT_EQ(Log().back().message, kFirst);
}

TEST_F(MessageQueue, QuitComesAfterEverythingWaitingAndEndsGetMessage) {
  PostMessageA(window_, kFirst, 0, 0);
  PostQuitMessage(7);
  PostMessageA(window_, kSecond, 0, 0);
  MSG msg;
  ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.message, kFirst);
  ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.message, kSecond);
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(msg.message, UINT(WM_QUIT));
  EXPECT_FALSE(GetMessageA(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.message, UINT(WM_QUIT));
  EXPECT_EQ(msg.wParam, 7u);
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessageQueue, HeadlessGetMessageOnAnEmptyQueueEndsInsteadOfWaitingForever) {
  MSG msg;
  EXPECT_FALSE(GetMessageA(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.message, UINT(WM_QUIT));
}

TEST_F(MessageQueue, CloseButtonDestroysTheWindowAndDropsItsMessages) {
  platform::OnWindowCloseRequested(window_);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, UINT(WM_CLOSE));
  PostMessageA(window_, kFirst, 0, 0);
  DispatchMessageA(&msg);  // the default procedure destroys the window
  ASSERT_EQ(Log().size(), 2u);
  EXPECT_EQ(Log()[1].message, UINT(WM_DESTROY));
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(platform::MainWindow(), nullptr);
  RECT rect;
  EXPECT_FALSE(GetClientRect(window_, &rect));
  EXPECT_FALSE(PostMessageA(window_, kFirst, 0, 0));
  EXPECT_FALSE(DestroyWindow(window_));
}

TEST_F(MessageQueue, MinimiseAndRestoreAreSizeMessagesOtherResizesAreNot) {
  platform::OnWindowRestored(window_, false);  // a resize of the native window
  platform::OnWindowMinimized(window_);
  platform::OnWindowMinimized(window_);
  platform::OnWindowRestored(window_, false);
  platform::OnWindowMinimized(window_);
  platform::OnWindowRestored(window_, true);
  platform::OnWindowMoved(window_, -5, 200);
  DrainQueue();
  EXPECT_EQ(Log(), (std::vector<Received>{
                       {WM_SIZE, SIZE_MINIMIZED, 0},
                       {WM_SIZE, SIZE_RESTORED, MAKELPARAM(640, 480)},
                       {WM_SIZE, SIZE_MINIMIZED, 0},
                       {WM_SIZE, SIZE_MAXIMIZED, MAKELPARAM(640, 480)},
                       {WM_MOVE, 0, MAKELPARAM(-5, 200)},
                   }));
  EXPECT_EQ(static_cast<short>(LOWORD(Log().back().lParam)), -5);
}

TEST_F(MessageQueue, ClientAreaIsAlways640By480WhereverTheWindowIs) {
  ASSERT_TRUE(SetWindowPos(window_, HWND_NOTOPMOST, 100, 50, 1000, 900, SWP_SHOWWINDOW));
  RECT rect;
  ASSERT_TRUE(GetClientRect(window_, &rect));
  EXPECT_EQ(rect.right - rect.left, 640);
  EXPECT_EQ(rect.bottom - rect.top, 480);
  ASSERT_TRUE(GetWindowRect(window_, &rect));
  EXPECT_EQ(rect.left, 100);
  EXPECT_EQ(rect.bottom, 950);
  POINT point{10, 20};
  ASSERT_TRUE(ClientToScreen(window_, &point));
  EXPECT_EQ(point.x, 110);
  EXPECT_EQ(point.y, 70);
  const LONG style = GetWindowLongA(window_, GWL_STYLE);
  EXPECT_EQ(style, LONG(WS_OVERLAPPEDWINDOW | WS_VISIBLE));
  EXPECT_EQ(SetWindowLongA(window_, GWL_STYLE, LONG(WS_POPUP | WS_SYSMENU | WS_VISIBLE)), style);
  EXPECT_EQ(GetWindowLongA(window_, GWL_STYLE), LONG(0x90080000));
}

TEST_F(MessageQueue, ProgramResourcesAreNotFound) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  EXPECT_NE(instance, nullptr);
  EXPECT_EQ(LoadIconA(instance, MAKEINTRESOURCEA(101)), nullptr);
  EXPECT_EQ(LoadMenuA(instance, MAKEINTRESOURCEA(141)), nullptr);
  EXPECT_EQ(LoadAcceleratorsA(nullptr, MAKEINTRESOURCEA(113)), nullptr);
  EXPECT_EQ(GetSubMenu(LoadMenuA(nullptr, MAKEINTRESOURCEA(142)), 0), nullptr);
  EXPECT_FALSE(TrackPopupMenuEx(nullptr, TPM_RIGHTBUTTON, 0, 0, window_, nullptr));
  EXPECT_EQ(DialogBoxParamA(instance, MAKEINTRESOURCEA(143), window_, nullptr, 0), -1);
  EXPECT_NE(LoadCursorA(nullptr, IDC_ARROW), nullptr);
  EXPECT_NE(GetStockObject(WHITE_BRUSH), nullptr);
  MSG msg{window_, WM_KEYDOWN, 'A', 0, 0, {0, 0}};
  EXPECT_EQ(TranslateAcceleratorA(window_, nullptr, &msg), 0);
}

TEST_F(MessageQueue, MouseOverTheWindowAsksForTheCursorOnce) {
  platform::OnMouseMoved(window_);
  platform::OnMouseMoved(window_);
  DrainQueue();
  ASSERT_EQ(Log().size(), 1u);
  EXPECT_EQ(Log()[0].message, UINT(WM_SETCURSOR));
  EXPECT_EQ(LOWORD(Log()[0].lParam), HTCLIENT);
  // The default procedure showed the class's arrow; hiding it hands it back.
  EXPECT_EQ(SetCursor(nullptr), LoadCursorA(nullptr, IDC_ARROW));
}

}  // namespace
