#!/usr/bin/env bash
# Writes what the command-line tools print and write for every image into a
# folder, so that two builds can be compared byte for byte with diff -r:
# trivane-report as text and JSON, sectors --json --data, dir --json --all,
# extract --all --force, view of every file, and convert to each container.
# The images: the samples, the fuzzing seeds, a few bench images and the real
# disks in ../shared/real-disks when they are there.
# Usage: scripts/outputs.sh BUILD_DIR OUT_DIR
set -uo pipefail
build="$(realpath "$1")"
out="$2"
here="$(cd "$(dirname "$0")/.." && pwd)"
rm -rf "$out"
mkdir -p "$out/images"
images="$(realpath "$out/images")"
"$build/make-images" samples "$images/samples" >/dev/null
"$build/make-images" seeds "$images/seeds" >/dev/null
"$build/make-images" bench "$images/bench" 4 >/dev/null
[ -d "$here/../shared/real-disks" ] && ln -s "$(realpath "$here/../shared/real-disks")" "$images/real"
disk="$build/trivane-disk"
report="$build/trivane-report"
cd "$out"
find -L images -type f ! -name '*.md' ! -path '*/host/*' | sort | while read -r img; do
  o="results/${img#images/}"
  mkdir -p "$o"
  "$report" "$img" >"$o/report.txt" 2>&1; echo "exit $?" >>"$o/report.txt"
  "$report" --json "$img" >"$o/report.json" 2>&1
  "$disk" sectors --json --data "$img" >"$o/sectors.json" 2>&1; echo "exit $?" >>"$o/sectors.json"
  "$disk" dir --json --all "$img" >"$o/dir.json" 2>&1; echo "exit $?" >>"$o/dir.json"
  "$disk" extract "$img" -o "$o/extract" --all --force >"$o/extract.txt" 2>&1
  echo "exit $?" >>"$o/extract.txt"
  python3 - "$o/dir.json" <<'EOF' >"$o/names.txt" 2>/dev/null
import json, sys
for line in open(sys.argv[1]):
    if line.startswith("{"):
        d = json.loads(line)
        for f in d.get("files", []) + d.get("deleted", []):
            print(f["name"] + "/" + f["ext"] if f.get("ext") else f["name"])
EOF
  n=0
  while read -r name; do
    n=$((n + 1))
    "$disk" view "$img" "$name" --all >"$o/view.$n.txt" 2>&1; echo "exit $?" >>"$o/view.$n.txt"
  done <"$o/names.txt"
  for to in jv1 jv3 dmk; do
    "$disk" convert "$img" "$o/to.$to" --to "$to" --force >"$o/convert.$to.txt" 2>&1
    echo "exit $?" >>"$o/convert.$to.txt"
  done
done
