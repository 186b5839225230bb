// trivane: the window. It takes no command line.
#include <QApplication>
#include <QScreen>
#include <cstdio>

#include "app/form27.h"

int main(int argc, char** argv) {
#if !defined(_WIN32) && !defined(__APPLE__)
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
      qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
    std::fputs(
        "trivane: no display is available: neither DISPLAY nor WAYLAND_DISPLAY is set.\n"
        "Start Trivane from a desktop session.\n",
        stderr);
    return 1;
  }
#endif
  QApplication app(argc, argv);
  trivane::app::Form27 window;
  const QRect screen = window.screen()->availableGeometry();
  window.move(screen.center() - window.rect().center());
  window.show();
  return app.exec();
}
