// make-icons DIR: the window's icon as PNG files for the desktop's icon theme,
// DIR/SIZExSIZE/apps/trivane.png at the usual sizes.
#include <QDir>
#include <QImage>
#include <cstdio>

#include "present/icon_xpm.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: make-icons DIR\n", stderr);
    return 2;
  }
  const QImage icon(trivane::present::kIconXpm);
  if (icon.isNull()) return 1;
  for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
    const QString dir = QString("%1/%2x%2/apps").arg(argv[1]).arg(size);
    // Scaled by whole steps without smoothing, the drawn pixels stay sharp.
    const QImage scaled =
        icon.scaled(size, size, Qt::IgnoreAspectRatio,
                    size % 32 == 0 ? Qt::FastTransformation : Qt::SmoothTransformation);
    if (!QDir().mkpath(dir) || !scaled.save(dir + "/trivane.png")) return 1;
  }
  return 0;
}
