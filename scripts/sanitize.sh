#!/usr/bin/env bash
# Builds the whole suite (core, report tool, window, fuzz targets) with the
# address and undefined behaviour sanitizers and runs every test under them,
# the fuzz targets each once on every seed and kept regression, whole.
set -euo pipefail
source "$(dirname "$0")/sanitized.sh"
sanitized_build
cd build-fuzz
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1" UBSAN_OPTIONS="print_stacktrace=1"
export LSAN_OPTIONS="suppressions=$PWD/../tests/lsan.supp"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)"
