#!/usr/bin/env bash
# Builds the Debian package of the three programs into build-package/: a
# release build installed under /usr, with its dependencies computed from the
# programs' libraries.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh build-essential cmake qt6-base-dev dpkg-dev file zlib1g-dev libsqlite3-dev
cmake -S . -B build-package -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DBUILD_TESTING=OFF -DTRIVANE_WINDOW=ON >/dev/null
cmake --build build-package -j"$(nproc)" --target trivane trivane-report trivane-disk trivane-shelf icons man changelog >/dev/null
(cd build-package && cpack -G DEB >/dev/null)
ls build-package/*.deb
