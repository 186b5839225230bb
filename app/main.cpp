// trivane [FILE]: the window. With a file (as a desktop's "open with" passes
// one), it starts in the file's folder with the file chosen and identified.
#include <QApplication>
#include <QFile>
#include <QScreen>
#include <cstdio>
#include <string>

#include "app/form27.h"
#include "loader/image_file.h"
#include "ops/tapes.h"
#include "present/texts.h"

#if defined(__unix__) && !defined(__APPLE__)
#include <dlfcn.h>

namespace {

// Why the window could not be shown on X11, or an empty text. Asked before Qt
// starts, which ends the program with an abort when its display cannot be
// opened. The X client library is loaded only for the question, and only
// where Qt would use it: without a Wayland display or a platform of choice.
std::string NoDisplay() {
  if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") ||
      !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
    return {};
  }
  const QByteArray display = qgetenv("DISPLAY");
  if (display.isEmpty()) return "neither DISPLAY nor WAYLAND_DISPLAY is set";
  void* xcb = ::dlopen("libxcb.so.1", RTLD_LAZY | RTLD_LOCAL);
  if (xcb == nullptr) return {};  // Qt will say what is missing
  using Connect = void* (*)(const char*, int*);
  using Check = int (*)(void*);
  using Disconnect = void (*)(void*);
  const auto connect = reinterpret_cast<Connect>(::dlsym(xcb, "xcb_connect"));
  const auto has_error = reinterpret_cast<Check>(::dlsym(xcb, "xcb_connection_has_error"));
  const auto disconnect = reinterpret_cast<Disconnect>(::dlsym(xcb, "xcb_disconnect"));
  std::string reason;
  if (connect != nullptr && has_error != nullptr && disconnect != nullptr) {
    void* connection = connect(display.constData(), nullptr);
    if (has_error(connection) != 0)
      reason = "the display " + display.toStdString() + " cannot be opened";
    disconnect(connection);
  }
  ::dlclose(xcb);
  return reason;
}

}  // namespace
#endif

int main(int argc, char** argv) {
  const std::string first = argc > 1 ? argv[1] : "";
  if (first == "--version") {
    std::printf("trivane %s\n", TRIVANE_VERSION);
    return 0;
  }
  if (first == "--help" || first == "-h") {
    std::printf(
        "usage: trivane [FILE]   |   trivane --shelf DIR\n\nThe Trivane window: browse to a "
        "TRS-80 disk image and click it to\n"
        "identify it; double-click it for its files, sectors and bytes (or a\n"
        "tape's programs). With FILE, the window starts in its folder with the\n"
        "file chosen and identified. With --shelf DIR, the Shelf window opens\n"
        "too and indexes the folder into the catalogue of the whole collection.\n");
    return 0;
  }
#if defined(__unix__) && !defined(__APPLE__)
  if (const std::string reason = NoDisplay(); !reason.empty()) {
    std::fprintf(stderr,
                 "trivane: no display is available: %s. Start Trivane from a desktop session.\n",
                 reason.c_str());
    return 1;
  }
#endif
  QApplication app(argc, argv);
  trivane::app::Form27 window;
  const QRect screen = window.screen()->availableGeometry();
  window.move(screen.center() - window.rect().center());
  window.show();
  if (first == "--shelf" && argc > 2) {
    window.OpenShelf(QFile::decodeName(argv[2]));
  } else if (argc > 1) {
    const QString path = QFile::decodeName(argv[1]);
    const std::filesystem::path file = trivane::app::ToFsPath(path);
    const bool chosen = window.ChooseFile(path);
    // A tape opened with Trivane shows its programs too.
    if (chosen && trivane::ops::IsTapeFile(file)) window.OpenTape(path, file, false);
    if (!chosen) {
      const std::string reason = trivane::OpenImageFile(file).error;
      window.MessageBox(trivane::ErrorPrompt(trivane::present::kCannotLoad + path.toStdString(),
                                             reason.empty() ? "it is not listed" : reason),
                        "Error");
    }
  }
  return app.exec();
}
