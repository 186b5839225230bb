#!/usr/bin/env bash
# Runs from a release build folder: the report tool over 1,000 built images
# against cat reading the same files and against the floor (open, one pread
# of 16 KiB, close, one line a file). The three take turns, 15 rounds, so
# that the machine's changing load falls on each alike; medians.
set -euo pipefail
dir=bench-images
[ -d "$dir" ] || ./make-images bench "$dir" 1000
cc -O2 -o floor "$(dirname "$0")/../bench/floor.c"
files=("$dir"/*)
bytes=$(cat "${files[@]}" | wc -c)
us() {  # wall time of the command in µs
  local start end
  start=$(date +%s%N); "$@" >/dev/null; end=$(date +%s%N)
  echo $(( (end - start) / 1000 ))
}
median() { sort -n | sed -n 8p; }
cat "${files[@]}" >/dev/null  # into the page cache
report=() cat_=() floor=()
for _ in $(seq 15); do
  report+=("$(us ./trivane-report --json "${files[@]}")")
  cat_+=("$(us cat "${files[@]}")")
  floor+=("$(us ./floor "${files[@]}")")
done
report_us=$(printf '%s\n' "${report[@]}" | median)
cat_us=$(printf '%s\n' "${cat_[@]}" | median)
floor_us=$(printf '%s\n' "${floor[@]}" | median)
echo "files: ${#files[@]}, bytes: $bytes"
echo "trivane-report --json: $((report_us / 1000)).$(( report_us % 1000 / 100 )) ms (median of 15)"
echo "cat to /dev/null:      $((cat_us / 1000)).$(( cat_us % 1000 / 100 )) ms"
echo "floor:                 $((floor_us / 1000)).$(( floor_us % 1000 / 100 )) ms"
awk -v r="$report_us" -v c="$cat_us" -v f="$floor_us" \
  'BEGIN { printf "report / cat: %.2f, report / floor: %.2f\n", r / c, r / f }'
