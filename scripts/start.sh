#!/usr/bin/env bash
# Builds the program and starts the window in the folder of sample images.
set -euo pipefail
source "$(dirname "$0")/common.sh"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target trivane samples
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display is available (neither DISPLAY nor WAYLAND_DISPLAY is set)."
  echo "Start Trivane from a desktop session, or under X forwarding (ssh -X)."
  exit 1
fi
cd build/samples
exec ../trivane
