#!/usr/bin/env bash
# Cross-builds the core, the window (trivane.exe), trivane-report,
# trivane-disk and their tests for 64-bit Windows with MinGW-w64, runs the
# tests under Wine on a virtual display of their own (the window's tests
# keep screenshots in build-windows/screenshots/ and compare the window's
# fields with the Qt window's where build/window-fields.tsv holds them), and
# zips the three programs into build-windows/trivane-windows-VERSION.zip.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh cmake g++-mingw-w64-x86-64-posix wine64 xvfb zip libgtest-dev libz-mingw-w64-dev \
  nlohmann-json3-dev
export WINEDEBUG=-all
# No offer to install Mono or Gecko when Wine makes its prefix.
export WINEDLLOVERRIDES="mscoree,mshtml="
# The icon maker runs here, while the build is made: built for this machine.
mkdir -p build-windows
# SQLite for the shelf, from its own C source (the amalgamation) as the npm
# package better-sqlite3 ships it, compiled here with MinGW; never kept in
# the project.
sqlite_package=better-sqlite3@12.11.1
if [ ! -f build-windows/sqlite/sqlite3.c ]; then
  command -v npm >/dev/null || scripts/deps.sh npm
  rm -rf build-windows/sqlite && mkdir -p build-windows/sqlite
  (cd build-windows/sqlite && npm pack --silent "$sqlite_package" >/dev/null &&
    tar xzf better-sqlite3-*.tgz --strip-components=3 package/deps/sqlite3/sqlite3.c \
      package/deps/sqlite3/sqlite3.h && rm better-sqlite3-*.tgz)
fi
g++ -std=c++20 -O1 -I. tools/make_ico.cpp -o build-windows/make-ico
cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
  -DCMAKE_BUILD_TYPE=Release -DTRIVANE_WINDOW=OFF \
  -DTRIVANE_MAKE_ICO="$PWD/build-windows/make-ico" \
  -DTRIVANE_SQLITE_SOURCE="$PWD/build-windows/sqlite" >/dev/null
cmake --build build-windows -j"$(nproc)" --target trivane trivane-report trivane-disk \
  trivane-shelf core_tests tool_tests win_tests

# A display for the windows: the first free one from :90.
display=90
while [ -e /tmp/.X11-unix/X$display ] || [ -e /tmp/.X$display-lock ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true; /usr/lib/wine/wineserver -k 2>/dev/null || true' EXIT
export DISPLAY=":$display"
for _ in $(seq 50); do [ -e /tmp/.X11-unix/X$display ] && break; sleep 0.1; done
# Wine draws the windows' frames and captions itself: there is no window
# manager on the virtual display.
/usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null
# A program that crashes fails its test at once: no crash window waits for a click.
/usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 \
  /f >/dev/null
[ -f build/window-fields.tsv ] && export TRIVANE_QT_FIELDS="Z:$PWD/build/window-fields.tsv"
rm -f build-windows/screenshots/*.png
(cd build-windows && ctest --output-on-failure -j"$(nproc)")
ls build-windows/screenshots/*.png

version=$(sed -n 's/^project(Trivane VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
zip_file=build-windows/trivane-windows-$version.zip
rm -f "$zip_file"
zip -j -q "$zip_file" build-windows/trivane.exe build-windows/trivane-report.exe \
  build-windows/trivane-disk.exe build-windows/trivane-shelf.exe
echo "$zip_file"
