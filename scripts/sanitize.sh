#!/usr/bin/env bash
# Builds the whole suite (core, report tool, window) with the address and
# undefined behaviour sanitizers and runs every test under them.
set -euo pipefail
source "$(dirname "$0")/common.sh"
flags="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS="$flags" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
cmake --build build-asan -j"$(nproc)"
cd build-asan
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1" UBSAN_OPTIONS="print_stacktrace=1"
export LSAN_OPTIONS="suppressions=$PWD/../tests/lsan.supp"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)"
