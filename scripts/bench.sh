#!/usr/bin/env bash
# Measures: identification and loading per image kind, the window's click and
# start times, and the report tool over 1,000 images against reading them.
set -euo pipefail
source "$(dirname "$0")/common.sh"
scripts/deps.sh libbenchmark-dev time
cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DTRIVANE_WINDOW=ON >/dev/null
cmake --build build-release -j"$(nproc)" \
  --target core_bench window_bench trivane-report trivane-disk make-images
cd build-release

echo "== identification, opening files and reading every sector (medians of 9 repetitions)"
./core_bench --benchmark_repetitions=9 --benchmark_report_aggregates_only=true \
  --benchmark_filter='.*' 2>/dev/null | grep -E '_median|^Benchmark|^-'

echo "== window"
QT_QPA_PLATFORM=offscreen ./window_bench -median 9 2>/dev/null | grep -E 'RESULT|msecs|usecs' || true

echo "== report tool over 1,000 images"
bash ../scripts/bench_report.sh
