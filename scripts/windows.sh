#!/usr/bin/env bash
# Cross-builds the core, trivane-report, trivane-disk and their tests for
# 64-bit Windows with MinGW-w64, runs the tests under Wine, and zips the two
# programs into build-windows/trivane-windows-VERSION.zip.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh cmake g++-mingw-w64-x86-64-posix wine64 zip libgtest-dev nlohmann-json3-dev
export WINEDEBUG=-all
cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
  -DCMAKE_BUILD_TYPE=Release -DTRIVANE_WINDOW=OFF >/dev/null
cmake --build build-windows -j"$(nproc)" --target trivane-report trivane-disk core_tests tool_tests
(cd build-windows && ctest --output-on-failure)
version=$(sed -n 's/^project(Trivane VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
zip_file=build-windows/trivane-windows-$version.zip
rm -f "$zip_file"
zip -j -q "$zip_file" build-windows/trivane-report.exe build-windows/trivane-disk.exe
echo "$zip_file"
