// trivane.exe [FILE]: the window on Windows. With a file (as Explorer's
// "open with" passes one), it starts in the file's folder with the file
// chosen and identified. --version and --help answer on the console that
// started it.
#include "win/win_util.h"
// (win_util.h first: it sets up windows.h.)
#include <shellapi.h>

#include <filesystem>
#include <string>

#include "loader/image_file.h"
#include "ops/tapes.h"
#include "present/texts.h"
#include "win/file_lists.h"
#include "win/form27.h"

namespace {

void Answer(const std::string& text) {
  AttachConsole(ATTACH_PARENT_PROCESS);
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()), &written,
            nullptr);
}

int Run(const wchar_t* file, const wchar_t* shelf) {
  trivane::win::Form27 window;
  window.quit_on_close = true;
  RECT frame, screen;
  GetWindowRect(window.hwnd(), &frame);
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &screen, 0);
  SetWindowPos(window.hwnd(), nullptr,
               (screen.left + screen.right - (frame.right - frame.left)) / 2,
               (screen.top + screen.bottom - (frame.bottom - frame.top)) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER);
  ShowWindow(window.hwnd(), SW_SHOW);
  UpdateWindow(window.hwnd());
  if (shelf != nullptr) window.OpenShelf(std::filesystem::path(shelf));
  const bool chosen = file != nullptr && window.ChooseFile(std::filesystem::path(file));
  // A tape opened with Trivane shows its programs too.
  if (chosen && trivane::ops::IsTapeFile(file))
    window.OpenTape(file, trivane::win::Narrow(file), false);
  if (file != nullptr && !chosen) {
    const std::string path = trivane::win::Narrow(file);
    const std::string reason = trivane::OpenImageFile(std::filesystem::path(file)).error;
    window.MessageBox(trivane::ErrorPrompt(trivane::present::kCannotLoad + path,
                                           reason.empty() ? "it is not listed" : reason),
                      "Error");
  }
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (!IsDialogMessageW(GetAncestor(msg.hwnd, GA_ROOT), &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  return static_cast<int>(msg.wParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  const std::wstring first = argc > 1 ? argv[1] : L"";
  if (first == L"--version") {
    Answer("trivane " TRIVANE_VERSION "\n");
    return 0;
  }
  if (first == L"--help" || first == L"-h") {
    Answer(
        "usage: trivane [FILE]   |   trivane --shelf DIR\n\nThe Trivane window: browse to a "
        "TRS-80 disk image and click it to\nidentify it; double-click it for its files, sectors "
        "and bytes (or a\ntape's programs). With FILE, the window starts in its folder with the\n"
        "file chosen and identified. With --shelf DIR, the Shelf window opens\n"
        "too and indexes the folder into the catalogue of the whole collection.\n");
    return 0;
  }
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  const bool shelf = first == L"--shelf" && argc > 2;
  const int status = shelf ? Run(nullptr, argv[2]) : Run(argc > 1 ? argv[1] : nullptr, nullptr);
  LocalFree(argv);
  return status;
}
