#!/usr/bin/env bash
# Runs from a release build folder: the report tool, the sector listing and
# the directory listing over 1,000 built images (mixed like a real collection)
# against cat reading the same files and against the floor (open, one pread
# of 16 KiB, close, one line a file). They take turns, 15 rounds, so that
# the machine's changing load falls on each alike; medians. Then the most
# memory the sector listing takes, against the image's size.
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
report=() cat_=() floor=() disk=() listing=()
for _ in $(seq 15); do
  report+=("$(us ./trivane-report --json "${files[@]}")")
  disk+=("$(us ./trivane-disk sectors --json "${files[@]}")")
  listing+=("$(us ./trivane-disk dir --json "${files[@]}")")
  cat_+=("$(us cat "${files[@]}")")
  floor+=("$(us ./floor "${files[@]}")")
done
report_us=$(printf '%s\n' "${report[@]}" | median)
cat_us=$(printf '%s\n' "${cat_[@]}" | median)
floor_us=$(printf '%s\n' "${floor[@]}" | median)
disk_us=$(printf '%s\n' "${disk[@]}" | median)
dir_us=$(printf "%s\n" "${listing[@]}" | median)
echo "files: ${#files[@]}, bytes: $bytes"
echo "trivane-report --json: $((report_us / 1000)).$(( report_us % 1000 / 100 )) ms (median of 15)"
echo "cat to /dev/null:      $((cat_us / 1000)).$(( cat_us % 1000 / 100 )) ms"
echo "floor:                 $((floor_us / 1000)).$(( floor_us % 1000 / 100 )) ms"
echo "trivane-disk sectors --json: $((disk_us / 1000)).$(( disk_us % 1000 / 100 )) ms"
echo "trivane-disk dir --json:     $((dir_us / 1000)).$(( dir_us % 1000 / 100 )) ms"
awk -v r="$report_us" -v c="$cat_us" -v f="$floor_us" -v d="$disk_us" -v g="$dir_us" \
  'BEGIN { printf "report / cat: %.2f, report / floor: %.2f, sectors / cat: %.2f, dir / cat: %.2f\n", r / c, r / f, d / c, g / c }'

echo "== each image converted to DMK (read back and verified), against cat of it into a file"
us_into() {  # wall time in µs of the command writing its output into $1
  local start end out=$1
  shift
  start=$(date +%s%N); "$@" >"$out"; end=$(date +%s%N)
  echo $(( (end - start) / 1000 ))
}
ratios=() convert_total=0 cat_total=0
for f in "${files[@]}"; do
  c=$(us_into /dev/null ./trivane-disk convert "$f" converted.dmk --force --overwrite)
  k=$(us_into copied.bin cat "$f")
  convert_total=$((convert_total + c)) cat_total=$((cat_total + k))
  ratios+=("$(awk -v c="$c" -v k="$k" 'BEGIN { printf "%.2f", c / (k > 0 ? k : 1) }')")
done
echo "convert: $((convert_total / 1000)) ms for ${#files[@]} images; cat: $((cat_total / 1000)) ms"
echo "convert / cat per image, median: $(printf '%s\n' "${ratios[@]}" | sort -n | sed -n "$(( (${#ratios[@]} + 1) / 2 ))p")"
rm -f converted.dmk copied.bin

echo "== most memory of trivane-disk sectors, against the image's size"
big=memory-64MiB.dsk  # a JV1 image at the size limit: 262,144 sectors
[ -f "$big" ] || { printf '\x00\xfe\x11'; head -c $((64 * 1024 * 1024 - 3)) /dev/zero; } >"$big"
printf 'x' >tiny.dsk
echo "the program alone (a one-byte file): $( { /usr/bin/time -f %M ./trivane-disk sectors tiny.dsk; } 2>&1 | tail -1) KB"
for image in "$big" "$dir/image-499.dmk" "$dir/image-2.dsk"; do
  for args in "--json" "--json --data"; do
    # shellcheck disable=SC2086
    kb=$( { /usr/bin/time -f %M ./trivane-disk sectors $args "$image" >/dev/null; } 2>&1 | tail -1)
    size=$(stat -c %s "$image")
    awk -v k="$kb" -v s="$size" -v n="$image" -v a="$args" \
      'BEGIN { printf "%-28s %-14s %8d KB most, %.2f of the image\n", n, a, k, k * 1024 / s }'
  done
done
