#!/usr/bin/env bash
# Builds everything and runs every test (the window's offscreen).
set -euo pipefail
source "$(dirname "$0")/common.sh"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)"
