#!/usr/bin/env bash
# Runs from a release build folder: the report tool over 1,000 built images
# against cat reading the same files and against the floor (open, one pread
# of 16 KiB, close, one line a file), in the same run, as medians of 9 runs.
set -euo pipefail
dir=bench-images
[ -d "$dir" ] || ./make-images bench "$dir" 1000
cc -O2 -o floor "$(dirname "$0")/../bench/floor.c"
files=("$dir"/*)
bytes=$(cat "${files[@]}" | wc -c)
time_of() {  # median wall time in µs of 9 runs of the command
  for _ in 1 2 3 4 5 6 7 8 9; do
    start=$(date +%s%N); "$@" >/dev/null; end=$(date +%s%N)
    echo $(( (end - start) / 1000 ))
  done | sort -n | sed -n 5p
}
cat "${files[@]}" >/dev/null  # into the page cache
report_us=$(time_of ./trivane-report --json "${files[@]}")
cat_us=$(time_of cat "${files[@]}")
floor_us=$(time_of ./floor "${files[@]}")
echo "files: ${#files[@]}, bytes: $bytes"
echo "trivane-report --json: $((report_us / 1000)) ms (median)"
echo "cat to /dev/null:      $((cat_us / 1000)) ms (median)"
echo "floor:                 $((floor_us / 1000)) ms (median)"
awk -v r="$report_us" -v c="$cat_us" -v f="$floor_us" \
  'BEGIN { printf "report / cat: %.2f, report / floor: %.2f\n", r / c, r / f }'
