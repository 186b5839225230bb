#include "win/win_util.h"

#include <commctrl.h>

#include <map>
#include <vector>

namespace trivane::win {

std::wstring Wide(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int n =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
  return wide;
}

std::string Narrow(const std::wstring& wide) {
  if (wide.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr,
                                    0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), n,
                      nullptr, nullptr);
  return utf8;
}

std::wstring WithCrLf(const std::wstring& text) {
  std::wstring out;
  for (std::size_t k = 0; k < text.size(); ++k) {
    if (text[k] == L'\r' || text[k] == L'\n') {
      out += L"\r\n";
      if (text[k] == L'\r' && k + 1 < text.size() && text[k + 1] == L'\n') ++k;
    } else {
      out += text[k];
    }
  }
  return out;
}

std::wstring TextOf(HWND control) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(
      GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
  return text;
}

void SetTextOf(HWND control, const std::string& utf8) {
  SetWindowTextW(control, Wide(utf8).c_str());
}

COLORREF ToColorRef(Colour colour) {
  // A colour value holds red in its low byte, as a COLORREF does.
  if ((colour & 0x80000000u) != 0) return GetSysColor(static_cast<int>(colour & 0xFF));
  return colour & 0xFFFFFF;
}

int TwipsToPixels(int twips, int dpi) {
  return MulDiv(twips, dpi, 1440);
}

int Scaled(int pixels, int dpi) {
  return MulDiv(pixels, dpi, 96);
}

int DpiOf(HWND window) {
  const UINT dpi = window != nullptr ? GetDpiForWindow(window) : 0;
  if (dpi != 0) return static_cast<int>(dpi);
  HDC screen = GetDC(nullptr);
  const int system = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return system;
}

HFONT WindowFont(bool bold, int dpi) {
  static std::map<std::pair<bool, int>, HFONT> fonts;
  HFONT& font = fonts[{bold, dpi}];
  if (font == nullptr) {
    // 8.25 points: 11 pixels at 96 dots per inch.
    font = CreateFontW(-MulDiv(825, dpi, 7200), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE,
                       FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                       DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"MS Sans Serif");
  }
  return font;
}

HFONT FixedFont(int dpi) {
  static std::map<int, HFONT> fonts;
  HFONT& font = fonts[dpi];
  if (font == nullptr) {
    font = CreateFontW(-Scaled(13, dpi), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       FIXED_PITCH | FF_MODERN, L"Courier New");
  }
  return font;
}

void Place(HWND parent, int id, int left, int top, int width, int height) {
  MoveWindow(GetDlgItem(parent, id), left, top, std::max(0, width), std::max(0, height), FALSE);
}

HWND AddControl(HWND parent, const wchar_t* window_class, const std::wstring& text, DWORD style,
                RECT at, int id, HFONT font, DWORD ex_style) {
  HWND control = CreateWindowExW(
      ex_style, window_class, text.c_str(), WS_CHILD | WS_VISIBLE | style, at.left, at.top,
      at.right - at.left, at.bottom - at.top, parent,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  if (font != nullptr) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return control;
}

HICON ProgramIcon() {
  static HICON icon = static_cast<HICON>(
      LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
  return icon;
}

void RegisterClassOnce(const wchar_t* name, WNDPROC proc, HBRUSH background, HICON icon) {
  // The common controls' classes (with the manifest, the system's own
  // controls too) exist once they are asked for.
  static const bool controls = [] {
    const INITCOMMONCONTROLSEX asked{
        sizeof(INITCOMMONCONTROLSEX),
        ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES | ICC_WIN95_CLASSES};
    return InitCommonControlsEx(&asked) != FALSE;
  }();
  (void)controls;
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExW(GetModuleHandleW(nullptr), name, &existing)) return;
  WNDCLASSEXW c{};
  c.cbSize = sizeof c;
  c.style = CS_DBLCLKS;
  c.lpfnWndProc = proc;
  c.hInstance = GetModuleHandleW(nullptr);
  c.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  c.hbrBackground = background;
  c.hIcon = icon;
  c.lpszClassName = name;
  RegisterClassExW(&c);
}

}  // namespace trivane::win
