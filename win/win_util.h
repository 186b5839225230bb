// What every window of the Windows front end needs: UTF-8 and UTF-16, a
// window class whose procedure reaches its C++ object, the layout's twips in
// pixels at the window's DPI, the window's fonts and colours, a control's
// text, and the program's icon.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// The window operations' MessageBox and Yield, not the system's macros of
// those names (the system's functions are called by their W names).
#undef MessageBox
#undef Yield

#include <string>

#include "identification/window_ops.h"

namespace trivane::win {

std::wstring Wide(const std::string& utf8);
std::string Narrow(const std::wstring& wide);

// Text with every line break as CR LF, as the Windows controls want it; CR
// alone and LF alone each break a line.
std::wstring WithCrLf(const std::wstring& text);

// A control's text, and a new one.
std::wstring TextOf(HWND control);
void SetTextOf(HWND control, const std::string& utf8);

// The colour a colour value shows as: a system colour from the system.
COLORREF ToColorRef(Colour colour);

// Pixels for twips (1440 to the inch) and for 96-dpi pixels, at dpi.
int TwipsToPixels(int twips, int dpi);
int Scaled(int pixels, int dpi);
int DpiOf(HWND window);

// "MS Sans Serif" 8.25 pt, bold or not; the fixed-width font of the hex views.
HFONT WindowFont(bool bold, int dpi);
HFONT FixedFont(int dpi);

// A child control of the class, at the rectangle, with the font.
HWND AddControl(HWND parent, const wchar_t* window_class, const std::wstring& text, DWORD style,
                RECT at, int id, HFONT font, DWORD ex_style = 0);

// Moves the parent's control to the rectangle (a negative size as none),
// to be painted with the rest.
void Place(HWND parent, int id, int left, int top, int width, int height);

// The program's icon, from its resources.
HICON ProgramIcon();

// Registers, once, a window class whose procedure hands each message to
// T::Handle of the object passed as the creation parameter (kept in the
// window's user data; the object's hwnd_ set on WM_NCCREATE).
template <typename T>
LRESULT CALLBACK ObjectProc(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
  auto* self = reinterpret_cast<T*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (message == WM_NCCREATE) {
    self = static_cast<T*>(reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->hwnd_ = hwnd;
  }
  if (self == nullptr) return DefWindowProcW(hwnd, message, w, l);
  if (message == WM_NCDESTROY) SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
  return self->Handle(message, w, l);
}

// The messages our windows that delete themselves answer alike: static
// text on the window's face, and on WM_NCDESTROY the system's handling,
// then on_destroy, then the object deleted. Any other message: the
// system's handling. T has hwnd_ and on_destroy.
template <typename T>
LRESULT OwnWindowDefault(T* self, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_CTLCOLORSTATIC) {
    SetBkMode(reinterpret_cast<HDC>(w), TRANSPARENT);
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
  }
  const LRESULT done = DefWindowProcW(self->hwnd_, message, w, l);
  if (message == WM_NCDESTROY) {
    if (self->on_destroy) self->on_destroy(self);
    delete self;
  }
  return done;
}

void RegisterClassOnce(const wchar_t* name, WNDPROC proc, HBRUSH background, HICON icon = nullptr);

template <typename T>
void RegisterObjectClass(const wchar_t* name, HBRUSH background = nullptr) {
  RegisterClassOnce(name, &ObjectProc<T>, background, ProgramIcon());
}

}  // namespace trivane::win
