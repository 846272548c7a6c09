#pragma once

#include <cstdint>
#include <memory>

namespace morvik {

// A small model of the window system's messages, on Qt: every window of ours
// has a handle and one current window procedure, which can be replaced
// (subclassing) and called through. Posted messages are events in Qt's
// queue. Everything runs on the user-interface thread.

using HWND = uintptr_t;  // 0 names no window
using UINT = uint32_t;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;

constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_MOVE = 0x0003;
constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_SHOWWINDOW = 0x0018;
constexpr UINT WM_GETMINMAXINFO = 0x0024;
constexpr UINT WM_NCHITTEST = 0x0084;

// WM_SIZE's wParam.
constexpr WPARAM SIZE_RESTORED = 0;
constexpr WPARAM SIZE_MINIMIZED = 1;
constexpr WPARAM SIZE_MAXIMIZED = 2;

// WM_NCHITTEST's results.
constexpr LRESULT HTNOWHERE = 0;
constexpr LRESULT HTCLIENT = 1;
constexpr LRESULT HTCAPTION = 2;
constexpr LRESULT HTLEFT = 10;
constexpr LRESULT HTRIGHT = 11;
constexpr LRESULT HTTOP = 12;
constexpr LRESULT HTTOPLEFT = 13;
constexpr LRESULT HTTOPRIGHT = 14;
constexpr LRESULT HTBOTTOM = 15;
constexpr LRESULT HTBOTTOMLEFT = 16;
constexpr LRESULT HTBOTTOMRIGHT = 17;

// The codes of the sizing border, HTLEFT to HTBOTTOMRIGHT.
constexpr bool IsSizingBorder(LRESULT code) { return code >= HTLEFT && code <= HTBOTTOMRIGHT; }

struct POINT {
    int32_t x;
    int32_t y;
    friend bool operator==(POINT, POINT) = default;
};

// What WM_GETMINMAXINFO's lParam points to.
struct MINMAXINFO {
    POINT ptReserved;
    POINT ptMaxSize;
    POINT ptMaxPosition;
    POINT ptMinTrackSize;
    POINT ptMaxTrackSize;
};

// Two 16-bit halves in one parameter, as WM_MOVE and WM_SIZE carry them.
constexpr LPARAM MakeLParam(int32_t low, int32_t high) {
    return static_cast<LPARAM>((static_cast<uint32_t>(high) << 16) | (low & 0xFFFF));
}

// A window procedure: what a window does with a message.
class TWindowProc {
  public:
    virtual ~TWindowProc() = default;
    virtual LRESULT Call(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;
};
using WNDPROC = TWindowProc*;

constexpr int GWL_WNDPROC = -4;

// Installs `procedure` as the window's current one and returns the previous
// one; nullptr (and no change) for a handle that names no window.
WNDPROC SetWindowLongA(HWND window, int index, WNDPROC procedure);
LRESULT CallWindowProcA(WNDPROC procedure, HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Through the window's current procedure, at once; 0 for no window.
LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Queued: the window's current procedure gets it from the event loop, unless
// the window is gone by then. False for a handle that names no window.
bool PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
bool IsWindow(HWND window);
// The same name gives the same number, from 0xC000 up as the window system
// numbers them.
UINT RegisterWindowMessageA(const char* name);

// A new window handle, whose procedure starts as `procedure`. It names a
// window until DestroyWindowHandle; posted messages not yet delivered go
// with it.
HWND CreateWindowHandle(WNDPROC procedure);
void DestroyWindowHandle(HWND window);

// Keeps a procedure that its maker no longer needs alive for as long as the
// window lives, for whoever installed or saved it meanwhile; freed at once
// for a handle that names no window.
void KeepWhileWindowLives(HWND window, std::unique_ptr<TWindowProc> procedure);

}  // namespace morvik
